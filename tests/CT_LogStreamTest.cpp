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

// A clock of the test's: the day and the month differ, and the minute never turns in between.
TEST(CT_LogStreamText, AStampIsMonthDayYearAtHoursAndMinutesOfTwoDigits)
{
    test::RouteImports({test::RouteTo("GetLocalTime", FixedClock)});
    CT_LogStream log;
    now = {2005, 3, 1, 7, 9, 5, 59, 999}; // year, month, day of the week, day, hour, minute, ...
    log.v_PrintTime();
    now = {2005, 12, 0, 25, 14, 30, 0, 0};
    log.v_PrintTime();
    EXPECT_STREQ("3-7-2005 at 09:0512-25-2005 at 14:30", log.cco_GetText());
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
    EXPECT_EQ("second" + std::string(22, '_') + "\r\n\r\n", std::string(log.cco_GetText()));
}

// The log grows past a fresh text's room by taking itself; the copy saved has no part in what the log takes later. A
// disk that stays full then fails the write: the save returns, the folder is as it was, and the record holds 18 with
// the log's path.
TEST(CT_LogStreamSave, ReplacesTheFileWithTheTextAndALineEndInUtf16OrOnAFailedWriteKeepsItAndRecords18)
{
    test::RouteImports();
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
    EXPECT_STREQ("run", copy.cco_GetName());
    EXPECT_STREQ("Veltrane Log file (*.log)|*.log||", copy.cco_GetFilter());
    copy.v_Save(path.c_str());
    test::Listing const expected = {{"run.log", test::Units(line + line + "\r\n")}, {"run.log.old", "r"}};
    EXPECT_EQ(expected, test::ListFolder(scratch.Path()));
    test::failure = {test::kShortWrite, 1, true};
    test::armed = true;
    EXPECT_EQ("done", test::Outcome([&] { log.v_Save(path.c_str()); })) << "a failed write raised";
    test::armed = false;
    EXPECT_EQ(expected, test::ListFolder(scratch.Path())) << "a failed write changed the folder";
    EXPECT_EQ("code 18 DOC", test::Outcome(CT_Errors::v_ThrowAgain, path)) << "a failed write's record";
    EXPECT_EQ("code 17 DOC", test::Outcome([&] { log.v_Save((path + "\\run.log").c_str()); }, path + "\\run.log"))
        << "a folder that is not there";
}
} // namespace
