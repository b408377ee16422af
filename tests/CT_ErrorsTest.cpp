#include <gtest/gtest.h>

#include <string>

#include "CT_Errors.h"
#include "TestSupport.h"

// The code a call throws inside the library, caught here in another module.
template <typename Call> int Caught(Call call)
{
    try { call(); } catch (et_ErrorCode e_code) { return e_code; }
    return -12345;
}

// The box a display shows, "[title] text", read by a helper thread that then presses OK. A box under another title
// is taken by its class after a while, so that a wrong title fails the test instead of hanging it.
static std::string Shown(void (*display)())
{
    std::string shown;
    test::Driver driver([](void *context) {
        HWND const titled = test::WaitForWindow("Error", 30000);
        HWND const box = titled != nullptr ? titled : FindWindowA("#32770", nullptr);
        *static_cast<std::string *>(context) = "[" + test::WindowText(box) + "] " + test::StaticTexts(box);
        test::PressButton(box, IDOK);
    }, &shown);
    display(); // returns once OK is pressed, after the box was read
    return shown;
}

TEST(CT_ErrorsThrow, TheCodeRaisedInTheLibraryIsCaughtHereAndThrownAgainFromTheRecord)
{
    EXPECT_EQ(Caught([] { CT_Errors::v_ThrowError(e_FileRead, nullptr); }), e_FileRead);
    EXPECT_EQ(Caught([] { CT_Errors::v_ThrowAgain(); }), e_FileRead);
}

// The texts themselves are checked where they are loaded (CT_ResStringTest).
struct Message { char const *name; int code; char const *parameter; char const *text; };
Message const kMessages[] = {
    {"the parameter for the %", e_FileOpen, "C:\\a.txt", "An error occured when opening the file\n \"C:\\a.txt\""},
    {"a parameter for a text without %", e_EndOfFile, "C:\\a.txt", "The end of the file has been reached."},
    {"code 20, which has no text", e_NoMessage, "C:\\a.txt", "Error 20 (no message associated with)"},
    {"a code past the last", 29, nullptr, "Error 29 (no message associated with)"},
    {"a negative code, not string 1000", -1, nullptr, "Error -1 (no message associated with)"}};

TEST(CT_ErrorsMessage, IsTheCodesTextWithTheParameterOrTheFallbackWithTheCode)
{
    for (Message const &row : kMessages)
    {
        Caught([&] { CT_Errors::v_ThrowError(static_cast<et_ErrorCode>(row.code), row.parameter); });
        EXPECT_EQ(std::string(CT_Errors::cco_GetLastError()), row.text) << row.name;
    }
}

TEST(CT_ErrorsMessage, OfCode2EndsInTheSystemsTextOfTheLastErrorWhenTheMessageIsBuilt)
{
    char system[256] = "";
    ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0x400, system, 256, 0), 0u);
    Caught([] { CT_Errors::v_ThrowError(e_Windows, "File::Open()"); });
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(std::string(CT_Errors::cco_GetLastError()),
              "The following Windows error occured during \nthe function \"File::Open()\" :\n\n" + std::string(system));
}

TEST(CT_ErrorsDisplay, WithACodeShowsThatErrorUnderTheTitleErrorAndPutsTheRecordBack)
{
    Caught([] { CT_Errors::v_ThrowError(e_FileOpen, "C:\\a.txt"); });
    EXPECT_EQ(Shown([] { CT_Errors::v_DisplayError(e_TooManyFiles, nullptr); }),
              "[Error] Please select fewer files and try again.");
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileOpen);
    EXPECT_STREQ(CT_Errors::co_GetLastParameter(), "C:\\a.txt");
}

TEST(CT_ErrorsDisplay, WithoutArgumentsShowsTheRecordedErrorThenResetsTheRecordToCode1)
{
    Caught([] { CT_Errors::v_ThrowError(e_FileWrite, "C:\\a.txt"); });
    EXPECT_EQ(Shown([] { CT_Errors::v_DisplayError(); }),
              "[Error] An error occured when writing in the file\n \"C:\\a.txt\"");
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Unknown);
    EXPECT_STREQ(CT_Errors::co_GetLastParameter(), "");
}
