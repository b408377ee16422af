#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CT_Help.h"

namespace
{
// What the stand-in help engine received: command, data and file name.
std::string g_request;

// WinHelpA sends its request as WM_COPYDATA to the top-level window of class "MS_WINHELP". The block:
// WORD size, WORD command, DWORD data, DWORD reserved, WORD file-name offset, WORD extra offset.
LRESULT CALLBACK Engine(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wparam, lparam);
    char const *block = static_cast<char const *>(reinterpret_cast<COPYDATASTRUCT *>(lparam)->lpData);
    WORD header[8];
    std::memcpy(header, block, sizeof header);
    g_request = std::to_string(header[1]) + " " + std::to_string(MAKELONG(header[2], header[3])) + " ";
    g_request += block + header[6];
    return TRUE;
}

// One test, so that the first display surely comes before any path is defined.
TEST(HelpTest, DisplaySendsCommandDataAndTheCurrentPathToTheEngine)
{
    WNDCLASSA const engine_class = {0, Engine, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "MS_WINHELP"};
    ASSERT_NE(RegisterClassA(&engine_class), 0);
    HWND const engine = CreateWindowA("MS_WINHELP", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(engine, nullptr);
    EXPECT_NO_THROW(CT_Help::v_Display(engine, 7));
    EXPECT_EQ(g_request, "1 7 ");
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\first.hlp"));
    CT_Help::v_Display(engine);
    EXPECT_EQ(g_request, "11 0 C:\\help\\first.hlp");
    CT_Help::v_DefineHelpPath(CT_String("D:\\second.hlp"));
    CT_Help::v_Display(engine, 0);
    EXPECT_EQ(g_request, "1 0 D:\\second.hlp");
    DestroyWindow(engine);
}
} // namespace
