// The dialogs are Wine's own: a helper thread waits for each, reads what it
// offers, types into it and presses its buttons, as a user would.
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
// Bounds for an emulated 32-bit Wine, where a dialog's steps take seconds.
DWORD const kBoxTimeoutMs = 60000, kCloseTimeoutMs = 120000;

// What the helper thread does with one dialog, and what it saw there.
struct Script
{
    char const *title; // the one expected
    int button;
    std::string typed;  // into the file-name field (none: the name offered), or the folder to select
    int box_button = 0; // answers the box the button raises
    std::string folder; // a file dialog is first taken there, wherever it opened
    std::string shown, offered, filters, texts; // texts: of the box, if any, else of the dialog
    HWND owner = nullptr;
    bool closed = false; // the dialog went away after the button (and the box)
};

// A visible window of this process that the owner owns: the box its button raised.
HWND WaitForBox(HWND owner, DWORD timeout_ms = kBoxTimeoutMs)
{
    return test::WaitForWindow([owner](HWND window) { return GetWindow(window, GW_OWNER) == owner; }, timeout_ms);
}

bool WaitUntilClosed(HWND window)
{
    for (DWORD const start = GetTickCount(); GetTickCount() - start <= kCloseTimeoutMs; Sleep(50))
        if (!IsWindow(window))
            return true;
    return false;
}

// A dialog left open (it refused the input, shows a box nobody expected, or is
// not the one expected) is cancelled with its boxes, so the test fails instead
// of hanging. The boxes are up by then, or never come.
void CancelLeftOpen(HWND dialog)
{
    for (HWND box; dialog && (box = WaitForBox(dialog, 2000)) != nullptr; WaitUntilClosed(box))
        test::PressButton(box, IDCANCEL);
    test::PressButton(dialog, IDCANCEL);
    WaitUntilClosed(dialog);
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

bool IsDialog(HWND window)
{
    char name[8] = {0};
    return GetClassNameA(window, name, sizeof name) && std::string(name) == "#32770";
}

void ReadDialog(Script &script, HWND dialog, HWND edit)
{
    script.owner = GetWindow(dialog, GW_OWNER);
    script.texts = test::StaticTexts(dialog);
    script.offered = test::WindowText(edit);
    char text[256] = {0};
    for (int n_item = 0; SendDlgItemMessageA(dialog, 0x470, CB_GETLBTEXT, n_item, LPARAM(text)) > 0; ++n_item)
        script.filters += std::string(text) + "|";
}

void RunDialog(void *context)
{
    Script &script = *static_cast<Script *>(context);
    HWND const dialog = test::WaitForWindow([](HWND window) { return IsDialog(window); });
    script.shown = test::WindowText(dialog);
    if (script.shown != script.title) // none, or another one: cancelled, so the test goes on
        return CancelLeftOpen(dialog);
    DWORD_PTR ignored = 0; // answered once the dialog's own thread runs its message loop
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kCloseTimeoutMs, &ignored);
    HWND const edit = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, 0x47c, CBEM_GETEDITCONTROL, 0, 0));
    ReadDialog(script, dialog, edit);
    std::string const typed = script.typed.empty() ? script.offered : script.typed;
    if (edit)
    {
        GoToFolder(dialog, edit, script.folder);
        SendMessageA(edit, WM_SETTEXT, 0, LPARAM(typed.c_str()));
    }
    else if (!typed.empty())
        SelectFolder(dialog, typed);
    test::PressButton(dialog, script.button);
    if (HWND box = script.box_button ? WaitForBox(dialog) : nullptr)
    {
        script.texts = test::StaticTexts(box);
        test::PressButton(box, script.box_button);
    }
    if (!(script.closed = WaitUntilClosed(dialog)))
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

class FilesDialog : public ::testing::Test
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

    // Runs the dialog the call shows, driven by the script, and returns the call's result.
    template <class Call> int Run(Script &script, Call call)
    {
        script.folder = folder_;
        int result = 0;
        {
            test::Driver driver(RunDialog, &script); // joined before the script is read
            result = call();
        }
        EXPECT_EQ(script.title, script.shown) << "the dialog shown";
        EXPECT_TRUE(script.closed) << script.title << " stayed open: " << script.texts;
        // No owner given, and this thread has no active window: the dialog has none.
        EXPECT_EQ(owner_, script.owner) << script.title << "'s owner";
        return result;
    }

    ::testing::ScopedTrace trace_{__FILE__, __LINE__, ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    test::ScratchFolder scratch_;
    std::string folder_;
    CT_String filter_{kFilter};
    HWND owner_ = nullptr;
};
using CT_FilesDialogSave = FilesDialog;
using CT_FilesDialogOpen = FilesDialog;
using CT_FilesDialogMultiple = FilesDialog;
using CT_FilesDialogFolder = FilesDialog;
} // namespace

TEST_F(CT_FilesDialogSave, GivesTheFullPathOfTheNameOfferedAfterAskingBeforeOverwriting)
{
    CT_String file("a.txt");
    Script save = {"Export", IDOK, "", IDYES};
    EXPECT_EQ(1, Run(save, [&] { return CT_FilesDialog::b_ChooseSaveFile(file, filter_, nullptr, CT_ResString()); }));
    EXPECT_EQ("a.txt", save.offered);
    EXPECT_NE(std::string::npos, save.texts.find("already exists")) << "the box: " << save.texts;
    EXPECT_STREQ((folder_ + "a.txt").c_str(), file);
}

TEST_F(CT_FilesDialogSave, OffersTheFilterAsDescriptionAndPatternPairsAndLeavesItAsGiven)
{
    CT_String file("a.txt");
    Script save = {"Export", IDCANCEL};
    EXPECT_EQ(0, Run(save, [&] { return CT_FilesDialog::b_ChooseSaveFile(file, filter_, nullptr, CT_ResString()); }));
    EXPECT_EQ("Text (*.txt)|All files (*.*)|", save.filters);
    EXPECT_STREQ(kFilter, filter_);
}

TEST_F(CT_FilesDialogOpen, GivesTheFullPathOfTheChosenFile)
{
    CT_String file("a.txt");
    Script open = {"Import", IDOK, "b.txt"};
    EXPECT_EQ(1, Run(open, [&] { return CT_FilesDialog::b_ChooseOpenFile(file, filter_, nullptr, CT_ResString()); }));
    EXPECT_STREQ((folder_ + "b.txt").c_str(), file);
}

TEST_F(CT_FilesDialogOpen, CancelLeavesTheStringAndItsRoomAsTheyWere)
{
    CT_String file("keep.txt");
    Script open = {"Import", IDCANCEL, "a.txt"};
    EXPECT_EQ(0, Run(open, [&] { return CT_FilesDialog::b_ChooseOpenFile(file, filter_, nullptr, CT_ResString()); }));
    EXPECT_STREQ("keep.txt", file);
    EXPECT_EQ(256u, file.n_GetSize());
    EXPECT_EQ(std::string(256 - 8, '\0'), std::string(static_cast<char const *>(file) + 8, 256 - 8)) << "zero tail";
}

TEST_F(CT_FilesDialogOpen, ShowsACustomTitleFromAResourceString)
{
    CT_ResString title(GetModuleHandleA("Common.dll"), 50, CT_String("%")); // "% log"
    title.v_Fix(CT_String("Veltrane"), CT_String(""));
    CT_String file("a.txt");
    Script open = {"Veltrane log", IDCANCEL};
    EXPECT_EQ(0, Run(open, [&] { return CT_FilesDialog::b_ChooseOpenFile(file, filter_, nullptr, title); }));
}

TEST_F(CT_FilesDialogOpen, BelongsToTheOwnerGiven)
{
    owner_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CT_String file("a.txt");
    Script open = {"Import", IDCANCEL};
    EXPECT_EQ(0, Run(open, [&] { return CT_FilesDialog::b_ChooseOpenFile(file, filter_, owner_, CT_ResString()); }));
    DestroyWindow(owner_);
}

TEST_F(CT_FilesDialogMultiple, AddsSeveralNamesBehindThePriorNames)
{
    CT_String folder("start"), names("x.dat");
    Script two = {"Add Files", IDOK, "\"a.txt\" \"b.txt\""};
    EXPECT_EQ(1, Run(two, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }));
    EXPECT_EQ(folder_, Elements(folder));
    EXPECT_EQ("x.dat|a.txt|b.txt", Elements(names));
}

TEST_F(CT_FilesDialogMultiple, OneNameReplacesThePriorNames)
{
    CT_String folder("start"), names("x.dat");
    Script one = {"Add Files", IDOK, "a.txt"};
    EXPECT_EQ(1, Run(one, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }));
    EXPECT_EQ(folder_, Elements(folder));
    EXPECT_EQ("a.txt", Elements(names));
}

TEST_F(CT_FilesDialogMultiple, CancelLeavesBothStrings)
{
    CT_String folder("start"), names("x.dat");
    Script cancel = {"Add Files", IDCANCEL, "\"a.txt\" \"b.txt\""};
    EXPECT_EQ(0, Run(cancel, [&] { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }));
    EXPECT_STREQ("start", folder);
    EXPECT_EQ("x.dat", Elements(names));
}

TEST_F(CT_FilesDialogMultiple, APathLongerThanTheRoomRaisesTooManyFilesAndLeavesTheStrings)
{
    // One chosen path of 257 characters: past the room of 256, within MAX_PATH.
    std::string const name = std::string(257 - folder_.size() - 4, 'n') + ".txt";
    test::WriteBytes(folder_ + name, {'n'});
    CT_String folder("s"), names("x.dat");
    int raised = -1;
    Script big = {"Add Files", IDOK, name};
    Run(big, [&] {
        try { return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, 0); }
        catch (et_ErrorCode e_code) { return raised = e_code; }
    });
    EXPECT_EQ(e_TooManyFiles, raised);
    EXPECT_STREQ("", CT_Errors::co_GetLastParameter());
    EXPECT_STREQ("s", folder);
    EXPECT_EQ("x.dat", Elements(names));
}

TEST_F(CT_FilesDialogFolder, ShowsThePromptAndCancelLeavesTheString)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); // the browser needs COM
    CT_String folder("D:\\before");
    Script cancel = {"Browse for Folder", IDCANCEL};
    EXPECT_EQ(0, Run(cancel, [&] { return CT_FilesDialog::b_BrowseForFolder(folder, nullptr); }));
    EXPECT_NE(std::string::npos, cancel.texts.find("Please select a folder below and click OK.")) << cancel.texts;
    EXPECT_STREQ("D:\\before", folder);
    CoUninitialize();
}

TEST_F(CT_FilesDialogFolder, GivesTheChosenFolderWholeAndGrowsTheRoom)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    // A path of 258 characters: more than the room of 256, within MAX_PATH. Under C:\ as
    // the browser's tree does not reach into the user's profile.
    std::string const top = "C:\\common-browse-" + std::to_string(GetCurrentProcessId());
    std::string const chosen = top + "\\" + std::string(258 - top.size() - 1, 'e');
    ASSERT_TRUE(CreateDirectoryA(top.c_str(), nullptr) && CreateDirectoryA(chosen.c_str(), nullptr));
    CT_String folder("D:\\before");
    Script pick = {"Browse for Folder", IDOK, chosen};
    EXPECT_EQ(1, Run(pick, [&] { return CT_FilesDialog::b_BrowseForFolder(folder, nullptr); }));
    RemoveDirectoryA(chosen.c_str());
    RemoveDirectoryA(top.c_str());
    EXPECT_STREQ(chosen.c_str(), folder);
    EXPECT_EQ(chosen.size() + 256, folder.n_GetSize());
    CoUninitialize();
}
