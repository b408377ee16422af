#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
std::string Text(CT_String const &text)
{
    return static_cast<char const *>(text);
}

// What the library holds right after start-up, read before any test runs.
et_ErrorCode const kStartCode = CT_Errors::set_GetLastError();
std::string const kStartParameter = Text(CT_Errors::co_GetLastParameter());
std::string const kStartTitle = Text(CT_Errors::sco_Title.cco_Get());
std::string const kStartMessage = Text(CT_Errors::cco_GetLastError());

// The message of each code 0 to 28; code 20 has none.
char const *const kMessages[] = {
    "No error",
    "Unknown error ",
    "The following Windows error occured during \nthe function \"%\" :\n\n",
    "An unknow Windows error occured",
    "Nothing is selected",
    "Can't add any more files to the list",
    "DTP error",
    "An unknown error appeared in the DTP during the last operation",
    "An error occured when opening the file\n\"%\"",
    "An error occured when saving the file\n\"%\"",
    "An error occured when closing the file \n \"%\"",
    "An invalid textbox has been found",
    "The label \"%\"\nis not a valid label in this file",
    "No text found in this document",
    "Please open a document",
    "Please ensure the Ordanet has been correctly installed and activated.",
    "It is not possible to find the text box \"%\"\nin the document",
    "An error occured when opening the file\n \"%\"",
    "An error occured when writing in the file\n \"%\"",
    "An error occured when reading in the file\n \"%\"",
    nullptr,
    "The end of the file has been reached.",
    "The end of the file is unexpected.\n\"%\" is expected.",
    "Please select fewer files and try again.",
    "The buffer is too small to receive this data",
    "The command is unknown by the server",
    "The parameters sent are wrong for this server command.",
    "An invalid character has been found. Maybe a string is corrupted",
    "An error occured when converting the file to kzx format",
};
int const kCodeCount = sizeof kMessages / sizeof kMessages[0];
int const kCodesOutside[] = {29, 30, 1000, 0x7FFFFFFF, -1, -2, -1001, -1002};

std::string ReplaceAll(std::string text, std::string const &marker, std::string const &value)
{
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
        text.replace(at, marker.size(), value);
    return text;
}

/// The system's text for an error value, as the library asks for it.
std::string SystemText(DWORD error)
{
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char *>(&text), 0, nullptr);
    if (length == 0)
        return "";
    std::string result(text);
    LocalFree(text);
    return result;
}

/// The full message of a code, with the system text of that error for code 2.
std::string Expected(int code, std::string const &parameter, DWORD last_error = 0)
{
    if (code < 0 || code >= kCodeCount || kMessages[code] == nullptr)
        return "Error " + std::to_string(code) + " (no message associated with)";
    if (parameter.empty())
        return kMessages[code];
    std::string message = ReplaceAll(kMessages[code], "%", parameter);
    if (code == e_Windows)
        message += SystemText(last_error);
    return message;
}

void Record(int code, char const *parameter)
{
    try
    {
        CT_Errors::v_ThrowError(static_cast<et_ErrorCode>(code), parameter);
    }
    catch (et_ErrorCode)
    {
    }
}

/// The code that v_ThrowAgain throws, caught here, outside the library.
int CaughtAgain()
{
    try
    {
        CT_Errors::v_ThrowAgain();
    }
    catch (et_ErrorCode e_code)
    {
        return e_code;
    }
    catch (...)
    {
        return -12345;
    }
    return -54321;
}

class ErrorsTest : public testing::Test
{
protected:
    void SetUp() override { CT_Errors::v_ResetError(); }
};

TEST_F(ErrorsTest, StartsWithUnknownErrorEmptyParameterAndErrorTitle)
{
    EXPECT_EQ(kStartCode, e_Unknown);
    EXPECT_EQ(kStartParameter, "");
    // The title was loaded after the static objects were made, not wiped by them.
    EXPECT_EQ(kStartTitle, "Error");
    EXPECT_EQ(kStartMessage, "Unknown error ");
}

TEST_F(ErrorsTest, ThrowErrorRecordsCodeAndParameterAndThrowsTheCode)
{
    try
    {
        CT_Errors::v_ThrowError(e_FileOpen, "C:\\a.txt");
        ADD_FAILURE() << "v_ThrowError returned";
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_EQ(e_code, e_FileOpen);
    }
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileOpen);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "C:\\a.txt");

    try
    {
        CT_Errors::v_ThrowError(e_FileRead, nullptr);
        ADD_FAILURE() << "v_ThrowError returned";
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_EQ(e_code, e_FileRead);
    }
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileRead);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "");
}

TEST_F(ErrorsTest, CodesWithoutMessageAreThrownLikeAnyOther)
{
    for (int code : {20, 29, 1000, -1})
    {
        try
        {
            CT_Errors::v_ThrowError(static_cast<et_ErrorCode>(code), "p");
            ADD_FAILURE() << "v_ThrowError returned";
        }
        catch (et_ErrorCode e_code)
        {
            EXPECT_EQ(e_code, code);
        }
        EXPECT_EQ(CT_Errors::set_GetLastError(), code);
    }
}

TEST_F(ErrorsTest, ThrowAgainThrowsTheRecordedCodeAndKeepsTheRecord)
{
    EXPECT_EQ(CaughtAgain(), e_Unknown);
    Record(e_FileOpen, "C:\\a.txt");
    EXPECT_EQ(CaughtAgain(), e_FileOpen);
    EXPECT_EQ(CaughtAgain(), e_FileOpen);
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileOpen);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "C:\\a.txt");
}

TEST_F(ErrorsTest, ResetGivesCodeOneNotZeroAndEmptyParameter)
{
    Record(e_NoError, "x");
    CT_Errors::v_ResetError();
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Unknown);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "");
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), "Unknown error ");
}

TEST_F(ErrorsTest, RecordSurvivesSuccessfulOperationsAndParameterIsACopy)
{
    Record(e_FileWrite, "D:\\log.txt");
    CT_ResString title(GetModuleHandleA("Common.dll"), 1000, CT_String("%"));
    EXPECT_EQ(Text(title.cco_Get()), "Error");
    CT_String parameter = CT_Errors::co_GetLastParameter();
    parameter = "changed";
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileWrite);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "D:\\log.txt");
}

TEST_F(ErrorsTest, EveryCodeGivesItsMessageWithMarkerUnfilledWithoutParameter)
{
    std::vector<int> codes;
    for (int code = 0; code < kCodeCount; ++code)
        codes.push_back(code);
    codes.insert(codes.end(), std::begin(kCodesOutside), std::end(kCodesOutside));
    for (int code : codes)
    {
        Record(code, nullptr);
        EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), Expected(code, "")) << "code " << code;
    }
}

TEST_F(ErrorsTest, EveryCodeGivesItsMessageFilledWithTheParameter)
{
    std::vector<int> codes;
    for (int code = 0; code < kCodeCount; ++code)
        codes.push_back(code);
    codes.insert(codes.end(), std::begin(kCodesOutside), std::end(kCodesOutside));
    for (int code : codes)
    {
        Record(code, "C:\\a.txt");
        SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), Expected(code, "C:\\a.txt", ERROR_ACCESS_DENIED))
            << "code " << code;
    }
}

TEST_F(ErrorsTest, WindowsErrorAppendsSystemTextOfTheLastErrorAtBuildTime)
{
    std::string const not_found = SystemText(ERROR_FILE_NOT_FOUND);
    std::string const no_path = SystemText(ERROR_PATH_NOT_FOUND);
    ASSERT_FALSE(not_found.empty());
    ASSERT_NE(not_found, no_path);

    Record(e_Windows, "File::Open()");
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()),
              "The following Windows error occured during \nthe function \"File::Open()\" :\n\n" + not_found);
    SetLastError(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()),
              "The following Windows error occured during \nthe function \"File::Open()\" :\n\n" + no_path);
}

TEST_F(ErrorsTest, WindowsErrorWithoutSystemTextOrParameterAppendsNothing)
{
    DWORD const unknown = 0x2000ABCD; // a customer code: the system has no text
    ASSERT_EQ(SystemText(unknown), "");
    Record(e_Windows, "SetWindowText");
    SetLastError(unknown);
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()),
              "The following Windows error occured during \nthe function \"SetWindowText\" :\n\n");

    Record(e_Windows, nullptr);
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), kMessages[e_Windows]);
}

TEST_F(ErrorsTest, FailedMessageLoadIsLeftInTheRecord)
{
    Record(e_NoMessage, "p");
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), "Error 20 (no message associated with)");
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Windows);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "CT_String::v_Load");
}

TEST_F(ErrorsTest, CodesOutsideTheTableFallBackWithoutTouchingTheRecord)
{
    // -1 + 1001 would be string 1000, "Error"; -2 would be string 999.
    Record(-1, "p");
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), "Error -1 (no message associated with)");
    EXPECT_EQ(CT_Errors::set_GetLastError(), -1);
    Record(29, "p");
    EXPECT_EQ(Text(CT_Errors::cco_GetLastError()), "Error 29 (no message associated with)");
    EXPECT_EQ(CT_Errors::set_GetLastError(), 29);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "p");
}

TEST_F(ErrorsTest, MessageIsReturnedAsACopyOfTheResult)
{
    // Loaded text (room 512), copied into the result (768), copied out (1024).
    Record(e_NoDocument, nullptr);
    CT_String const message = CT_Errors::cco_GetLastError();
    EXPECT_EQ(Text(message), "Please open a document");
    EXPECT_EQ(message.n_GetSize(), 1024u);
}

// What the helper thread saw of the message box before pressing OK.
struct Box
{
    char const *title;
    bool found;
    std::string text;
    HWND owner;
    std::vector<int> buttons;
    bool exclamation;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM param)
{
    Box *box = reinterpret_cast<Box *>(param);
    char name[64] = {0};
    GetClassNameA(child, name, sizeof name);
    LONG const style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(name, "Button") == 0 && IsWindowVisible(child))
        box->buttons.push_back(GetDlgCtrlID(child));
    if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
    {
        HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        box->exclamation = icon != nullptr && icon == LoadIconA(nullptr, IDI_EXCLAMATION);
    }
    return TRUE;
}

void InspectAndPressOk(void *context)
{
    Box *box = static_cast<Box *>(context);
    HWND window = test::WaitForWindow(box->title);
    if (window == nullptr)
        return;
    box->found = true;
    box->text = test::StaticTexts(window);
    box->owner = GetWindow(window, GW_OWNER);
    EnumChildWindows(window, InspectChild, reinterpret_cast<LPARAM>(box));
    test::PressButton(window, IDOK);
}

Box Shown(char const *title)
{
    Box box = {title, false, "", nullptr, {}, false};
    return box;
}

void ExpectErrorBox(Box const &box, std::string const &text)
{
    ASSERT_TRUE(box.found) << "no box titled " << box.title;
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(box.exclamation);
}

TEST_F(ErrorsTest, DisplayErrorShowsTheRecordedErrorThenResets)
{
    Record(e_FileOpen, "C:\\a.txt");
    Box box = Shown("Error");
    {
        test::Driver driver(InspectAndPressOk, &box);
        CT_Errors::v_DisplayError();
    }
    ExpectErrorBox(box, Expected(e_FileOpen, "C:\\a.txt"));
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Unknown);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "");
}

TEST_F(ErrorsTest, DisplayErrorIsOwnedByTheActiveWindow)
{
    HWND window = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    ASSERT_EQ(GetActiveWindow(), window);
    Record(e_NoDocument, nullptr);
    Box box = Shown("Error");
    {
        test::Driver driver(InspectAndPressOk, &box);
        CT_Errors::v_DisplayError();
    }
    DestroyWindow(window);
    ExpectErrorBox(box, "Please open a document");
    EXPECT_EQ(box.owner, window);
}

TEST_F(ErrorsTest, DisplayErrorWithCodeShowsThatErrorAndRestoresTheRecord)
{
    Record(e_FileRead, "x.txt");
    Box box = Shown("Error");
    {
        test::Driver driver(InspectAndPressOk, &box);
        CT_Errors::v_DisplayError(e_FileWrite, "C:\\b.txt");
    }
    ExpectErrorBox(box, Expected(e_FileWrite, "C:\\b.txt"));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileRead);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "x.txt");

    Box unfilled = Shown("Error");
    {
        test::Driver driver(InspectAndPressOk, &unfilled);
        CT_Errors::v_DisplayError(e_OpenDocument, nullptr);
    }
    ExpectErrorBox(unfilled, "An error occured when opening the file\n\"%\"");
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_FileRead);
}

TEST_F(ErrorsTest, DisplayErrorWithCodeWithoutMessageRestoresTheRecord)
{
    Record(e_ListFull, "kept");
    Box box = Shown("Error");
    {
        test::Driver driver(InspectAndPressOk, &box);
        CT_Errors::v_DisplayError(e_NoMessage, "p");
    }
    ExpectErrorBox(box, "Error 20 (no message associated with)");
    // The failed load of string 1021 recorded code 2; the saved record is back.
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_ListFull);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "kept");
}

TEST_F(ErrorsTest, BoxShowsTheTitleAModuleSet)
{
    CT_Errors::sco_Title.v_Set(GetModuleHandleA("Common.dll"), 4, CT_String("%"));
    Box box = Shown("Add Files");
    {
        test::Driver driver(InspectAndPressOk, &box);
        CT_Errors::v_DisplayError(e_NothingSelected, nullptr);
    }
    CT_Errors::sco_Title.v_Set(1000, CT_String("%"));
    ExpectErrorBox(box, "Nothing is selected");
    EXPECT_EQ(Text(CT_Errors::sco_Title.cco_Get()), "Error");
}
} // namespace
