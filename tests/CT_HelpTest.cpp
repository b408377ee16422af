#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CT_Errors.h"
#include "CT_Help.h"
#include "TestSupport.h"

namespace
{
// WinHelpA hands its request to the top-level window of this class, as
// WM_COPYDATA; a window of our own stands in for the help engine.
char const kEngineClass[] = "MS_WINHELP";

// The request block: WORD size, WORD command, LONG data, LONG reserved,
// WORD offset of the file name, WORD offset of extra data.
size_t const kCommandOffset = 2;
size_t const kDataOffset = 4;
size_t const kFileOffsetOffset = 12;
size_t const kHeaderSize = 16;

struct Request
{
    int count;
    HWND owner;
    unsigned int command;
    unsigned int data;
    std::string file;
};

Request g_request;

void ReadRequest(WPARAM sender, COPYDATASTRUCT const *copy)
{
    ++g_request.count;
    g_request.owner = reinterpret_cast<HWND>(sender);
    unsigned char const *block = static_cast<unsigned char const *>(copy->lpData);
    if (copy->cbData < kHeaderSize)
        return;
    WORD command = 0;
    LONG data = 0;
    WORD file_offset = 0;
    std::memcpy(&command, block + kCommandOffset, sizeof command);
    std::memcpy(&data, block + kDataOffset, sizeof data);
    std::memcpy(&file_offset, block + kFileOffsetOffset, sizeof file_offset);
    g_request.command = command;
    g_request.data = static_cast<unsigned int>(data);
    if (file_offset >= kHeaderSize && file_offset < copy->cbData)
        g_request.file.assign(reinterpret_cast<char const *>(block + file_offset),
                              strnlen(reinterpret_cast<char const *>(block + file_offset), copy->cbData - file_offset));
}

LRESULT CALLBACK EngineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COPYDATA)
    {
        ReadRequest(wparam, reinterpret_cast<COPYDATASTRUCT const *>(lparam));
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class HelpTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA engine_class = {};
        engine_class.lpfnWndProc = EngineProc;
        engine_class.hInstance = GetModuleHandleA(nullptr);
        engine_class.lpszClassName = kEngineClass;
        RegisterClassA(&engine_class);
        engine_ = CreateWindowA(kEngineClass, "engine", 0, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(engine_);
        UnregisterClassA(kEngineClass, GetModuleHandleA(nullptr));
    }

    void SetUp() override
    {
        ASSERT_NE(engine_, nullptr);
        g_request = Request();
        owner_ = CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }

    void TearDown() override { DestroyWindow(owner_); }

    static HWND engine_;
    HWND owner_ = nullptr;
};

HWND HelpTest::engine_ = nullptr;

// Runs first: the path has not been defined in this process yet.
TEST_F(HelpTest, DisplayBeforeDefiningPathPassesEmptyFileNameAndRaisesNothing)
{
    try
    {
        CT_Errors::v_ThrowError(e_FileOpen, "kept.txt");
    }
    catch (et_ErrorCode)
    {
    }
    EXPECT_NO_THROW(CT_Help::v_Display(owner_, 7));
    EXPECT_EQ(g_request.count, 1);
    EXPECT_EQ(g_request.command, static_cast<unsigned int>(HELP_CONTEXT));
    EXPECT_EQ(g_request.data, 7u);
    EXPECT_EQ(g_request.file, "");
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileOpen);
    EXPECT_EQ(std::string(CT_Errors::co_GetLastParameter()), "kept.txt");
}

TEST_F(HelpTest, ContextDisplayPassesOwnerHelpContextIdAndPath)
{
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\addon.hlp"));
    CT_Help::v_Display(owner_, 4321);
    EXPECT_EQ(g_request.count, 1);
    EXPECT_EQ(g_request.owner, owner_);
    EXPECT_EQ(g_request.command, 1u);
    EXPECT_EQ(g_request.data, 4321u);
    EXPECT_EQ(g_request.file, "C:\\help\\addon.hlp");

    CT_Help::v_Display(owner_, 0xFFFFFFFFu);
    EXPECT_EQ(g_request.data, 0xFFFFFFFFu);
}

TEST_F(HelpTest, ContextZeroStillUsesHelpContext)
{
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\addon.hlp"));
    g_request.data = 99;
    CT_Help::v_Display(owner_, 0);
    EXPECT_EQ(g_request.count, 1);
    EXPECT_EQ(g_request.command, 1u);
    EXPECT_EQ(g_request.data, 0u);
}

TEST_F(HelpTest, ContentsDisplayPassesHelpFinderAndZero)
{
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\contents.hlp"));
    g_request.data = 99;
    CT_Help::v_Display(owner_);
    EXPECT_EQ(g_request.count, 1);
    EXPECT_EQ(g_request.owner, owner_);
    EXPECT_EQ(g_request.command, 0xBu);
    EXPECT_EQ(g_request.data, 0u);
    EXPECT_EQ(g_request.file, "C:\\help\\contents.hlp");
}

TEST_F(HelpTest, DefiningAgainReplacesThePathWithACopy)
{
    CT_String path("C:\\first.hlp");
    CT_Help::v_DefineHelpPath(path);
    CT_Help::v_DefineHelpPath(CT_String("D:\\second.hlp"));
    path = "C:\\changed.hlp";
    CT_Help::v_Display(owner_);
    EXPECT_EQ(g_request.file, "D:\\second.hlp");

    CT_String later("E:\\third.hlp");
    CT_Help::v_DefineHelpPath(later);
    later = "E:\\changed.hlp";
    CT_Help::v_Display(owner_, 1);
    EXPECT_EQ(g_request.file, "E:\\third.hlp");
    EXPECT_EQ(g_request.count, 2);
}
} // namespace
