#include <gtest/gtest.h>

#include <string>

#include "CT_Help.h"
#include "Routes.h"

// What the library last asked of the help engine. The routed WinHelpA records it: no help shows.
std::string request;

BOOL WINAPI FakeWinHelpA(HWND owner, LPCSTR file, UINT command, ULONG_PTR data)
{
    request = "owner " + std::to_string(reinterpret_cast<ULONG_PTR>(owner)) + ", command " + std::to_string(command) +
              ", data " + std::to_string(data) + ", file \"" + file + "\"";
    return TRUE;
}

// HELP_CONTEXT is 1, HELP_FINDER 11. The path is empty until one is defined.
TEST(CT_HelpDisplay, AtATopicSendsTheContextCommandAndWithoutOneTheFinderCommandWithTheDefinedPath)
{
    test::RouteImports({test::RouteTo("WinHelpA", FakeWinHelpA)});
    CT_Help::v_Display(reinterpret_cast<HWND>(12), 0);
    EXPECT_EQ(request, "owner 12, command 1, data 0, file \"\"");
    CT_Help::v_DefineHelpPath(CT_String("D:\\second.hlp"));
    CT_Help::v_Display(reinterpret_cast<HWND>(12), 7);
    EXPECT_EQ(request, "owner 12, command 1, data 7, file \"D:\\second.hlp\"");
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\first.hlp"));
    CT_Help::v_Display(reinterpret_cast<HWND>(13));
    EXPECT_EQ(request, "owner 13, command 11, data 0, file \"C:\\help\\first.hlp\"");
}
