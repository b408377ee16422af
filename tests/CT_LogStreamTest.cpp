#include "CT_LogStream.h"

#include <gtest/gtest.h>

#include <string>

#include "CT_Errors.h"
#include "Routes.h"
#include "TestSupport.h"

namespace
{
SYSTEMTIME now;
void WINAPI FixedClock(LPSYSTEMTIME time) { *time = now; }

std::string Text(CT_String const &text) { return static_cast<char const *>(text); }

// A clock of the test's: the day and the month differ, and the minute never turns in between.
TEST(CT_LogStreamText, AStampIsMonthDayYearAtHoursAndMinutesOfTwoDigits)
{
    test::RouteImports({test::RouteTo("GetLocalTime", FixedClock)});
    CT_LogStream log;
    now = {2005, 3, 1, 7, 9, 5, 59, 999}; // year, month, day of the week, day, hour, minute, ...
    log.v_PrintTime();
    now = {2005, 12, 0, 25, 14, 30, 0, 0};
    log.v_PrintTime();
    EXPECT_EQ("3-7-2005 at 09:0512-25-2005 at 14:30", Text(log.cco_GetText()));
}

TEST(CT_LogStreamText, TakesTheCurrentElementOfAListAndASeparatorOf22UnderscoresAndAnEmptyLine)
{
    CT_String list("first");
    list.v_AddElement(CT_String("second"));
    CT_LogStream log;
    log << list;
    log.v_Clear();
    list.b_NextElement();
    log << list;
    log.v_Separator();
    EXPECT_EQ("second" + std::string(22, '_') + "\r\n\r\n", Text(log.cco_GetText()));
}

// The log grows past a fresh text's room by taking itself; the copy saved has no part in what the log takes later.
TEST(CT_LogStreamSave, ReplacesTheFileWithTheTextAndALineEndInUtf16AndLeavesAnyOldAlone)
{
    test::ScratchFolder scratch;
    std::string const path = scratch.File("run.log"), line = std::string(300, 'x') + "\xe9\r\n";
    test::WriteBytes(path, "z");
    test::WriteBytes(path + ".old", "r"); // a log the user rotated
    CT_LogStream log;
    log << CT_String(line.c_str());
    log << log.cco_GetText();
    CT_LogStream copy(log);
    log << CT_String("after the copy");
    copy.v_SetName("run");
    EXPECT_EQ("run Veltrane Log file (*.log)|*.log||", Text(copy.cco_GetName()) + " " + Text(copy.cco_GetFilter()));
    copy.v_Save(path.c_str());
    test::Listing const expected = {{"run.log", test::Units(line + line + "\r\n")}, {"run.log.old", "r"}};
    EXPECT_EQ(expected, test::ListFolder(scratch.Path()));
    EXPECT_EQ("code 17 DOC", test::Outcome([&] { log.v_Save((path + "\\run.log").c_str()); }, path + "\\run.log"))
        << "a folder that is not there";
}

// A failed write is not raised: the old log stays whole and the record holds 18 with the path.
TEST(CT_LogStreamSave, UnderEveryFailureTheOldLogOrTheNewOneIsWhole)
{
    test::RouteImports();
    test::ScratchFolder scratch;
    std::string const path = scratch.File("run.log"), old(600, 'o'), text(3000, 'n');
    for (test::Kind kind : {test::kSystemCall, test::kAllocation, test::kShortWrite})
        test::UnderEveryFailure(
            kind, [&] { test::WriteBytes(path, old); },
            [&] {
                CT_LogStream log;
                log << CT_String(text.c_str());
                log.v_Save(path.c_str());
                bool const told = CT_Errors::set_GetLastError() == e_FileWrite;
                return told && Text(CT_Errors::co_GetLastParameter()) == path ? "reported" : test::OnDisk(path);
            },
            [&](test::Run const &run) {
                std::string const log = test::OnDisk(path);
                EXPECT_TRUE(log == old || log == test::Units(text + "\r\n")) << "neither log is whole, " << run.where;
                EXPECT_TRUE(run.result != "reported" || log == old) << "a failed write cut the log, " << run.where;
                EXPECT_TRUE(run.outcome == "done" || run.outcome == "bad_alloc" || run.outcome == "code 17 " + path)
                    << run.where;
            });
}
} // namespace
