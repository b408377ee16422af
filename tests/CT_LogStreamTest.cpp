#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CT_Errors.h"
#include "CT_LogStream.h"
#include "TestSupport.h"

// File bytes as a text, so that a failure shows them as one.
static std::string AsText(std::vector<unsigned char> const &bytes) { return {bytes.begin(), bytes.end()}; }

TEST(CT_LogStreamText, TakesTheCurrentElementOfAListAfterAClearStartedItAgain)
{
    CT_String list("first");
    list.v_AddElement(CT_String("second"));
    CT_LogStream log;
    log << list;
    log.v_Clear();
    list.b_NextElement();
    log << list;
    EXPECT_STREQ(log.cco_GetText(), "second");
}

TEST(CT_LogStreamText, ASeparatorIs22UnderscoresAndAnEmptyLine)
{
    CT_LogStream log;
    log.v_Separator();
    EXPECT_EQ(std::string(log.cco_GetText()), std::string(22, '_') + "\r\n\r\n");
}

TEST(CT_LogStreamText, AStampIsMonthDayYearAtHoursAndMinutesOfTwoDigits)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    CT_LogStream log;
    log.v_PrintTime(); // the minute may turn in between: once in a very long while
    char stamp[40];
    std::snprintf(stamp, 40, "%u-%u-%u at %02u:%02u", now.wMonth, now.wDay, now.wYear, now.wHour, now.wMinute);
    EXPECT_STREQ(log.cco_GetText(), stamp);
}

// The log grows past a fresh text's room by taking itself; the copy saved has no part in what the log takes later.
TEST(CT_LogStreamSave, ReplacesTheFileWithTheTextAndALineEndInUtf16AndKeepsNoBackup)
{
    test::ScratchFolder scratch;
    std::string const path = scratch.File("run.log"), line = std::string(300, 'x') + "\xe9\r\n";
    test::WriteBytes(path, std::vector<unsigned char>(100, 'z'));
    CT_LogStream log;
    log << CT_String(line.c_str());
    log << log.cco_GetText();
    CT_LogStream const copy(log);
    log << CT_String("after the copy");
    copy.v_Save(CT_String(path.c_str()));
    EXPECT_EQ(AsText(test::ReadBytes(path)), AsText(test::Utf16Bytes(line + line + "\r\n"))); // no byte order mark
    EXPECT_FALSE(test::FileExists(path + ".old"));
}

TEST(CT_LogStreamSave, IntoAMissingFolderRaises17WithThePath)
{
    test::ScratchFolder scratch;
    std::string const path = scratch.File("missing\\run.log");
    EXPECT_THROW(CT_LogStream().v_Save(CT_String(path.c_str())), et_ErrorCode);
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileOpen);
    EXPECT_STREQ(CT_Errors::co_GetLastParameter(), path.c_str());
}

// Wine's Z: is the Unix root; /dev/full opens like a file, but every write to it fails.
TEST(CT_LogStreamSave, ReturnsAfterAFailedWriteWith18AndThePathRecordedAndTheLogUnchanged)
{
    CT_LogStream log;
    log << CT_String("entry");
    log.v_Save(CT_String("Z:\\dev\\full"));
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileWrite);
    EXPECT_STREQ(CT_Errors::co_GetLastParameter(), "Z:\\dev\\full");
    EXPECT_STREQ(log.cco_GetText(), "entry");
}
