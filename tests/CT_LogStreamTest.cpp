#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CT_Errors.h"
#include "CT_LogStream.h"
#include "TestSupport.h"

TEST(LogStreamTest, AppendsCurrentElementSeparatorAndTimeStamp)
{
    CT_String co_list("first");
    co_list.v_AddElement(CT_String("second"));
    CT_LogStream co_log;
    co_log << co_list;
    co_log.v_Clear(); // appends start at the beginning again
    co_list.b_NextElement();
    co_log << co_list;
    co_log.v_Separator();
    CT_LogStream co_copy(co_log);
    co_copy << CT_String("copy");
    std::string const co_head = "second" + std::string(22, '_') + "\r\n\r\n";
    EXPECT_STREQ((co_head + "copy").c_str(), co_copy.cco_GetText());
    SYSTEMTIME co_now;
    GetLocalTime(&co_now);
    co_log.v_PrintTime();
    char s_stamp[40];
    std::snprintf(s_stamp, sizeof s_stamp, "%u-%u-%u at %02u:%02u", co_now.wMonth, co_now.wDay, co_now.wYear,
                  co_now.wHour, co_now.wMinute);
    EXPECT_STREQ((co_head + s_stamp).c_str(), co_log.cco_GetText());
}

TEST(LogStreamTest, SaveReplacesFileWithUtf16LinesAndRecordsFailures)
{
    test::ScratchFolder co_scratch;
    CT_LogStream co_log;
    std::string co_model;
    for (unsigned int n = 0; n < 100000; ++n)
    {
        std::string const co_line = "entry \xe9" + std::to_string(n) + std::string(n % 7, '.');
        co_log << CT_String(co_line.c_str()) << co_log.cco_Eof();
        co_model += co_line + "\r\n";
    }
    co_log << co_log.cco_GetText();
    std::string const co_path = co_scratch.File("run.log");
    test::WriteBytes(co_path, std::vector<unsigned char>(100, 'z'));
    co_log.v_Save(CT_String(co_path.c_str()));
    EXPECT_EQ(test::Utf16Bytes(co_model + co_model + "\r\n"), test::ReadBytes(co_path)); // no byte order mark
    EXPECT_FALSE(test::FileExists(co_path + ".old"));
    std::string const co_missing = co_scratch.File("missing\\run.log");
    EXPECT_THROW(co_log.v_Save(CT_String(co_missing.c_str())), et_ErrorCode);
    EXPECT_EQ(e_FileOpen, CT_Errors::set_GetLastError());
    EXPECT_STREQ(co_missing.c_str(), CT_Errors::co_GetLastParameter());
    // Wine's Z: is the Unix root; /dev/full opens like a file, but every write to it fails.
    co_log.v_Save(CT_String("Z:\\dev\\full"));
    EXPECT_EQ(e_FileWrite, CT_Errors::set_GetLastError());
    EXPECT_STREQ("Z:\\dev\\full", CT_Errors::co_GetLastParameter());
    EXPECT_STREQ((co_model + co_model).c_str(), co_log.cco_GetText());
}
