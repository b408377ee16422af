// The dialogs through stand-ins for the platform's calls: each notes what the library hands it and answers as the
// row says. One test runs Wine's own dialog, to show that the stand-ins answer as it does.
#include "CT_FilesDialog.h"

#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

#include "Routes.h"

namespace
{
using namespace std::string_literals;

// The caller's strings: the file or folder string, the names string with a prior name, and the file types.
struct Strings
{
    CT_String file, names{"x.dat"}, filter{"Text (*.txt)|*.txt|All files (*.*)|*.*||"};
};
// A call on the caller's strings, how the platform answers it, and the line the test expects: what the call handed
// the platform (title, flags, owner, and for a file dialog the text offered and nMaxFile), what it gave or raised,
// then the file or folder string with its room and the names up to their closing zeros.
struct Row
{
    char const *name;
    int (*call)(Strings &);
    BOOL result;         // the dialog's; for the browser whether it hands back an item (FALSE: cancelled)
    std::string written; // into the file buffer (too small: the room needed, in two bytes), or the folder's path
    DWORD error;         // CommDlgExtendedError's code; for the browser SHGetMalloc's result
    std::string expected;
};
void PrintTo(Row const &row, std::ostream *out) { *out << row.name; }
HWND const kActive = reinterpret_cast<HWND>(0x1357), kGiven = reinterpret_cast<HWND>(0x2468);
Row const *answer = nullptr; // none: the stand-ins call the platform
char handed[1024];           // what the library handed the platform, in a line

// A file dialog: the structure without the fields Windows 2000 added at its end (76 bytes on i686), and the filter's
// bars turned into zeros.
BOOL WINAPI FakeFile(LPOPENFILENAMEA d)
{
    std::string const list = "Text (*.txt)\0*.txt\0All files (*.*)\0*.*\0\0"s;
    EXPECT_EQ(sizeof(void *) == 4 ? 76u : 136u, d->lStructSize) << "the structure's size";
    EXPECT_EQ(list, std::string(d->lpstrFilter, list.size())) << "the filter list";
    wsprintfA(handed, "%s, flags %x, owner %x, %s in %u", d->lpstrTitle, d->Flags, unsigned(ULONG_PTR(d->hwndOwner)),
              d->lpstrFile, d->nMaxFile);
    if (answer)
        answer->written.copy(d->lpstrFile, answer->written.size());
    return answer ? answer->result : GetOpenFileNameA(d);
}
DWORD WINAPI FakeError() { return answer ? answer->error : CommDlgExtendedError(); }
HWND WINAPI FakeActive() { return answer ? kActive : GetActiveWindow(); }
HRESULT WINAPI FakeMalloc(IMalloc **malloc) { return answer->error ? HRESULT(answer->error) : SHGetMalloc(malloc); }
// An item list, which the library frees, unless the row has none; then the row's path, found for it.
PIDLIST_ABSOLUTE WINAPI FakeBrowse(LPBROWSEINFOA b)
{
    wsprintfA(handed, "%s, flags %x, owner %x", b->lpszTitle, b->ulFlags, unsigned(ULONG_PTR(b->hwndOwner)));
    return answer->result ? static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(2)) : nullptr;
}
BOOL WINAPI FakePath(PCIDLIST_ABSOLUTE, LPSTR path) { return lstrcpynA(path, answer->written.c_str(), MAX_PATH) != 0; }
// The library's calls go to the stand-ins for the whole program, once before any test; they answer as the row says,
// and with no row they call the platform, the file dialogs its open dialog (the only one a test shows).
bool const kRouted =
    (test::RouteImports({test::RouteTo("GetSaveFileNameA", FakeFile), test::RouteTo("GetOpenFileNameA", FakeFile),
                         test::RouteTo("CommDlgExtendedError", FakeError), test::RouteTo("GetActiveWindow", FakeActive),
                         test::RouteTo("SHGetMalloc", FakeMalloc), test::RouteTo("SHBrowseForFolderA", FakeBrowse),
                         test::RouteTo("SHGetPathFromIDListA", FakePath)}),
     true);

CT_ResString const kLogTitle(GetModuleHandleA("Common.dll"), 50, CT_String("%")); // a caller's title: "% log"
int Save(Strings &s) { return CT_FilesDialog::b_ChooseSaveFile(s.file, s.filter, nullptr, CT_ResString()); }
int Open(Strings &s) { return CT_FilesDialog::b_ChooseOpenFile(s.file, s.filter, nullptr, CT_ResString()); }
int OpenForCaller(Strings &s) { return CT_FilesDialog::b_ChooseOpenFile(s.file, s.filter, kGiven, kLogTitle); }
int Multiple(Strings &s) { return CT_FilesDialog::b_ChooseOpenMultipleFile(s.file, s.names, s.filter, nullptr); }
int Folder(Strings &s) { return CT_FilesDialog::b_BrowseForFolder(s.file, nullptr); }

// The call on the caller's strings, offering the text: the line as the rows have it, or "reported" when the call
// raised for a failing load or allocation.
std::string Describe(int (*call)(Strings &), char const *offered = "a.txt")
{
    Strings s{offered};
    std::string gave;
    lstrcpyA(handed, "nothing");
    std::string const outcome = test::Outcome([&] { gave = std::to_string(call(s)); });
    EXPECT_STREQ("Text (*.txt)|*.txt|All files (*.*)|*.*||", s.filter) << "the caller's filter";
    if (outcome == "code 2 CT_String::v_Load" || outcome == "code 2 GetFullPathName\r\n" || outcome == "bad_alloc")
        return "reported";
    s.names.v_ResetArray();
    std::string const names(s.names, s.names.n_GetSize());
    return handed + (" -> " + (gave.empty() ? outcome : gave)) + ": " + std::string(s.file) + " (" +
           std::to_string(s.file.n_GetSize()) + "), " + names.substr(0, names.find_last_not_of('\0') + 1);
}

std::string const kAdd = "Add Files, flags 81214, owner 1357, a.txt in 256 -> ";
std::string const kBrowse = "Please select a folder below and click OK., flags 41, owner 1357 -> ";
std::string const kUntouched = "0: a.txt (256), x.dat", kLongPath = "C:\\" + std::string(MAX_PATH - 4, 'e');
Row const kRows[] = {
    {"SaveHandsTheTitleExportAndTheActiveWindow", Save, TRUE, "C:\\Data\\a.txt", 0,
     "Export, flags 16, owner 1357, a.txt in 256 -> 1: C:\\Data\\a.txt (256), x.dat"},
    {"CancelledOpenLeavesTheStringAndItsRoom", Open, FALSE, "", 0,
     "Import, flags 1014, owner 1357, a.txt in 256 -> " + kUntouched},
    {"OpenHandsTheCallersTitleToTheOwnerGiven", OpenForCaller, TRUE, "C:\\Data\\a.txt", 0,
     "% log, flags 1014, owner 2468, a.txt in 256 -> 1: C:\\Data\\a.txt (256), x.dat"},
    {"OneNameReplacesThePriorNames", Multiple, TRUE, "C:\\Data\\a.txt", 0, kAdd + "1: C:\\Data\\ (768), a.txt"},
    {"SeveralNamesAreAddedBehindThePriorOnesAndARootGetsASecondBackslash", Multiple, TRUE, "C:\\\0a.txt\0b.txt"s, 0,
     kAdd + "1: C:\\\\ (1024), x.dat\0a.txt\0b.txt"s},
    {"ASelectionTooLargeRaises23AndPutsTheOfferedTextBack", Multiple, FALSE, "\x34\x01", FNERR_BUFFERTOOSMALL,
     kAdd + "code 23 : a.txt (256), x.dat"},
    {"AnotherDialogErrorGivesZeroAndRaisesNothing", Multiple, FALSE, "", FNERR_INVALIDFILENAME, kAdd + kUntouched},
    {"AChosenFolderComesBackWholeInARoomGrownToFit", Folder, TRUE, kLongPath, 0,
     kBrowse + "1: " + kLongPath + " (515), x.dat"},
    {"CancelledBrowserLeavesTheString", Folder, FALSE, "", 0, kBrowse + kUntouched},
    {"AnItemWithAnEmptyPathGivesZero", Folder, TRUE, "", 0, kBrowse + kUntouched},
    {"NoShellAllocatorRaisesCode1AndShowsNoDialog", Folder, FALSE, "", DWORD(E_OUTOFMEMORY),
     "nothing -> code 1 : a.txt (256), x.dat"},
};
// Each row; then the same call under every failing load and allocation in turn, which UnderEveryFailure holds to
// leaking nothing and to the line of the run without failures unless reported: nothing is left for the last check.
using CT_FilesDialogCalls = testing::TestWithParam<Row>;
TEST_P(CT_FilesDialogCalls, )
{
    answer = &GetParam();
    EXPECT_EQ(GetParam().expected, Describe(GetParam().call));
    for (test::Kind kind : {test::kSystemCall, test::kAllocation})
        test::UnderEveryFailure(
            kind, [] {}, [] { return Describe(GetParam().call); }, [](test::Run const &) {});
}
INSTANTIATE_TEST_SUITE_P(, CT_FilesDialogCalls, testing::ValuesIn(kRows), testing::PrintToStringParamName());

// Types two names into Wine's own dialog, which opens in the folder of the path offered, then OK, as a user would.
// A dialog left open, under a box nobody expected, is cancelled so that the test fails.
void ChooseTwoFiles()
{
    HWND dialog = nullptr;
    for (DWORD const start = GetTickCount(); !IsWindowVisible(dialog) && GetTickCount() - start < 60000; Sleep(50))
        dialog = FindWindowA(nullptr, "Add Files");
    SetDlgItemTextA(dialog, cmb13, "\"win.ini\" \"system.ini\"");
    SendMessageTimeoutA(dialog, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 60000, nullptr); // done when the dialog took it
    PostMessageA(GetLastActivePopup(dialog), WM_COMMAND, IDCANCEL, 0);             // a box the dialog raised, or it
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// The line as a row has it, for the real dialog and the active window (none).
TEST(CT_FilesDialogOnScreen, WinesOwnDialogAnswersTwoNamesAsTheStandInsDo)
{
    if (char const *reason = std::getenv("COMMON_NO_SCREEN_DIALOG"))
        GTEST_SKIP() << reason;
    answer = nullptr;
    std::thread driver(ChooseTwoFiles); // joined before the line is judged: it may still press buttons
    std::string const line = Describe(Multiple, "C:\\windows\\win.ini");
    driver.join();
    EXPECT_EQ("Add Files, flags 81214, owner 0, C:\\windows\\win.ini in 256 -> "
              "1: C:\\windows\\ (1024), x.dat\0win.ini\0system.ini"s,
              line);
}
} // namespace
