// The dialogs are Wine's own: a helper thread finds each by its title, reads
// what it offers, types into it and presses its buttons.
#include "CT_FilesDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
char const kFilter[] = "Text (*.txt)|*.txt|All files (*.*)|*.*||";

// What the helper thread does with one dialog, and what it saw there.
struct Script
{
    char const *title;
    int button;
    std::string typed;  // for the file-name field, or the folder to select
    int box_button = 0; // answers the box the button raises
    std::string folder; // a file dialog is first taken there, wherever it opened
    bool found = false;
    bool closed = false; // the dialog went away after the button (and the box)
    HWND owner = nullptr;
    std::string offered, filters, texts; // texts: of the box, if any, else of the dialog
};

// Bounds for an emulated 32-bit Wine, where a dialog's steps take seconds.
DWORD const kBoxTimeoutMs = 60000;
DWORD const kCloseTimeoutMs = 120000;

// A visible window of this process that the owner owns: the box its button raised.
HWND WaitForBox(HWND owner)
{
    for (DWORD const start = GetTickCount(); GetTickCount() - start <= kBoxTimeoutMs; Sleep(50))
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
            if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window))
                return window;
    return nullptr;
}

bool WaitUntilClosed(HWND dialog)
{
    for (DWORD const start = GetTickCount(); GetTickCount() - start <= kCloseTimeoutMs; Sleep(50))
        if (!IsWindow(dialog))
            return true;
    return false;
}

// A dialog left open (it refused the input, or shows a box nobody expected)
// is cancelled, so that the test fails instead of hanging.
void CancelLeftOpen(HWND dialog)
{
    if (!dialog)
        return;
    for (HWND box; (box = WaitForBox(dialog)) != nullptr && IsWindow(box); WaitUntilClosed(box))
        test::PressButton(box, IDCANCEL);
    test::PressButton(dialog, IDCANCEL);
    WaitUntilClosed(dialog);
}

HWND AnyDialogOfThisProcess()
{
    for (HWND window = FindWindowA("#32770", nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// Wine's file dialogs open in the folder the program used last, which may be
// an earlier test's: the folder is typed and opened first, as a user would.
void GoToFolder(HWND dialog, HWND edit, std::string const &folder)
{
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// The folder browser fills its tree as it goes, and a folder it cannot find
// yet is not selected (a fresh Wine prefix showed it once): it is asked again
// for two seconds. Its answer tells nothing, and its tree shows no caret move.
void SelectFolder(HWND browser, std::string const &folder)
{
    for (int n_try = 0; n_try < 20; ++n_try, Sleep(100))
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
}

void ReadDialog(Script *script, HWND dialog, HWND edit)
{
    script->texts = test::StaticTexts(dialog);
    script->offered = test::WindowText(edit);
    char text[256] = {0};
    for (int n_item = 0; SendDlgItemMessageA(dialog, 0x470, CB_GETLBTEXT, n_item, LPARAM(text)) > 0; ++n_item)
        script->filters += std::string(text) + "|";
}

void RunDialog(void *context)
{
    Script *script = static_cast<Script *>(context);
    HWND dialog = test::WaitForWindow(script->title);
    script->found = dialog != nullptr;
    script->owner = GetWindow(dialog, GW_OWNER);
    if (!dialog) // another dialog than the one expected: cancel it, so the test goes on
        return CancelLeftOpen(AnyDialogOfThisProcess());
    // Answered once the dialog's own thread runs its message loop.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kCloseTimeoutMs, &ignored);
    HWND edit = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, 0x47c, CBEM_GETEDITCONTROL, 0, 0));
    ReadDialog(script, dialog, edit);
    std::string const typed = script->typed.empty() ? script->offered : script->typed;
    if (edit && !script->folder.empty())
        GoToFolder(dialog, edit, script->folder);
    if (edit)
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
    else if (!typed.empty())
        SelectFolder(dialog, typed);
    test::PressButton(dialog, script->button);
    if (HWND box = script->box_button ? WaitForBox(dialog) : nullptr)
    {
        script->texts = test::StaticTexts(box);
        test::PressButton(box, script->box_button);
    }
    script->closed = WaitUntilClosed(dialog);
    if (!script->closed)
        CancelLeftOpen(dialog);
}

std::string Elements(CT_String list)
{
    list.v_ResetArray();
    std::string elements(list);
    while (list.b_NextElement())
        elements += "|" + std::string(list);
    return elements;
}

class FilesDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char full[MAX_PATH] = {0};
        GetLongPathNameA(scratch_.Path().c_str(), full, sizeof full);
        folder_ = std::string(full) + "\\";
        test::WriteBytes(folder_ + "a.txt", {'a'});
        test::WriteBytes(folder_ + "b.txt", {'b'});
        ASSERT_TRUE(SetCurrentDirectoryA(full)); // where Wine's file dialogs open
    }
    void TearDown() override { SetCurrentDirectoryA("C:\\"); } // lets the scratch folder go

    // Runs the dialog the call shows, driven by the script, and returns its result.
    template <class Call> int Run(Script &script, Call call)
    {
        script.folder = folder_;
        int result = 0;
        {
            test::Driver driver(RunDialog, &script); // joined before the script is read
            result = call();
        }
        EXPECT_TRUE(script.found) << script.title << " was not shown";
        EXPECT_TRUE(script.closed) << script.title << " stayed open: " << script.texts;
        return result;
    }

    test::ScratchFolder scratch_;
    std::string folder_;
    CT_String filter_{kFilter};
};
} // namespace

TEST_F(FilesDialogTest, SaveAndOpenGiveTheFullPathOrLeaveTheStringOnCancel)
{
    CT_String file("a.txt");
    Script save = {"Export", IDOK, "", IDYES};
    EXPECT_EQ(1, Run(save, [&] { return CT_FilesDialog::b_ChooseSaveFile(file, filter_, nullptr, CT_ResString()); }));
    EXPECT_EQ("a.txt", save.offered);
    EXPECT_EQ("Text (*.txt)|All files (*.*)|", save.filters); // description and pattern pairs
    EXPECT_NE(std::string::npos, save.texts.find("already exists")) << save.texts;
    EXPECT_STREQ((folder_ + "a.txt").c_str(), file);
    EXPECT_STREQ(kFilter, filter_);

    Script open = {"Import", IDOK, "b.txt"};
    EXPECT_EQ(1, Run(open, [&] { return CT_FilesDialog::b_ChooseOpenFile(file, filter_, nullptr, CT_ResString()); }));
    EXPECT_STREQ((folder_ + "b.txt").c_str(), file);

    CT_ResString title(GetModuleHandleA("Common.dll"), 50, CT_String("%")); // "% log"
    title.v_Fix(CT_String("Veltrane"), CT_String(""));
    CT_String kept("keep.txt");
    Script cancel = {"Veltrane log", IDCANCEL, "a.txt"};
    HWND const owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, Run(cancel, [&] { return CT_FilesDialog::b_ChooseOpenFile(kept, filter_, owner, title); }));
    EXPECT_EQ(owner, cancel.owner);
    EXPECT_EQ(nullptr, open.owner); // none given, and this thread has no active window
    DestroyWindow(owner);
    EXPECT_STREQ("keep.txt", kept);
    EXPECT_EQ(256u, kept.n_GetSize());
}

TEST_F(FilesDialogTest, MultipleGivesFolderAndNamesOrLeavesTheStrings)
{
    CT_String folder("start"), names("x.dat");
    Script cancel = {"Add Files", IDCANCEL, "\"a.txt\" \"b.txt\""};
    EXPECT_EQ(0, Run(cancel, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }));
    EXPECT_STREQ("start", folder);
    EXPECT_EQ("x.dat", Elements(names));

    Script two = {"Add Files", IDOK, "\"a.txt\" \"b.txt\""};
    EXPECT_EQ(1, Run(two, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }));
    EXPECT_EQ(folder_, Elements(folder));
    EXPECT_EQ("x.dat|a.txt|b.txt", Elements(names)); // behind the prior names

    Script one = {"Add Files", IDOK, "a.txt"};
    EXPECT_EQ(1, Run(one, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }));
    EXPECT_EQ(folder_, Elements(folder));
    EXPECT_EQ("a.txt", Elements(names)); // in place of the prior names

    // One chosen path of 257 characters: past the room of 256, within MAX_PATH.
    std::string const name = std::string(257 - folder_.size() - 4, 'n') + ".txt";
    test::WriteBytes(folder_ + name, {'n'});
    CT_String small("s");
    Script big = {"Add Files", IDOK, name};
    try
    {
        Run(big, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(small, names, filter_, 0); });
        ADD_FAILURE() << "no raise";
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_EQ(e_TooManyFiles, e_code);
    }
    EXPECT_STREQ("", CT_Errors::co_GetLastParameter());
    EXPECT_STREQ("s", small);
    EXPECT_EQ("a.txt", Elements(names));
}

TEST_F(FilesDialogTest, BrowseForFolderGivesTheChosenFolderOrLeavesTheString)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); // the browser needs COM
    CT_String folder("D:\\before");
    Script cancel = {"Browse for Folder", IDCANCEL};
    EXPECT_EQ(0, Run(cancel, [&] { return CT_FilesDialog::b_BrowseForFolder(folder, nullptr); }));
    EXPECT_NE(std::string::npos, cancel.texts.find("Please select a folder below and click OK."));
    EXPECT_STREQ("D:\\before", folder);

    // A path of 258 characters: more than the room of 256, within MAX_PATH. Under C:\ as
    // the browser's tree does not reach into the user's profile.
    std::string const top = "C:\\common-browse-" + std::to_string(GetCurrentProcessId());
    std::string const chosen = top + "\\" + std::string(258 - top.size() - 1, 'e');
    ASSERT_TRUE(CreateDirectoryA(top.c_str(), nullptr) && CreateDirectoryA(chosen.c_str(), nullptr));
    Script pick = {"Browse for Folder", IDOK, chosen};
    EXPECT_EQ(1, Run(pick, [&] { return CT_FilesDialog::b_BrowseForFolder(folder, nullptr); }));
    RemoveDirectoryA(chosen.c_str());
    RemoveDirectoryA(top.c_str());
    EXPECT_STREQ(chosen.c_str(), folder);
    EXPECT_EQ(chosen.size() + 256, folder.n_GetSize());
    CoUninitialize();
}
