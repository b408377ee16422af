// The dialogs through stand-ins for the platform's calls: each notes what the library hands it and answers
// as the row says. One test runs Wine's own dialog, to show that the stand-ins answer as it does.
#include "CT_FilesDialog.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "NamedRows.h"
#include "Routes.h"
#include "TestSupport.h"

namespace
{
using namespace std::string_literals;

enum Dialog { kSave, kOpen, kMultiple, kFolder };
// A dialog called on the fixture's strings, how the platform answers, and what the test expects.
struct Row
{
    char const *name;
    Dialog dialog;
    BOOL result;         // the dialog's; for the browser the path lookup's, or kNoItem
    std::string written; // into the file buffer, or the folder's path
    DWORD error;         // CommDlgExtendedError's code; for the browser SHGetMalloc's result
    std::string expected;
    HWND owner;         // the caller's; null for the active window
    CT_ResString title; // the caller's; none: the default title
};
void PrintTo(Row const &row, std::ostream *out) { *out << row.name; }
BOOL const kNoItem = -1; // the browser hands back no item list, as on cancel
HWND const kActive = reinterpret_cast<HWND>(0x1357), kGiven = reinterpret_cast<HWND>(0x2468);
Row const *answer = nullptr; // none: the stand-ins call the real functions
std::string handed;          // what the library handed the platform, in a line
std::string answered;        // what the file buffer held after the dialog

// An element list, or the platform's filter list: the bytes up to the double zero, and it.
std::string List(char const *bytes)
{
    size_t size = 0;
    while (bytes[size] || bytes[size + 1])
        ++size;
    return std::string(bytes, size + 2);
}

BOOL FileDialog(BOOL(WINAPI *platform)(LPOPENFILENAMEA), LPOPENFILENAMEA d)
{
    std::ostringstream line;
    line << "size " << d->lStructSize << std::hex << ", owner " << ULONG_PTR(d->hwndOwner) << ", flags " << d->Flags
         << ", title " << d->lpstrTitle << ", filter " << List(d->lpstrFilter) << ", offers " << d->lpstrFile
         << ", room " << std::dec << d->nMaxFile;
    handed = line.str();
    BOOL const result = answer ? answer->result : platform(d);
    if (answer)
        answer->written.copy(d->lpstrFile, answer->written.size());
    answered = List(d->lpstrFile);
    return result;
}
BOOL WINAPI FakeSave(LPOPENFILENAMEA d) { return FileDialog(GetSaveFileNameA, d); }
BOOL WINAPI FakeOpen(LPOPENFILENAMEA d) { return FileDialog(GetOpenFileNameA, d); }
DWORD WINAPI FakeError() { return answer ? answer->error : CommDlgExtendedError(); }
HWND WINAPI FakeActive() { return answer ? kActive : GetActiveWindow(); }
HRESULT WINAPI FakeMalloc(IMalloc **malloc) { return answer && answer->error ? answer->error : SHGetMalloc(malloc); }
// The browser has no test on screen: its stand-ins always answer.
PIDLIST_ABSOLUTE WINAPI FakeBrowse(LPBROWSEINFOA b)
{
    std::ostringstream line;
    line << std::hex << "owner " << ULONG_PTR(b->hwndOwner) << ", flags " << b->ulFlags << ", title " << b->lpszTitle;
    handed = line.str();
    return answer->result == kNoItem ? nullptr : static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(2)); // the library frees it
}
BOOL WINAPI FakePath(PCIDLIST_ABSOLUTE, LPSTR path)
{
    path[answer->written.copy(path, MAX_PATH - 1)] = 0;
    return answer->result;
}

std::vector<test::Route> const kRoutes = {
    test::RouteTo("GetSaveFileNameA", FakeSave),      test::RouteTo("GetOpenFileNameA", FakeOpen),
    test::RouteTo("CommDlgExtendedError", FakeError), test::RouteTo("GetActiveWindow", FakeActive),
    test::RouteTo("SHGetMalloc", FakeMalloc),         test::RouteTo("SHBrowseForFolderA", FakeBrowse),
    test::RouteTo("SHGetPathFromIDListA", FakePath),
};

class FilesDialog : public testing::TestWithParam<Row>
{
protected:
    static void SetUpTestSuite() { test::RouteImports(kRoutes); }
    void TearDown() override { answer = nullptr; }

    // Calls the row's dialog under its answer. Gives what it returned, or what it raised (as test::Outcome says),
    // then the file or folder string with its room, and the names string's list.
    std::string Choose(Row const &row)
    {
        int result = 0;
        answer = &row;
        std::string const outcome = test::Outcome([&] {
            result = row.dialog == kSave   ? CT_FilesDialog::b_ChooseSaveFile(file_, filter_, row.owner, row.title)
                     : row.dialog == kOpen ? CT_FilesDialog::b_ChooseOpenFile(file_, filter_, row.owner, row.title)
                     : row.dialog == kMultiple
                         ? CT_FilesDialog::b_ChooseOpenMultipleFile(file_, names_, filter_, row.owner)
                         : CT_FilesDialog::b_BrowseForFolder(file_, row.owner);
        });
        return (outcome == "done" ? std::to_string(result) : outcome) + ": " + Strings();
    }
    std::string Strings()
    {
        names_.v_ResetArray();
        return std::string(file_) + " (" + std::to_string(file_.n_GetSize()) + "), " + List(names_);
    }

    CT_String file_{"a.txt"}, names_{"x.dat"}, filter_{"Text (*.txt)|*.txt|All files (*.*)|*.*||"};
};

// The structure without the fields Windows 2000 added at its end: 76 bytes on i686.
std::string const kSize = "size " + std::to_string(sizeof(void *) == 4 ? 76 : 136);
// What the three file dialogs hand of the caller's strings: the filter's bars turned into zeros, and the room.
std::string const kStrings = ", filter Text (*.txt)\0*.txt\0All files (*.*)\0*.*\0\0, offers a.txt, room 256"s;
// A caller's title: one of the library's strings, "% log".
CT_ResString const kLogTitle(GetModuleHandleA("Common.dll"), 50, CT_String("%"));
Row const kHands[] = {
    {"SaveHandsTheOldSizeTheTitleExportAndTheActiveWindow", kSave, FALSE, "", 0,
     kSize + ", owner 1357, flags 16, title Export" + kStrings},
    {"OpenHandsTheTitleImportAndTheOwnerGiven", kOpen, FALSE, "", 0,
     kSize + ", owner 2468, flags 1014, title Import" + kStrings, kGiven},
    {"OpenHandsACallersTitle", kOpen, FALSE, "", 0, kSize + ", owner 1357, flags 1014, title % log" + kStrings, nullptr,
     kLogTitle},
    {"MultipleHandsTheTitleAddFilesAndAsksForTheExplorerAnswer", kMultiple, FALSE, "", 0,
     kSize + ", owner 1357, flags 81214, title Add Files" + kStrings},
    {"TheBrowserHandsThePromptAndAsksForFileSystemFolders", kFolder, kNoItem, "", 0,
     "owner 2468, flags 41, title Please select a folder below and click OK.", kGiven},
    {"NoDialogIsShownWithoutAShellAllocator", kFolder, kNoItem, "", DWORD(E_OUTOFMEMORY), ""},
};
using CT_FilesDialogHands = FilesDialog;
TEST_P(CT_FilesDialogHands, )
{
    handed.clear();
    Choose(GetParam());
    EXPECT_EQ(GetParam().expected, handed) << "what the library handed the platform";
    EXPECT_STREQ("Text (*.txt)|*.txt|All files (*.*)|*.*||", filter_) << "the caller's filter";
}
INSTANTIATE_TEST_SUITE_P(, CT_FilesDialogHands, testing::ValuesIn(kHands), test::RowName());

// What each call gives: its result, the file or folder string with its room, the names string's list.
std::string const kLongPath = "C:\\" + std::string(MAX_PATH - 4, 'e'), kUntouched = "0: a.txt (256), x.dat\0\0"s;
Row const kSplits[] = {
    {"SaveGivesThePathTheDialogWrote", kSave, TRUE, "C:\\Data\\a.txt\0"s, 0, "1: C:\\Data\\a.txt (256), x.dat\0\0"s},
    {"ASaveTooLongForTheRoomGivesZeroAndRaisesNothing", kSave, FALSE, "", FNERR_BUFFERTOOSMALL, kUntouched},
    {"CancelledOpenLeavesTheStringAndItsRoom", kOpen, FALSE, "", 0, kUntouched},
    {"OneNameReplacesThePriorNames", kMultiple, TRUE, "C:\\Data\\a.txt\0"s, 0, "1: C:\\Data\\ (768), a.txt\0\0"s},
    {"SeveralNamesAreAddedBehindThePriorNames", kMultiple, TRUE, "C:\\Data\0a.txt\0b.txt\0"s, 0,
     "1: C:\\Data\\ (1024), x.dat\0a.txt\0b.txt\0\0"s},
    {"ARootFolderOfSeveralNamesEndsWithTwoBackslashes", kMultiple, TRUE, "C:\\\0a.txt\0b.txt\0"s, 0,
     "1: C:\\\\ (1024), x.dat\0a.txt\0b.txt\0\0"s},
    {"ASelectionTooLargeRaises23AndPutsTheOfferedTextBack", kMultiple, FALSE, "\x34\x01"s, FNERR_BUFFERTOOSMALL,
     "code 23 : a.txt (256), x.dat\0\0"s},
    {"CancelledMultipleLeavesBothStrings", kMultiple, FALSE, "", 0, kUntouched},
    {"AnotherDialogErrorGivesZeroAndRaisesNothing", kMultiple, FALSE, "", FNERR_INVALIDFILENAME, kUntouched},
    {"TheBrowserGivesTheFolderWithoutASeparator", kFolder, TRUE, "C:\\Data", 0, "1: C:\\Data (256), x.dat\0\0"s},
    {"AChosenFolderComesBackWholeInARoomGrownToFit", kFolder, TRUE, kLongPath, 0,
     "1: " + kLongPath + " (515), x.dat\0\0"s},
    {"CancelledBrowserLeavesTheString", kFolder, kNoItem, "", 0, kUntouched},
    {"AnItemWithoutAPathGivesZero", kFolder, FALSE, "C:\\Data", 0, kUntouched},
    {"AnItemWithAnEmptyPathGivesZero", kFolder, TRUE, "", 0, kUntouched},
    {"NoShellAllocatorRaisesCode1", kFolder, FALSE, "", DWORD(E_OUTOFMEMORY), "code 1 : a.txt (256), x.dat\0\0"s},
};
using CT_FilesDialogAnswers = FilesDialog;
TEST_P(CT_FilesDialogAnswers, ) { EXPECT_EQ(GetParam().expected, Choose(GetParam())); }
INSTANTIATE_TEST_SUITE_P(, CT_FilesDialogAnswers, testing::ValuesIn(kSplits), test::RowName());

using CT_FilesDialogMultiple = FilesDialog;
TEST_F(CT_FilesDialogMultiple, AChosenListIsWholeOrNotBuiltWhenLoadsOrAllocationsFail)
{
    Row const two = {"", kMultiple, TRUE, "C:\\dir\0a.txt\0b.txt\0"s, 0, "C:\\dir\\, a.txt\0b.txt\0\0"s};
    auto const choose = [&] {
        CT_String folder, names;
        answer = &two;
        CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, filter_, nullptr);
        names.v_ResetArray();
        return std::string(folder) + ", " + List(names);
    };
    for (test::Kind kind : {test::kSystemCall, test::kAllocation})
        test::UnderEveryFailure(
            kind, [] {}, choose,
            [&](test::Run const &run) {
                EXPECT_TRUE(run.outcome == "code 2 CT_String::v_Load" || run.outcome == "bad_alloc" ||
                            run.result == two.expected)
                    << run.where << ", " << run.result;
            });
}

// Types into Wine's own dialog as a user would: the folder, opened first (the dialog opens where the program was
// last), two names, and OK. A dialog left open, under a box nobody expected, is cancelled so that the test fails.
void ChooseTwoFiles(void *scratch)
{
    std::string const &folder = static_cast<test::ScratchFolder *>(scratch)->Path();
    DWORD const kTimeoutMs = 60000;
    HWND const dialog = test::WaitForWindow("Add Files", kTimeoutMs);
    HWND const edit = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, cmb13, CBEM_GETEDITCONTROL, 0, 0));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\"a.txt\" \"b.txt\""));
    test::PressButton(dialog, IDOK);
    for (DWORD const start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < kTimeoutMs;)
        Sleep(50);
    test::PressButton(GetLastActivePopup(dialog), IDCANCEL); // a box the dialog raised, or the dialog
    test::PressButton(dialog, IDCANCEL);
}

using CT_FilesDialogOnScreen = FilesDialog;
TEST_F(CT_FilesDialogOnScreen, WinesOwnDialogAnswersTwoNamesAsTheStandInsDo)
{
    if (char const *reason = std::getenv("COMMON_NO_SCREEN_DIALOG"))
        GTEST_SKIP() << reason;
    test::ScratchFolder scratch;
    test::WriteBytes(scratch.File("a.txt"), "a");
    test::WriteBytes(scratch.File("b.txt"), "b");
    {
        test::Driver driver(ChooseTwoFiles, &scratch); // joined before the strings are read
        EXPECT_EQ(1, CT_FilesDialog::b_ChooseOpenMultipleFile(file_, names_, filter_, nullptr));
    }
    SetCurrentDirectoryA("C:\\"); // the dialog made the scratch folder current; it must go
    EXPECT_EQ(scratch.Path() + "\0a.txt\0b.txt\0\0"s, answered) << "what Wine's dialog wrote";
    EXPECT_EQ(scratch.Path() + "\\ (1024), x.dat\0a.txt\0b.txt\0\0"s, Strings()) << "the split";
}
} // namespace
