#include <gtest/gtest.h>

#include "CT_Errors.h"
#include "Routes.h"

// The last box the library asked for, "[title] text". The routed MessageBoxA answers OK at once: nothing shows. The
// routed GetActiveWindow answers the desktop window, the box's owner.
std::string box;

int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT flags)
{
    EXPECT_TRUE(owner == GetDesktopWindow() && flags == 0x30) << "not MB_OK | MB_ICONEXCLAMATION on the active window";
    box = "[" + std::string(title) + "] " + text;
    return IDOK;
}

// Once for the program, before any test.
bool const kRouted = (test::RouteImports({test::RouteTo("MessageBoxA", FakeMessageBoxA),
                                          test::RouteTo("GetActiveWindow", GetDesktopWindow)}),
                      true);

// Raises 17 "C:\a.txt" through the DLL while the last error is ERROR_FILE_NOT_FOUND and catches it here, then shows
// the code with the parameter while the last error is the one given (by default an application's own, bit 29, which
// the system has no text for): the box.
std::string Shown(int code, char const *parameter, DWORD last_error = 0x20000001)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_THROW(CT_Errors::v_ThrowError(e_FileOpen, "C:\\a.txt"), et_ErrorCode);
    EXPECT_EQ(CT_Errors::sn_GetSystemError(), ERROR_FILE_NOT_FOUND) << "the raise kept another system error";
    SetLastError(last_error);
    CT_Errors::v_DisplayError(static_cast<et_ErrorCode>(code), parameter);
    return box;
}

// The box of a code shown by the fallback message.
std::string Fallback(int code) { return "[Error] Error " + std::to_string(code) + " (no message associated with)"; }

// Code 2's text ends in the system's text of the last error as the message is built (read here without the library);
// without a parameter the "%" stays and nothing follows. Code 20 has no message; 29 and -1 lie outside 0 to 28 (-1
// would give string 1000).
TEST(CT_ErrorsDisplay, WithACodeShowsItsMessageOverTheRecordAndWithoutOneShowsTheRecordThenResetsIt)
{
    char denied[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0x400, denied, sizeof denied, nullptr);
    std::string const code2 = "[Error] The following Windows error occured during \nthe function \"";
    std::string const name(40000, 'x');
    EXPECT_EQ(Shown(e_Windows, name.c_str(), ERROR_ACCESS_DENIED), code2 + name + "\" :\n\n" + denied);
    EXPECT_EQ(Shown(e_Windows, nullptr, ERROR_ACCESS_DENIED), code2 + "%\" :\n\n");
    EXPECT_EQ(Shown(e_EndOfFile, nullptr), "[Error] The end of the file has been reached.");
    for (int code : {20, 29, -1})
        EXPECT_EQ(Shown(code, nullptr), Fallback(code));
    CT_Errors::v_DisplayError();
    EXPECT_EQ(box, "[Error] An error occured when opening the file\n \"C:\\a.txt\"") << "the record was not put back";
    EXPECT_EQ(test::Outcome(CT_Errors::v_ThrowAgain), "code 1 ") << "the record was not reset";
}

// Code 2 "call" shown over a recorded 17 while string loads, FormatMessageA or allocations fail in turn. The last error
// has no system text, so none follows, as when FormatMessageA fails. A failed load or allocation falls back to the code
// ("reported"); the display raises only when the fallback cannot be loaded, or memory runs out.
TEST(CT_ErrorsDisplay, WithACodeFallsBackOrRaisesAndPutsTheRecordBackWhenResourcesFail)
{
    for (test::Kind kind : {test::kSystemCall, test::kAllocation})
        test::UnderEveryFailure(
            kind, [] {}, [] { return Shown(e_Windows, "call") == Fallback(2) ? "reported" : box; },
            [](test::Run const &run) {
                EXPECT_EQ(test::Outcome(CT_Errors::v_ThrowAgain), "code 17 C:\\a.txt") << "record lost, " << run.where;
            });
}
