#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "CT_Errors.h"
#include "CT_LogStream.h"
#include "TestSupport.h"

namespace
{
std::string const Separator = std::string(22, '_') + "\r\n\r\n";

std::string Text(CT_LogStream const &co_log)
{
    return std::string(static_cast<char const *>(co_log.cco_GetText()));
}

std::string Text(CT_String const &co_text)
{
    return std::string(static_cast<char const *>(co_text));
}

bool SameMinute(SYSTEMTIME const &a, SYSTEMTIME const &b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute;
}

std::string Stamp(SYSTEMTIME const &now)
{
    char text[64];
    std::snprintf(text, sizeof text, "%u-%u-%u at %02u:%02u", now.wMonth, now.wDay, now.wYear, now.wHour,
                  now.wMinute);
    return text;
}

/// Runs the action between two readings of the clock in the same minute and
/// returns the stamp of that minute; retries when the minute turns over.
template <typename Action> std::string WithinOneMinute(Action action)
{
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        action();
        GetLocalTime(&after);
        if (SameMinute(before, after))
            return Stamp(before);
    }
    ADD_FAILURE() << "the clock's minute changed on every attempt";
    return std::string();
}

class LogStreamTest : public testing::Test
{
protected:
    void SetUp() override { CT_Errors::v_ResetError(); }
    void TearDown() override { CT_Errors::v_ResetError(); }

    test::ScratchFolder scratch;
};

TEST_F(LogStreamTest, NewLogIsEmptyWithLineEndAndName)
{
    CT_LogStream co_log;
    EXPECT_EQ("", Text(co_log));
    EXPECT_EQ("\r\n", Text(co_log.cco_Eof()));
    EXPECT_EQ("Log", Text(co_log.cco_GetName()));
    CT_String co_name("Server");
    co_log.v_SetName(co_name);
    co_name = "changed";
    EXPECT_EQ("Server", Text(co_log.cco_GetName()));
    EXPECT_EQ("", Text(co_log));
}

TEST_F(LogStreamTest, AppendsChainWithoutLineEnds)
{
    CT_LogStream co_log;
    CT_LogStream &co_same = co_log << CT_String("first") << CT_String(" line") << co_log.cco_Eof();
    co_log << CT_String("") << CT_String("second");
    EXPECT_EQ(&co_log, &co_same);
    EXPECT_EQ("first line\r\nsecond", Text(co_log));
    EXPECT_EQ(18u, co_log.cco_GetText().n_GetLength());
}

TEST_F(LogStreamTest, AppendingTheLogToItselfDoublesIt)
{
    CT_LogStream co_log;
    co_log << CT_String(std::string(300, 'a').c_str()) << CT_String("b");
    co_log << co_log.cco_GetText();
    std::string half = std::string(300, 'a') + "b";
    EXPECT_EQ(half + half, Text(co_log));
}

TEST_F(LogStreamTest, AppendsOnlyTheCurrentElementOfAList)
{
    CT_String co_list("first");
    co_list.v_AddElement(CT_String("second"));
    co_list.v_AddElement(CT_String("third"));
    CT_LogStream co_log;
    co_log << co_list << CT_String("|");
    ASSERT_TRUE(co_list.b_NextElement());
    co_log << co_list << CT_String("|");
    EXPECT_EQ("first|second|", Text(co_log));
}

TEST_F(LogStreamTest, SeparatorIs22UnderscoresAndTwoLineEndsContinuingTheLine)
{
    CT_LogStream co_log;
    co_log.v_Separator();
    EXPECT_EQ(Separator, Text(co_log));
    EXPECT_EQ(26u, Text(co_log).size());
    co_log << CT_String("end");
    co_log.v_Separator();
    EXPECT_EQ(Separator + "end" + Separator, Text(co_log));
}

TEST_F(LogStreamTest, ClearEmptiesTextButKeepsNameAndLineEnd)
{
    CT_LogStream co_log;
    co_log.v_SetName(CT_String("Conversion"));
    co_log << CT_String(std::string(2000, 'x').c_str());
    co_log.v_Clear();
    EXPECT_EQ("", Text(co_log));
    EXPECT_EQ("Conversion", Text(co_log.cco_GetName()));
    EXPECT_EQ("\r\n", Text(co_log.cco_Eof()));
    // Appends start at the beginning again, with nothing left behind them.
    co_log << CT_String("ab");
    EXPECT_EQ("ab", Text(co_log));
    EXPECT_EQ(0, co_log.cco_GetText()[3]);
}

TEST_F(LogStreamTest, CopiesAreIndependent)
{
    CT_LogStream co_log;
    co_log.v_SetName(CT_String("Original"));
    co_log << CT_String("shared");
    CT_LogStream co_copy(co_log);
    EXPECT_EQ("shared", Text(co_copy));
    EXPECT_EQ("Original", Text(co_copy.cco_GetName()));
    EXPECT_EQ("\r\n", Text(co_copy.cco_Eof()));

    co_copy << CT_String(" copy");
    co_copy.v_SetName(CT_String("Copy"));
    co_log << CT_String(" first");
    EXPECT_EQ("shared first", Text(co_log));
    EXPECT_EQ("Original", Text(co_log.cco_GetName()));
    EXPECT_EQ("shared copy", Text(co_copy));
    EXPECT_EQ("Copy", Text(co_copy.cco_GetName()));
}

TEST_F(LogStreamTest, TimeStampsAreMonthDayYearAtHourAndMinute)
{
    std::string text;
    std::string stamp = WithinOneMinute([&]() {
        CT_LogStream co_log;
        co_log << CT_String("Started ");
        co_log.v_PrintTime();
        co_log.v_PrintTime();
        text = Text(co_log);
    });
    EXPECT_EQ("Started " + stamp + stamp, text);
}

TEST_F(LogStreamTest, FilterIsTheLogFilePairWithBars)
{
    CT_LogStream co_log;
    EXPECT_EQ("Veltrane Log file (*.log)|*.log||", Text(co_log.cco_GetFilter()));
}

TEST_F(LogStreamTest, SaveWritesTextAndLineEndAsUnicodeUnits)
{
    CT_LogStream co_log;
    co_log << CT_String("one") << co_log.cco_Eof();
    co_log.v_Separator();
    co_log << CT_String("\xe9t\xe9");
    std::string path = scratch.File("run.log");
    co_log.v_Save(CT_String(path.c_str()));
    EXPECT_EQ(test::Utf16Bytes("one\r\n" + Separator + "\xe9t\xe9\r\n"), test::ReadBytes(path));
    // The log itself is unchanged and can be saved again.
    EXPECT_EQ("one\r\n" + Separator + "\xe9t\xe9", Text(co_log));
}

TEST_F(LogStreamTest, SaveOfEmptyLogWritesOnlyTheLineEnd)
{
    CT_LogStream co_log;
    std::string path = scratch.File("empty.log");
    co_log.v_Save(CT_String(path.c_str()));
    std::vector<unsigned char> expected = {0x0D, 0x00, 0x0A, 0x00};
    EXPECT_EQ(expected, test::ReadBytes(path));
}

TEST_F(LogStreamTest, SaveReplacesAnExistingFileWithoutBackup)
{
    std::string path = scratch.File("old.log");
    test::WriteBytes(path, std::vector<unsigned char>(100, 'z'));
    CT_LogStream co_log;
    co_log << CT_String("new");
    co_log.v_Save(CT_String(path.c_str()));
    EXPECT_EQ(test::Utf16Bytes("new\r\n"), test::ReadBytes(path));
    EXPECT_FALSE(test::FileExists(path + ".old"));
    EXPECT_EQ(e_Unknown, CT_Errors::set_GetLastError());
}

TEST_F(LogStreamTest, SaveIntoMissingFolderRaises17WithPathAndKeepsLog)
{
    CT_LogStream co_log;
    co_log << CT_String("kept");
    std::string path = scratch.File("missing\\run.log");
    try
    {
        co_log.v_Save(CT_String(path.c_str()));
        FAIL() << "v_Save did not raise";
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_EQ(e_FileOpen, e_code);
    }
    EXPECT_EQ(e_FileOpen, CT_Errors::set_GetLastError());
    EXPECT_EQ(path, Text(CT_Errors::co_GetLastParameter()));
    EXPECT_EQ("kept", Text(co_log));
    EXPECT_FALSE(test::FileExists(path));
}

// Wine maps drive Z: to the Unix root. /dev/full opens for writing like a
// file, but every write to it fails (ERROR_DISK_FULL): the open succeeds and
// the write fails, which no ordinary Windows path gives reliably.
TEST_F(LogStreamTest, WriteFailureIsRecordedAndSaveReturns)
{
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == 0)
        GTEST_SKIP() << "needs Wine's Z: drive and its /dev/full";
    std::string path = "Z:\\dev\\full";
    CT_LogStream co_log;
    co_log << CT_String("lost");
    co_log.v_Save(CT_String(path.c_str()));
    EXPECT_EQ(e_FileWrite, CT_Errors::set_GetLastError());
    EXPECT_EQ(path, Text(CT_Errors::co_GetLastParameter()));
    EXPECT_EQ("lost", Text(co_log));
}

// Replays many appends, separators, copies and clears against a plain model,
// then checks the text and the file byte for byte.
TEST_F(LogStreamTest, LongLogStaysByteExact)
{
    CT_LogStream co_log;
    std::string model;
    char const *p_buffer = co_log.cco_GetText();
    int n_moves = 0;
    for (unsigned int n = 0; n < 100000; ++n)
    {
        std::string line = "entry " + std::to_string(n) + std::string(n % 7, '.');
        co_log << CT_String(line.c_str()) << co_log.cco_Eof();
        model += line + "\r\n";
        if (n % 10000 == 9999)
        {
            co_log.v_Separator();
            model += Separator;
        }
        char const *p_now = co_log.cco_GetText();
        n_moves += p_now != p_buffer;
        p_buffer = p_now;
    }
    ASSERT_EQ(model.size(), std::strlen(co_log.cco_GetText()));
    ASSERT_EQ(model, Text(co_log));
    // The room grows by doubling, so the text is moved only a few dozen
    // times, not every few appends.
    EXPECT_LT(n_moves, 40);

    CT_LogStream co_copy(co_log);
    co_copy << CT_String("tail");
    EXPECT_EQ(model + "tail", Text(co_copy));

    std::string path = scratch.File("long.log");
    co_log.v_Save(CT_String(path.c_str()));
    EXPECT_EQ(test::Utf16Bytes(model + "\r\n"), test::ReadBytes(path));
}
} // namespace
