#include <gtest/gtest.h>

#include "CT_Help.h"
#include "Routes.h"

// What the library asked of the help engine, "owner command data file; " a request. The routed WinHelpA records it:
// no help shows. The owner window arrives as the number a handle is.
std::string requests;

BOOL WINAPI FakeWinHelpA(ULONG_PTR owner, LPCSTR file, UINT command, ULONG_PTR data)
{
    requests += std::to_string(owner) + " " + std::to_string(command) + " " + std::to_string(data) + " " + file + "; ";
    return TRUE;
}

// HELP_CONTEXT is 1, HELP_FINDER 11.
TEST(CT_HelpDisplay, AtATopicSendsTheContextCommandAndWithoutOneTheFinderCommandWithTheDefinedPath)
{
    test::RouteImports({test::RouteTo("WinHelpA", FakeWinHelpA)});
    CT_Help::v_DefineHelpPath(CT_String("C:\\help\\first.hlp"));
    CT_Help::v_Display(reinterpret_cast<HWND>(12), 7);
    CT_Help::v_Display(reinterpret_cast<HWND>(13));
    EXPECT_EQ(requests, "12 1 7 C:\\help\\first.hlp; 13 11 0 C:\\help\\first.hlp; ");
}
