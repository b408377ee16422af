// The dialogs are Wine's own: a helper thread waits for each, reads what it
// offers, types into it and presses its buttons, as a user would.
#include "CT_FilesDialog.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
// The folder browser needs COM on the thread that shows it, the test thread.
HRESULT const kCom = CoInitialize(nullptr);
// Bounds for an emulated 32-bit Wine, where a dialog's steps take seconds.
DWORD const kBoxTimeoutMs = 60000, kCloseTimeoutMs = 120000;

// What the helper thread does with one dialog, and what it saw there.
struct Script
{
    char const *title; // the one expected
    int button;
    std::string typed;  // into the file-name field (none: the name offered), or the folder to select
    int box_button = 0; // answers the box the button raises
    // Where a file dialog is first taken, wherever it opened; then what the helper saw: the title
    // (marked when the dialog had to be cancelled), the name and filters offered, the texts of
    // the box, if any, else of the dialog; and the call's result, or the code it raised, negated.
    std::string folder, shown, offered, filters, texts;
    HWND owner = nullptr;
    int result = -1;
};

bool Closed(HWND window)
{
    for (DWORD const start = GetTickCount(); GetTickCount() - start <= kCloseTimeoutMs; Sleep(50))
        if (!IsWindow(window))
            return true;
    return false;
}

// A window the dialog owns: the box its button raised.
HWND BoxOver(HWND dialog, DWORD timeout_ms)
{
    return test::WaitForWindow([dialog](HWND window) { return GetWindow(window, GW_OWNER) == dialog; }, timeout_ms);
}

// Wine's file dialogs open in the folder the program used last, which may be an earlier
// test's: the folder is typed and opened first, as a user would. The folder browser fills
// its tree as it goes and does not select a folder it cannot find yet (a fresh Wine prefix
// showed it once): it is asked again for two seconds, as its answer tells nothing.
void Type(HWND dialog, HWND edit, std::string const &folder, std::string const &typed)
{
    for (int n_try = 0; !edit && !typed.empty() && n_try < 20; ++n_try, Sleep(100))
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, LPARAM(typed.c_str()));
    if (!edit)
        return;
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(folder.c_str()));
    SendMessageA(dialog, WM_COMMAND, IDOK, LPARAM(GetDlgItem(dialog, IDOK)));
    SendMessageA(edit, WM_SETTEXT, 0, LPARAM(typed.c_str()));
}

// Reads the dialog, types into it, presses the button and answers the box it raises.
void Answer(Script &script, HWND dialog)
{
    script.owner = GetWindow(dialog, GW_OWNER);
    script.texts = test::StaticTexts(dialog);
    HWND const edit = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, cmb13, CBEM_GETEDITCONTROL, 0, 0));
    script.offered = test::WindowText(edit);
    char text[256] = {0};
    for (int n_item = 0; SendDlgItemMessageA(dialog, cmb1, CB_GETLBTEXT, n_item, LPARAM(text)) > 0; ++n_item)
        script.filters += std::string(text) + "|";
    Type(dialog, edit, script.folder, script.typed.empty() ? script.offered : script.typed);
    test::PressButton(dialog, script.button);
    if (HWND const box = script.box_button ? BoxOver(dialog, kBoxTimeoutMs) : nullptr)
    {
        script.texts = test::StaticTexts(box);
        test::PressButton(box, script.box_button);
    }
}

void RunDialog(void *context)
{
    Script &script = *static_cast<Script *>(context);
    HWND const dialog = test::WaitForWindow([](HWND) { return true; }); // the first window this process shows
    script.shown = test::WindowText(dialog);
    DWORD_PTR ignored = 0; // answered once the dialog's own thread runs its message loop
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, kCloseTimeoutMs, &ignored);
    if (script.shown == script.title) // another one is only cancelled, so the test goes on
        Answer(script, dialog);
    if (script.shown == script.title && Closed(dialog))
        return;
    // A dialog left open (it refused the input, shows a box nobody expected, or is not the
    // one expected) is cancelled with its boxes, so that the test fails instead of hanging.
    script.shown += " (cancelled)";
    for (HWND box; (box = BoxOver(dialog, 2000)) != nullptr; Closed(box))
    {
        script.shown += " under the box \"" + test::StaticTexts(box) + "\"";
        test::PressButton(box, IDCANCEL);
    }
    test::PressButton(dialog, IDCANCEL);
    Closed(dialog);
}

std::string Elements(CT_String list)
{
    list.v_ResetArray();
    std::string elements(list);
    while (list.b_NextElement())
        elements += "|" + std::string(list);
    return elements;
}

enum Dialog { kSave, kOpen, kMultiple, kFolder };

class FilesDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char full[MAX_PATH] = {0};
        GetLongPathNameA(scratch_.Path().c_str(), full, sizeof full);
        folder_ = std::string(full) + "\\";
        for (char const *name : {"a.txt", "b.txt"})
            test::WriteBytes(folder_ + name, {'x'});
        ASSERT_TRUE(SetCurrentDirectoryA(full)); // where Wine's file dialogs open
    }
    void TearDown() override { SetCurrentDirectoryA("C:\\"); } // lets the scratch folder go

    // Shows the dialog, driven by the script, and returns what the helper saw and the call's result.
    Script Run(Dialog dialog, Script script)
    {
        script.folder = folder_;
        try
        {
            test::Driver driver(RunDialog, &script); // joined before the script is read, even on a raise
            script.result =
                dialog == kSave   ? CT_FilesDialog::b_ChooseSaveFile(answer_, filter_, owner_, title_)
                : dialog == kOpen ? CT_FilesDialog::b_ChooseOpenFile(answer_, filter_, owner_, title_)
                : dialog == kMultiple ? CT_FilesDialog::b_ChooseOpenMultipleFile(answer_, names_, filter_, owner_)
                                      : CT_FilesDialog::b_BrowseForFolder(answer_, owner_);
        }
        catch (et_ErrorCode e_code)
        {
            script.result = -e_code;
        }
        EXPECT_EQ(script.title, script.shown) << script.texts;
        EXPECT_EQ(owner_, script.owner) << "the owner"; // none given, and none active: none
        return script;
    }

    ::testing::ScopedTrace trace_{__FILE__, __LINE__, ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    test::ScratchFolder scratch_;
    std::string folder_;
    CT_String filter_{"Text (*.txt)|*.txt|All files (*.*)|*.*||"}, answer_{"a.txt"}, names_{"x.dat"};
    CT_ResString title_;
    HWND owner_ = nullptr;
};
using CT_FilesDialogSave = FilesDialog;
using CT_FilesDialogOpen = FilesDialog;
using CT_FilesDialogMultiple = FilesDialog;
using CT_FilesDialogFolder = FilesDialog;
} // namespace

TEST_F(CT_FilesDialogSave, GivesTheFullPathOfTheNameOfferedAfterAskingBeforeOverwriting)
{
    Script const save = Run(kSave, {"Export", IDOK, "", IDYES});
    EXPECT_EQ(1, save.result);
    EXPECT_EQ("a.txt", save.offered);
    EXPECT_NE(std::string::npos, save.texts.find("already exists")) << "the box: " << save.texts;
    EXPECT_STREQ((folder_ + "a.txt").c_str(), answer_);
}

TEST_F(CT_FilesDialogSave, OffersTheFilterAsDescriptionAndPatternPairsAndLeavesItAsGiven)
{
    EXPECT_EQ("Text (*.txt)|All files (*.*)|", Run(kSave, {"Export", IDCANCEL}).filters);
    EXPECT_STREQ("Text (*.txt)|*.txt|All files (*.*)|*.*||", filter_);
}

TEST_F(CT_FilesDialogOpen, GivesTheFullPathOfTheChosenFile)
{
    EXPECT_EQ(1, Run(kOpen, {"Import", IDOK, "b.txt"}).result);
    EXPECT_STREQ((folder_ + "b.txt").c_str(), answer_);
}

TEST_F(CT_FilesDialogOpen, CancelLeavesTheStringAndItsRoomAsTheyWere)
{
    EXPECT_EQ(0, Run(kOpen, {"Import", IDCANCEL, "b.txt"}).result);
    EXPECT_STREQ("a.txt", answer_);
    EXPECT_EQ(256u, answer_.n_GetSize());
    EXPECT_EQ(std::string(251, '\0'), std::string(static_cast<char const *>(answer_) + 5, 251)) << "the zero tail";
}

TEST_F(CT_FilesDialogOpen, ShowsACustomTitleUnderTheOwnerGiven)
{
    title_ = CT_ResString(GetModuleHandleA("Common.dll"), 50, CT_String("%")); // "% log"
    title_.v_Fix(CT_String("Veltrane"), CT_String(""));
    owner_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, Run(kOpen, {"Veltrane log", IDCANCEL}).result);
    DestroyWindow(owner_);
}

TEST_F(CT_FilesDialogMultiple, AddsSeveralNamesBehindThePriorNames)
{
    EXPECT_EQ(1, Run(kMultiple, {"Add Files", IDOK, "\"a.txt\" \"b.txt\""}).result);
    EXPECT_STREQ(folder_.c_str(), answer_);
    EXPECT_EQ("x.dat|a.txt|b.txt", Elements(names_));
}

TEST_F(CT_FilesDialogMultiple, OneNameReplacesThePriorNames)
{
    EXPECT_EQ(1, Run(kMultiple, {"Add Files", IDOK, "b.txt"}).result);
    EXPECT_STREQ(folder_.c_str(), answer_);
    EXPECT_EQ("b.txt", Elements(names_));
}

TEST_F(CT_FilesDialogMultiple, CancelLeavesBothStrings)
{
    EXPECT_EQ(0, Run(kMultiple, {"Add Files", IDCANCEL, "\"a.txt\" \"b.txt\""}).result);
    EXPECT_STREQ("a.txt", answer_);
    EXPECT_EQ("x.dat", Elements(names_));
}

TEST_F(CT_FilesDialogMultiple, APathLongerThanTheRoomRaisesTooManyFilesAndLeavesBothStrings)
{
    std::string const name = std::string(257 - folder_.size() - 4, 'n') + ".txt"; // 257 characters with the folder
    test::WriteBytes(folder_ + name, {'n'});
    EXPECT_EQ(-e_TooManyFiles, Run(kMultiple, {"Add Files", IDOK, name}).result);
    EXPECT_STREQ("", CT_Errors::co_GetLastParameter());
    EXPECT_STREQ("a.txt", answer_);
    EXPECT_EQ("x.dat", Elements(names_));
}

TEST_F(CT_FilesDialogFolder, ShowsThePromptAndCancelLeavesTheString)
{
    Script const browse = Run(kFolder, {"Browse for Folder", IDCANCEL});
    EXPECT_EQ(0, browse.result);
    EXPECT_NE(std::string::npos, browse.texts.find("Please select a folder below and click OK.")) << browse.texts;
    EXPECT_STREQ("a.txt", answer_);
}

TEST_F(CT_FilesDialogFolder, GivesTheChosenFolderWholeInARoomGrownToFit)
{
    // A path of 258 characters: more than the room of 256, within MAX_PATH. Under C:\ as
    // the browser's tree does not reach into the user's profile.
    std::string const top = "C:\\common-browse-" + std::to_string(GetCurrentProcessId());
    std::string const chosen = top + "\\" + std::string(258 - top.size() - 1, 'e');
    ASSERT_TRUE(CreateDirectoryA(top.c_str(), nullptr) && CreateDirectoryA(chosen.c_str(), nullptr));
    EXPECT_EQ(1, Run(kFolder, {"Browse for Folder", IDOK, chosen}).result);
    RemoveDirectoryA(chosen.c_str());
    RemoveDirectoryA(top.c_str());
    EXPECT_STREQ(chosen.c_str(), answer_);
    EXPECT_EQ(chosen.size() + 256, answer_.n_GetSize());
}
