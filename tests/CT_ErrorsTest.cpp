#include <gtest/gtest.h>

#include <string>

#include "CT_Errors.h"
#include "Routes.h"

// What the routed GetActiveWindow answers: no window is made.
HWND const kActive = reinterpret_cast<HWND>(0x5150);
// The last box the library asked for, "[title] text". The routed MessageBoxA answers OK at once: nothing shows.
std::string box;

int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT flags)
{
    EXPECT_EQ(owner, kActive) << "the box is not the active window's";
    EXPECT_EQ(flags, 0x30u) << "the box is not MB_OK | MB_ICONEXCLAMATION";
    box = "[" + std::string(title) + "] " + text;
    return IDOK;
}

HWND WINAPI FakeGetActiveWindow() { return kActive; }

// Once for the program, before any test.
bool const kRouted = (test::RouteImports({test::RouteTo("MessageBoxA", FakeMessageBoxA),
                                          test::RouteTo("GetActiveWindow", FakeGetActiveWindow)}),
                      true);

// The message of code 2 for the function, ending in the system's text of ERROR_ACCESS_DENIED (read without the
// library), the last error the tests set; or without it.
std::string Code2(std::string const &function, bool with_system_text = true)
{
    char system[256] = "";
    if (with_system_text)
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0x400, system, sizeof system, nullptr);
    return "The following Windows error occured during \nthe function \"" + function + "\" :\n\n" + system;
}

// The message a catcher builds after the raise, which it caught. The last error changes in between, as any call may
// change it.
std::string Message(int code, char const *parameter)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_THROW(CT_Errors::v_ThrowError(static_cast<et_ErrorCode>(code), parameter), et_ErrorCode);
    SetLastError(ERROR_ACCESS_DENIED);
    return std::string(CT_Errors::cco_GetLastError());
}

// The texts themselves are checked where they are loaded (CT_ResStringTest). A null parameter is recorded empty.
TEST(CT_ErrorsMessage, IsTheCodesTextWithTheParameterOrTheFallbackWithTheCode)
{
    EXPECT_EQ(Message(e_FileOpen, "C:\\a.txt"), "An error occured when opening the file\n \"C:\\a.txt\"");
    EXPECT_EQ(Message(e_EndOfFile, "C:\\a.txt"), "The end of the file has been reached.");
    EXPECT_EQ(Message(e_Windows, "File::Open()"), Code2("File::Open()"));
    EXPECT_EQ(Message(e_Windows, nullptr), Code2("%", false));
    EXPECT_EQ(Message(e_Windows, std::string(40000, 'x').c_str()), Code2(std::string(40000, 'x')));
    EXPECT_EQ(Message(e_NoMessage, "C:\\a.txt"), "Error 20 (no message associated with)");
    EXPECT_EQ(test::Outcome(CT_Errors::v_ThrowAgain), "code 2 CT_String::v_Load") << "code 20's failed load";
    EXPECT_EQ(Message(29, nullptr), "Error 29 (no message associated with)");
    EXPECT_EQ(Message(-1, nullptr), "Error -1 (no message associated with)") << "not string 1000";
}

// The second box shows the record that the first put back.
TEST(CT_ErrorsDisplay, WithACodePutsTheRecordBackAndWithoutArgumentsShowsTheRecordedErrorThenResetsIt)
{
    EXPECT_EQ(test::Outcome([] { CT_Errors::v_ThrowError(e_FileWrite, "C:\\a.txt"); }), "code 18 C:\\a.txt");
    CT_Errors::v_DisplayError(e_FileRead, "shown");
    EXPECT_EQ(box, "[Error] An error occured when reading in the file\n \"shown\"");
    CT_Errors::v_DisplayError();
    EXPECT_EQ(box, "[Error] An error occured when writing in the file\n \"C:\\a.txt\"");
    EXPECT_EQ(test::Outcome(CT_Errors::v_ThrowAgain), "code 1 ");
}

// Code 2 "call" shown with a code over a recorded 17, whole when nothing fails. A failed load or allocation falls
// back to the code, a failed FormatMessageA leaves the system's text out (both "reported"); a failed fallback raises.
TEST(CT_ErrorsDisplay, MessagesFallBackAndKeepTheRecordWhenResourcesFail)
{
    std::string const reported[] = {"[Error] " + Code2("call", false), "[Error] Error 2 (no message associated with)"};
    for (test::Kind kind : {test::kSystemCall, test::kAllocation})
        test::UnderEveryFailure(
            kind, [] { box.clear(); },
            [&] {
                EXPECT_THROW(CT_Errors::v_ThrowError(e_FileOpen, "C:\\a.txt"), et_ErrorCode);
                SetLastError(ERROR_ACCESS_DENIED);
                CT_Errors::v_DisplayError(e_Windows, "call");
                return box == reported[0] || box == reported[1] ? "reported" : box;
            },
            [](test::Run const &run) {
                EXPECT_EQ(test::Outcome(CT_Errors::v_ThrowAgain), "code 17 C:\\a.txt") << "record lost, " << run.where;
                EXPECT_TRUE(run.outcome == "done" || run.outcome == "code 2 recorded as 17 C:\\a.txt" ||
                            run.outcome == "bad_alloc")
                    << run.where;
                if (run.failed == 0)
                    EXPECT_EQ(run.result, "[Error] " + Code2("call"));
            });
}
