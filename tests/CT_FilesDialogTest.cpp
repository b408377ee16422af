// The dialogs are Wine's own: a helper thread finds each by its title, reads
// what it offers, types into it and presses its buttons.
#include "CT_FilesDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
int const kFileNameField = 0x47c; // the Explorer dialog's file-name ComboBoxEx
int const kFilterCombo = 0x470;
int const kHelpButton = 0x40e;
int const kReadOnlyBox = 0x410;

char const kFilter[] = "Text (*.txt)|*.txt|All files (*.*)|*.*||";

// What the helper thread does with one dialog, and what it saw there.
struct Script
{
    std::string title;
    std::string typed; // put into the file-name field; empty: leave it
    int button = IDCANCEL;
    // A box the dialog raises after the button: pressed with box_button,
    // then the dialog with then_button (0: nothing more).
    int box_button = 0;
    int then_button = 0;

    bool found = false;
    bool box_found = false;
    std::string box_text;
    std::string offered;
    std::vector<std::string> filters;
    HWND owner = nullptr;
    bool help_shown = false;
    bool read_only_shown = true;
};

HWND FileNameEdit(HWND dialog)
{
    HWND field = GetDlgItem(dialog, kFileNameField);
    HWND edit = reinterpret_cast<HWND>(SendMessageA(field, CBEM_GETEDITCONTROL, 0, 0));
    return edit ? edit : field;
}

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
    {
        char text[512] = {0};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

struct OwnedContext
{
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM param)
{
    OwnedContext *context = reinterpret_cast<OwnedContext *>(param);
    if (GetWindow(window, GW_OWNER) != context->owner || !IsWindowVisible(window))
        return TRUE;
    context->found = window;
    return FALSE;
}

HWND WaitForOwnedWindow(HWND owner, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        OwnedContext context = {owner, nullptr};
        EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&context));
        if (context.found || GetTickCount() - start > timeout_ms)
            return context.found;
        Sleep(50);
    }
}

void AnswerBox(HWND dialog, Script *script)
{
    HWND box = WaitForOwnedWindow(dialog, 5000);
    script->box_found = box != nullptr;
    if (box)
    {
        script->box_text = test::StaticTexts(box);
        test::PressButton(box, script->box_button);
    }
    if (script->then_button)
        test::PressButton(dialog, script->then_button);
}

void RunFileDialog(void *context)
{
    Script *script = static_cast<Script *>(context);
    HWND dialog = test::WaitForWindow(script->title.c_str());
    if (!dialog)
        return;
    script->found = true;
    script->owner = GetWindow(dialog, GW_OWNER);
    script->offered = test::WindowText(FileNameEdit(dialog));
    script->filters = ComboItems(GetDlgItem(dialog, kFilterCombo));
    script->help_shown = IsWindowVisible(GetDlgItem(dialog, kHelpButton)) != 0;
    script->read_only_shown = IsWindowVisible(GetDlgItem(dialog, kReadOnlyBox)) != 0;
    if (!script->typed.empty())
        SendMessageA(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(script->typed.c_str()));
    test::PressButton(dialog, script->button);
    if (script->box_button)
        AnswerBox(dialog, script);
}

std::vector<std::string> Elements(CT_String list)
{
    std::vector<std::string> elements;
    list.v_ResetArray();
    if (!list.b_IsEmpty())
        elements.push_back(static_cast<char const *>(list));
    while (list.b_NextElement())
        elements.push_back(static_cast<char const *>(list));
    return elements;
}

class FilesDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        char full[MAX_PATH] = {0};
        GetLongPathNameA(scratch_.Path().c_str(), full, sizeof full);
        folder_ = full;
        test::WriteBytes(folder_ + "\\a.txt", {'a'});
        test::WriteBytes(folder_ + "\\b.txt", {'b'});
        // Wine's file dialogs open in the current folder.
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
        CT_Errors::v_ResetError();
    }
    void TearDown() override { SetCurrentDirectoryA(previous_); }

    int Save(CT_String &file, Script &script, CT_ResString const &title = CT_ResString(), HWND owner = nullptr)
    {
        test::Driver driver(RunFileDialog, &script);
        return CT_FilesDialog::b_ChooseSaveFile(file, filter_, owner, title);
    }
    int Open(CT_String &file, Script &script, CT_ResString const &title = CT_ResString(), HWND owner = nullptr)
    {
        test::Driver driver(RunFileDialog, &script);
        return CT_FilesDialog::b_ChooseOpenFile(file, filter_, owner, title);
    }
    int OpenMany(CT_String &folder, CT_String &names, Script &script)
    {
        test::Driver driver(RunFileDialog, &script);
        return CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, nullptr);
    }

    test::ScratchFolder scratch_;
    std::string folder_;
    CT_String filter_{kFilter};
    char previous_[MAX_PATH] = {0};
};

Script Press(char const *title, int button, std::string typed = std::string())
{
    Script script;
    script.title = title;
    script.button = button;
    script.typed = typed;
    return script;
}

TEST_F(FilesDialogTest, SaveGivesFullPathUnderDefaultTitle)
{
    CT_String file("report.log");
    Script script = Press("Export", IDOK);
    EXPECT_NE(Save(file, script), 0);
    ASSERT_TRUE(script.found);
    EXPECT_EQ(script.offered, "report.log");
    EXPECT_STREQ(file, (folder_ + "\\report.log").c_str());
    EXPECT_STREQ(filter_, kFilter);
}

TEST_F(FilesDialogTest, FileDialogsShowFilterPairsHelpAndNoReadOnlyBox)
{
    CT_String file;
    Script script = Press("Import", IDCANCEL);
    Open(file, script);
    ASSERT_TRUE(script.found);
    EXPECT_EQ(script.filters, (std::vector<std::string>{"Text (*.txt)", "All files (*.*)"}));
    EXPECT_TRUE(script.help_shown);
    EXPECT_FALSE(script.read_only_shown);
    EXPECT_EQ(script.offered, "");
    EXPECT_STREQ(filter_, kFilter);
}

TEST_F(FilesDialogTest, OpenGivesFullPathOfTypedName)
{
    CT_String file;
    Script script = Press("Import", IDOK, "b.txt");
    EXPECT_NE(Open(file, script), 0);
    ASSERT_TRUE(script.found);
    EXPECT_STREQ(file, (folder_ + "\\b.txt").c_str());
}

TEST_F(FilesDialogTest, SaveAsksBeforeOverwriting)
{
    CT_String file;
    Script script = Press("Export", IDOK, "a.txt");
    script.box_button = IDYES;
    EXPECT_NE(Save(file, script), 0);
    ASSERT_TRUE(script.found);
    EXPECT_TRUE(script.box_found);
    EXPECT_NE(script.box_text.find("already exists"), std::string::npos) << script.box_text;
    EXPECT_STREQ(file, (folder_ + "\\a.txt").c_str());
}

TEST_F(FilesDialogTest, OpenRefusesMissingFile)
{
    CT_String file("keep.txt");
    Script script = Press("Import", IDOK, "missing.txt");
    script.box_button = IDOK;
    script.then_button = IDCANCEL;
    EXPECT_EQ(Open(file, script), 0);
    ASSERT_TRUE(script.found);
    EXPECT_TRUE(script.box_found);
    EXPECT_NE(script.box_text.find("does not exist"), std::string::npos) << script.box_text;
    EXPECT_STREQ(file, "keep.txt");
}

TEST_F(FilesDialogTest, CancelReturnsZeroAndLeavesStringsUntouched)
{
    CT_String file("keep.txt");
    Script save = Press("Export", IDCANCEL, "other.txt");
    EXPECT_EQ(Save(file, save), 0);
    Script open = Press("Import", IDCANCEL, "a.txt");
    EXPECT_EQ(Open(file, open), 0);
    EXPECT_TRUE(save.found && open.found);
    EXPECT_STREQ(file, "keep.txt");
    EXPECT_EQ(file.n_GetSize(), 256u);

    CT_String folder("start"), names("x.dat");
    Script many = Press("Add Files", IDCANCEL, "\"a.txt\" \"b.txt\"");
    EXPECT_EQ(OpenMany(folder, names, many), 0);
    ASSERT_TRUE(many.found);
    EXPECT_STREQ(folder, "start");
    EXPECT_EQ(Elements(names), (std::vector<std::string>{"x.dat"}));
    EXPECT_STREQ(filter_, kFilter);
}

TEST_F(FilesDialogTest, CallersValidTitleWithFilledMarkerIsShown)
{
    // String 50 is "% log".
    CT_ResString title(GetModuleHandleA("Common.dll"), 50, CT_String("%"));
    title.v_Fix(CT_String("Veltrane"), CT_String(""));
    CT_String file;
    Script save = Press("Veltrane log", IDCANCEL);
    Save(file, save, title);
    Script open = Press("Veltrane log", IDCANCEL);
    Open(file, open, title);
    EXPECT_TRUE(save.found);
    EXPECT_TRUE(open.found);
}

TEST_F(FilesDialogTest, OwnerIsCallersWindowElseActiveWindowElseNone)
{
    ASSERT_EQ(GetActiveWindow(), nullptr);
    CT_String file;
    Script unowned = Press("Import", IDCANCEL);
    Open(file, unowned);
    EXPECT_TRUE(unowned.found);
    EXPECT_EQ(unowned.owner, nullptr);

    HWND window = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Script given = Press("Export", IDCANCEL);
    Save(file, given, CT_ResString(), window);
    EXPECT_EQ(given.owner, window);

    SetActiveWindow(window);
    EXPECT_EQ(GetActiveWindow(), window);
    Script active = Press("Export", IDCANCEL);
    Save(file, active);
    EXPECT_EQ(active.owner, window);
    DestroyWindow(window);
}

TEST_F(FilesDialogTest, MultipleWithTwoFilesGivesFolderAndNamesBehindPriorOnes)
{
    CT_String folder, names("x.dat");
    Script script = Press("Add Files", IDOK, "\"a.txt\" \"b.txt\"");
    EXPECT_EQ(OpenMany(folder, names, script), 1);
    ASSERT_TRUE(script.found);
    EXPECT_STREQ(folder, (folder_ + "\\").c_str());
    EXPECT_EQ(Elements(names), (std::vector<std::string>{"x.dat", "a.txt", "b.txt"}));

    CT_String fresh;
    CT_String folder2;
    Script again = Press("Add Files", IDOK, "\"b.txt\" \"a.txt\"");
    EXPECT_EQ(OpenMany(folder2, fresh, again), 1);
    EXPECT_EQ(fresh.n_GetNumberOfElement(), 2u);
    EXPECT_EQ(Elements(folder2), (std::vector<std::string>{folder_ + "\\"}));
    EXPECT_STREQ(filter_, kFilter);
}

TEST_F(FilesDialogTest, MultipleWithOneFileReplacesNames)
{
    CT_String folder, names("x.dat");
    names.v_AddElement(CT_String("y.dat"));
    Script script = Press("Add Files", IDOK, "a.txt");
    EXPECT_EQ(OpenMany(folder, names, script), 1);
    ASSERT_TRUE(script.found);
    EXPECT_STREQ(folder, (folder_ + "\\").c_str());
    EXPECT_EQ(Elements(names), (std::vector<std::string>{"a.txt"}));
}

TEST_F(FilesDialogTest, MultipleInDriveRootKeepsRootsBackslashAndAddsOne)
{
    std::string const stem = "common-root-" + std::to_string(GetCurrentProcessId());
    test::WriteBytes("C:\\" + stem + "-a.txt", {'a'});
    test::WriteBytes("C:\\" + stem + "-b.txt", {'b'});
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    CT_String folder, names;
    Script script = Press("Add Files", IDOK, "\"" + stem + "-a.txt\" \"" + stem + "-b.txt\"");
    int result = OpenMany(folder, names, script);
    DeleteFileA(("C:\\" + stem + "-a.txt").c_str());
    DeleteFileA(("C:\\" + stem + "-b.txt").c_str());
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(folder, "C:\\\\");
    EXPECT_EQ(Elements(names), (std::vector<std::string>{stem + "-a.txt", stem + "-b.txt"}));
}

TEST_F(FilesDialogTest, MultipleSelectionThatDoesNotFitRaisesTooManyFiles)
{
    // One chosen path of 257 characters: past the folder string's room of
    // 256, still within what the dialog itself handles (MAX_PATH).
    std::string const name = std::string(257 - folder_.size() - 1 - 4, 'n') + ".txt";
    test::WriteBytes(folder_ + "\\" + name, {'n'});
    CT_String names("x.dat");
    CT_String small("s");
    ASSERT_EQ(small.n_GetSize(), 256u);
    ASSERT_EQ(folder_.size() + 1 + name.size(), 257u);

    Script script = Press("Add Files", IDOK, name);
    int code = -1;
    try
    {
        OpenMany(small, names, script);
    }
    catch (et_ErrorCode e)
    {
        code = e;
    }
    ASSERT_TRUE(script.found);
    EXPECT_EQ(code, e_TooManyFiles);
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_TooManyFiles);
    EXPECT_STREQ(CT_Errors::co_GetLastParameter(), "");
    EXPECT_EQ(Elements(names), (std::vector<std::string>{"x.dat"}));
    // The platform wrote the size it needed over the buffer's first bytes.
    EXPECT_STREQ(small, "s");
    EXPECT_EQ(small.n_GetSize(), 256u);
    EXPECT_NE(std::string(CT_Errors::cco_GetLastError()).find("Please select fewer files and try again."),
              std::string::npos);
}

// The folder browser: the tree runs Desktop, My Computer, (C:), then folders.
struct BrowseScript
{
    std::vector<std::string> path; // folder names below C:\; empty: select nothing
    int button = IDCANCEL;

    bool found = false;
    bool selected = false;
    std::string statics;
};

BOOL CALLBACK FindTree(HWND child, LPARAM param)
{
    char name[64] = {0};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, WC_TREEVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(param) = child;
    return FALSE;
}

std::string ItemText(HWND tree, HTREEITEM item)
{
    char text[MAX_PATH] = {0};
    TVITEMA data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

bool Matches(std::string const &text, std::string const &wanted)
{
    if (wanted == "(C:)") // drives show their label before the letter
        return text.size() >= 4 && text.compare(text.size() - 4, 4, wanted) == 0;
    return text == wanted;
}

// Expands the item (the browser fills children on demand) and finds the child.
HTREEITEM Child(HWND tree, HTREEITEM item, std::string const &wanted)
{
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    HTREEITEM child = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                               reinterpret_cast<LPARAM>(item)));
    for (; child; child = reinterpret_cast<HTREEITEM>(
                      SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
        if (Matches(ItemText(tree, child), wanted))
            return child;
    return nullptr;
}

bool SelectFolder(HWND dialog, std::vector<std::string> const &path)
{
    HWND tree = nullptr;
    EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&tree));
    if (!tree)
        return false;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    std::vector<std::string> steps = {"My Computer", "(C:)"};
    steps.insert(steps.end(), path.begin(), path.end());
    for (std::string const &step : steps)
        if (item)
            item = Child(tree, item, step);
    if (!item)
        return false;
    return SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

void RunBrowser(void *context)
{
    BrowseScript *script = static_cast<BrowseScript *>(context);
    HWND dialog = test::WaitForWindow("Browse for Folder");
    if (!dialog)
        return;
    script->found = true;
    script->statics = test::StaticTexts(dialog);
    script->selected = !script->path.empty() && SelectFolder(dialog, script->path);
    // Without a selection OK must not be pressed: the browser would hand
    // back whatever it started on.
    test::PressButton(dialog, script->selected ? script->button : IDCANCEL);
}

// Folders right under C:\, so the tree reaches them in a few steps.
class BrowseForFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        top_ = "common-browse-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(("C:\\" + top_).c_str(), nullptr));
        CT_Errors::v_ResetError();
    }
    void TearDown() override
    {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            RemoveDirectoryA(it->c_str());
        RemoveDirectoryA(("C:\\" + top_).c_str());
        CoUninitialize();
    }
    std::string Make(std::vector<std::string> const &names)
    {
        std::string path = "C:\\" + top_;
        for (std::string const &name : names)
        {
            path += "\\" + name;
            EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
            made_.push_back(path);
        }
        return path;
    }
    int Browse(CT_String &folder, BrowseScript &script)
    {
        test::Driver driver(RunBrowser, &script);
        return CT_FilesDialog::b_BrowseForFolder(folder, nullptr);
    }

    std::string top_;
    std::vector<std::string> made_;
};

TEST_F(BrowseForFolderTest, CancelReturnsZeroAndLeavesStringUntouched)
{
    CT_String folder("D:\\before");
    BrowseScript script;
    EXPECT_EQ(Browse(folder, script), 0);
    ASSERT_TRUE(script.found);
    EXPECT_NE(script.statics.find("Please select a folder below and click OK."), std::string::npos)
        << script.statics;
    EXPECT_STREQ(folder, "D:\\before");
    EXPECT_EQ(folder.n_GetSize(), 256u);
}

TEST_F(BrowseForFolderTest, ChosenFolderGivesItsPathWithoutClosingBackslash)
{
    std::string expected = Make({"chosen"});
    CT_String folder;
    BrowseScript script;
    script.path = {top_, "chosen"};
    script.button = IDOK;
    EXPECT_EQ(Browse(folder, script), 1);
    ASSERT_TRUE(script.selected);
    EXPECT_STREQ(folder, expected.c_str());
}

TEST_F(BrowseForFolderTest, LongPathGrowsAStringOfSmallRoom)
{
    // A path of 258 characters: more than the room of 256, within MAX_PATH.
    std::string const first(120, 'd');
    std::string const second(258 - (3 + top_.size() + 1 + first.size() + 1), 'e');
    std::string expected = Make({first, second});
    ASSERT_EQ(expected.size(), 258u);
    CT_String folder("short");
    ASSERT_EQ(folder.n_GetSize(), 256u);
    BrowseScript script;
    script.path = {top_, first, second};
    script.button = IDOK;
    EXPECT_EQ(Browse(folder, script), 1);
    ASSERT_TRUE(script.selected);
    EXPECT_STREQ(folder, expected.c_str());
    EXPECT_EQ(folder.n_GetSize(), expected.size() + 256);
}
} // namespace
