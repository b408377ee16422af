#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
// The record as the library starts, read before any test runs.
std::string const kStartRecord =
    std::to_string(CT_Errors::set_GetLastError()) + " \"" + std::string(CT_Errors::co_GetLastParameter()) + "\"";

// The messages of codes 0 to 28; code 20 has none.
char const *const kMessages[] = {
    "No error", "Unknown error ", "The following Windows error occured during \nthe function \"%\" :\n\n",
    "An unknow Windows error occured", "Nothing is selected", "Can't add any more files to the list", "DTP error",
    "An unknown error appeared in the DTP during the last operation", "An error occured when opening the file\n\"%\"",
    "An error occured when saving the file\n\"%\"", "An error occured when closing the file \n \"%\"",
    "An invalid textbox has been found", "The label \"%\"\nis not a valid label in this file",
    "No text found in this document", "Please open a document",
    "Please ensure the Ordanet has been correctly installed and activated.",
    "It is not possible to find the text box \"%\"\nin the document", "An error occured when opening the file\n \"%\"",
    "An error occured when writing in the file\n \"%\"", "An error occured when reading in the file\n \"%\"", nullptr,
    "The end of the file has been reached.", "The end of the file is unexpected.\n\"%\" is expected.",
    "Please select fewer files and try again.", "The buffer is too small to receive this data",
    "The command is unknown by the server", "The parameters sent are wrong for this server command.",
    "An invalid character has been found. Maybe a string is corrupted",
    "An error occured when converting the file to kzx format"};

// Code 2 ends in the system's text for the last error, ERROR_ACCESS_DENIED when the tests build messages.
// The parameter never holds "%".
std::string Expected(int code, std::string const &parameter)
{
    if (code < e_NoError || code > e_Conversion || kMessages[code] == nullptr)
        return "Error " + std::to_string(code) + " (no message associated with)";
    std::string message = kMessages[code];
    for (size_t at = 0; !parameter.empty() && (at = message.find('%')) != std::string::npos;)
        message.replace(at, 1, parameter);
    char system[512] = "";
    if (code == e_Windows && !parameter.empty())
        EXPECT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 ERROR_ACCESS_DENIED, 0x400, system, sizeof system, nullptr), 0u);
    return message + system;
}

// The code a call throws inside the library, caught here in another module.
template <typename Call> int Caught(Call call)
try
{
    call();
    return -12345;
}
catch (et_ErrorCode e_code)
{
    return e_code;
}

// The text of the box titled "Error" that the display shows, read by a helper thread that then presses OK.
std::string Shown(void (*display)())
{
    std::string text;
    test::Driver driver([](void *context) {
        HWND const box = test::WaitForWindow("Error");
        *static_cast<std::string *>(context) = test::StaticTexts(box);
        test::PressButton(box, IDOK);
    }, &text);
    display(); // returns once OK is pressed, after the text was read
    return text;
}

// Codes outside 0 to 28 fall back without a load: -1 would reach string 1000, -2 string 999.
TEST(ErrorsTest, EveryCodeIsThrownToTheCallerAndGivesItsExactMessage)
{
    EXPECT_EQ(kStartRecord, "1 \"\"");
    EXPECT_EQ(Caught([] { CT_ResString(GetModuleHandleA("Common.dll"), 1021, CT_String("%")); }), e_Windows);
    for (int code = -2; code <= e_Conversion + 2; ++code)
        for (char const *parameter : {static_cast<char const *>(nullptr), "C:\\a.txt"})
        {
            std::string const value = parameter != nullptr ? parameter : "";
            SCOPED_TRACE("code " + std::to_string(code) + " parameter " + value);
            SetLastError(ERROR_FILE_NOT_FOUND); // the last error counts when the message is built, not raised
            EXPECT_EQ(Caught([&] { CT_Errors::v_ThrowError(static_cast<et_ErrorCode>(code), parameter); }), code);
            EXPECT_EQ(Caught([] { CT_Errors::v_ThrowAgain(); }), code);
            SetLastError(ERROR_ACCESS_DENIED);
            EXPECT_EQ(std::string(CT_Errors::cco_GetLastError()), Expected(code, value));
            // Only code 20's failed message load leaves a record of its own.
            EXPECT_EQ(CT_Errors::set_GetLastError(), code == e_NoMessage ? e_Windows : code);
            EXPECT_EQ(std::string(CT_Errors::co_GetLastParameter()), code == e_NoMessage ? "CT_String::v_Load" : value);
        }
    // The most negative code has no positive counterpart among ints.
    Caught([] { CT_Errors::v_ThrowError(static_cast<et_ErrorCode>(INT_MIN), nullptr); });
    EXPECT_EQ(std::string(CT_Errors::cco_GetLastError()), "Error -2147483648 (no message associated with)");
}

TEST(ErrorsTest, DisplayWithCodeRestoresTheRecordAndDisplayWithoutResetsIt)
{
    Caught([] { CT_Errors::v_ThrowError(e_FileOpen, "C:\\a.txt"); });
    EXPECT_EQ(Shown([] { CT_Errors::v_DisplayError(e_OpenDocument, nullptr); }), Expected(e_OpenDocument, ""));
    // Built in a copy of the loaded text and returned as a copy of that: each copy adds room.
    EXPECT_EQ(CT_Errors::cco_GetLastError().n_GetSize(), 1280u);
    EXPECT_EQ(Shown([] { CT_Errors::v_DisplayError(); }), Expected(e_FileOpen, "C:\\a.txt"));
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Unknown);
    EXPECT_EQ(std::string(CT_Errors::co_GetLastParameter()), "");
}
} // namespace
