#include <gtest/gtest.h>

#include "CT_Help.h"

// What the stand-in help engine last received: command, data and file name.
static std::string g_request;

// WinHelpA sends its request as WM_COPYDATA to the top-level window of class "MS_WINHELP". The block: WORD size,
// WORD command, DWORD data, DWORD reserved, WORD file-name offset, WORD extra offset.
static LRESULT CALLBACK Engine(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wparam, lparam);
    WORD const *block = static_cast<WORD const *>(reinterpret_cast<COPYDATASTRUCT *>(lparam)->lpData);
    g_request = "command " + std::to_string(block[1]) + ", data " + std::to_string(MAKELONG(block[2], block[3]));
    g_request += ", file \"" + std::string(reinterpret_cast<char const *>(block) + block[6]) + "\"";
    return TRUE;
}

WNDCLASSA const kEngineClass = {0, Engine, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "MS_WINHELP"};
ATOM const kEngineAtom = RegisterClassA(&kEngineClass);
HWND const kEngine = CreateWindowA(MAKEINTATOM(kEngineAtom), "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);

TEST(CT_Help, DisplayAtATopicSendsTheContextCommandWithTheTopicAndTheDefinedPath)
{
    CT_Help::v_DefineHelpPath(CT_String("D:\\second.hlp"));
    CT_Help::v_Display(kEngine, 7);
    EXPECT_EQ(g_request, "command 1, data 7, file \"D:\\second.hlp\"");
}

TEST(CT_Help, DisplayWithoutATopicSendsTheFinderCommandForTheContents)
{
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\first.hlp"));
    CT_Help::v_Display(kEngine);
    EXPECT_EQ(g_request, "command 11, data 0, file \"C:\\help\\first.hlp\"");
}
