// Fails, in turn, each system call or each allocation that Common.dll makes in
// an operation: the Nth once, or the Nth and every one after it (a disk that
// stays full), for N = 1, 2, ... until a run meets no failure. The calls are
// routed through the DLL's import table, so the library runs unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <commdlg.h>
#include <cstring>
#include <functional>
#include <new>
#include <regex>
#include <string>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_FilesDialog.h"
#include "CT_LogStream.h"
#include "CT_ResString.h"
#include "NamedRows.h"
#include "TestSupport.h"

namespace
{
using test::Bytes;

// System calls fail; allocations fail; or writes take half the bytes and
// report success, as on a disk that fills up in the middle of a write.
// clang-format off
enum Kind { kSystemCall, kAllocation, kShortWrite };
// clang-format on
char const *const kKindNames[] = {"system calls", "allocations", "short writes"};
struct Plan
{
    Kind kind;
    long fail_at;
    bool persistent;
    long calls;
    long failed;
} plan = {kSystemCall, 0, false, 0, 0};
bool armed = false;
std::string journal; // the file calls that change the disk, in order

bool Fails(Kind kind)
{
    if (!armed || kind != plan.kind)
        return false;
    long const call = ++plan.calls;
    bool const fail = call == plan.fail_at || (plan.persistent && call > plan.fail_at);
    plan.failed += fail ? 1 : 0;
    return fail;
}

bool CallFails()
{
    bool const fail = Fails(kSystemCall);
    if (fail)
        SetLastError(ERROR_ACCESS_DENIED);
    return fail;
}

std::string NameOf(LPCSTR path) { return std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path; }

// Each stand-in calls the real function through this program's own imports.
HANDLE WINAPI FakeCreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g)
{
    return CallFails() ? INVALID_HANDLE_VALUE : CreateFileA(a, b, c, d, e, f, g);
}
BOOL WINAPI FakeReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !CallFails() && ReadFile(a, b, c, d, e);
}
BOOL WINAPI FakeWriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !CallFails() && WriteFile(a, b, Fails(kShortWrite) ? c / 2 : c, d, e);
}
BOOL WINAPI FakeSetFilePointerEx(HANDLE a, LARGE_INTEGER b, PLARGE_INTEGER c, DWORD d)
{
    return !CallFails() && SetFilePointerEx(a, b, c, d);
}
// A copy that fails has cut its target, as one stopped by a full disk has.
BOOL WINAPI FakeCopyFileA(LPCSTR a, LPCSTR b, BOOL c)
{
    journal += "copy " + NameOf(a) + " to " + NameOf(b) + "; ";
    if (!CallFails())
        return CopyFileA(a, b, c);
    CloseHandle(CreateFileA(b, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI FakeFlushFileBuffers(HANDLE a)
{
    journal += "flush; ";
    return !CallFails() && FlushFileBuffers(a);
}
BOOL WINAPI FakeDeleteFileA(LPCSTR a)
{
    journal += "delete " + NameOf(a) + "; ";
    return !CallFails() && DeleteFileA(a);
}
BOOL WINAPI FakeMoveFileExA(LPCSTR a, LPCSTR b, DWORD c)
{
    journal += "move " + NameOf(a) + " to " + NameOf(b) + "; ";
    return !CallFails() && MoveFileExA(a, b, c);
}
HANDLE WINAPI FakeFindFirstFileA(LPCSTR a, LPWIN32_FIND_DATAA b)
{
    return CallFails() ? INVALID_HANDLE_VALUE : FindFirstFileA(a, b);
}
DWORD WINAPI FakeGetFileAttributesA(LPCSTR a) { return CallFails() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(a); }
BOOL WINAPI FakeSetFileAttributesA(LPCSTR a, DWORD b) { return !CallFails() && SetFileAttributesA(a, b); }
DWORD WINAPI FakeGetFileType(HANDLE a) { return CallFails() ? FILE_TYPE_UNKNOWN : GetFileType(a); }
DWORD WINAPI FakeGetTempPathA(DWORD a, LPSTR b) { return CallFails() ? 0 : GetTempPathA(a, b); }
UINT WINAPI FakeGetTempFileNameA(LPCSTR a, LPCSTR b, UINT c, LPSTR d)
{
    return CallFails() ? 0 : GetTempFileNameA(a, b, c, d);
}
// When set, the full form of every path, longer than the library's first
// room (Windows allows that with long paths on); it grows by the step at
// each call, as if the current folder changed in between.
std::string long_path;
size_t long_path_step = 0;
DWORD WINAPI FakeGetFullPathNameA(LPCSTR a, DWORD b, LPSTR c, LPSTR *d)
{
    if (CallFails())
        return 0;
    if (long_path.empty())
        return GetFullPathNameA(a, b, c, d);
    std::string const full = long_path;
    long_path.insert(3, long_path_step, 'd');
    if (b <= full.size())
        return static_cast<DWORD>(full.size() + 1);
    std::memcpy(c, full.c_str(), full.size() + 1);
    *d = c + full.rfind('\\') + 1;
    return static_cast<DWORD>(full.size());
}
int WINAPI FakeLoadStringA(HINSTANCE a, UINT b, LPSTR c, int d) { return CallFails() ? 0 : LoadStringA(a, b, c, d); }
DWORD WINAPI FakeFormatMessageA(DWORD a, LPCVOID b, DWORD c, DWORD d, LPSTR e, DWORD f, va_list *g)
{
    return CallFails() ? 0 : FormatMessageA(a, b, c, d, e, f, g);
}
// The runtime refuses a conversion, as it does for a byte sequence the
// locale cannot read: the library then converts character by character.
size_t FakeMbstowcs(wchar_t *a, char const *b, size_t c) { return CallFails() ? size_t(-1) : mbstowcs(a, b, c); }
int FakeMbtowc(wchar_t *a, char const *b, size_t c) { return CallFails() ? -1 : mbtowc(a, b, c); }
// Message boxes are answered at once.
int WINAPI FakeMessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }
// The user picks two files of C:\dir; the dialog itself never shows.
BOOL WINAPI FakeGetOpenFileNameA(LPOPENFILENAMEA a)
{
    std::memcpy(a->lpstrFile, "C:\\dir\0a.txt\0b.txt\0", 20);
    return TRUE;
}
void *FakeNew(size_t size) { return Fails(kAllocation) ? throw std::bad_alloc() : ::operator new(size); }
void *FakeNewArray(size_t size) { return Fails(kAllocation) ? throw std::bad_alloc() : ::operator new[](size); }

template <class Function> void *Fake(Function function) { return reinterpret_cast<void *>(function); }

// operator new and new[] are routed by prefix: _Znwj and _Znaj on i686,
// _Znwy and _Znay on x86_64.
// clang-format off
std::pair<char const *, void *> const kRoutes[] = {
    {"CreateFileA", Fake(FakeCreateFileA)}, {"ReadFile", Fake(FakeReadFile)},
    {"WriteFile", Fake(FakeWriteFile)}, {"SetFilePointerEx", Fake(FakeSetFilePointerEx)},
    {"CopyFileA", Fake(FakeCopyFileA)}, {"FlushFileBuffers", Fake(FakeFlushFileBuffers)},
    {"DeleteFileA", Fake(FakeDeleteFileA)}, {"MoveFileExA", Fake(FakeMoveFileExA)},
    {"FindFirstFileA", Fake(FakeFindFirstFileA)}, {"GetFileAttributesA", Fake(FakeGetFileAttributesA)},
    {"SetFileAttributesA", Fake(FakeSetFileAttributesA)}, {"GetFileType", Fake(FakeGetFileType)},
    {"GetTempPathA", Fake(FakeGetTempPathA)}, {"GetTempFileNameA", Fake(FakeGetTempFileNameA)},
    {"GetFullPathNameA", Fake(FakeGetFullPathNameA)}, {"LoadStringA", Fake(FakeLoadStringA)},
    {"FormatMessageA", Fake(FakeFormatMessageA)}, {"GetOpenFileNameA", Fake(FakeGetOpenFileNameA)},
    {"MessageBoxA", Fake(FakeMessageBoxA)}, {"mbstowcs", Fake(FakeMbstowcs)},
    {"mbtowc", Fake(FakeMbtowc)}, {"_Znw", Fake(FakeNew)},
    {"_Zna", Fake(FakeNewArray)},
};
// clang-format on

void *FakeFor(char const *name)
{
    for (auto const &route : kRoutes)
        if (name == std::string(route.first) ||
            (route.first[0] == '_' && std::strlen(name) == 5 && std::strncmp(name, route.first, 4) == 0))
            return route.second;
    return nullptr;
}

// Points Common.dll's import slots of the routed names at the stand-ins;
// returns how many. The thunks are pointer-sized, whatever the build.
int RouteImports()
{
    BYTE *const base = reinterpret_cast<BYTE *>(GetModuleHandleA("Common.dll"));
    auto const nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
    DWORD const imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    int routed = 0;
    for (auto dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports); dll->Name; ++dll)
    {
        auto name = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->OriginalFirstThunk);
        auto slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot)
        {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            void *const fake = FakeFor(reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + name->u1.AddressOfData)->Name);
            DWORD protection = 0;
            if (!fake || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
                continue;
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(fake);
            VirtualProtect(slot, sizeof *slot, protection, &protection);
            ++routed;
        }
    }
    return routed;
}

std::string Parameter() { return std::string(CT_Errors::co_GetLastParameter()); }

// Runs the call; a raised code stops here, as in a caller that only looks
// at the record afterwards.
void Swallow(std::function<void()> const &call)
{
    try
    {
        call();
    }
    catch (et_ErrorCode)
    {
    }
}

// What one armed run did: "done", "code C PARAMETER" raised, "recorded C
// PARAMETER" for a failure that returned normally, or "bad_alloc"; and the
// operation's result ("reported" when a result value told of the failure).
struct Run
{
    std::string outcome = "done";
    std::string result;
};

Run Armed(std::function<std::string()> const &operation)
{
    CT_Errors::v_ResetError();
    DWORD const handles = test::HandleCount();
    Run run;
    armed = true;
    try
    {
        run.result = operation();
    }
    catch (et_ErrorCode code)
    {
        run.outcome = "code " + std::to_string(code);
        if (code != CT_Errors::set_GetLastError())
            run.outcome += " recorded as " + std::to_string(CT_Errors::set_GetLastError());
    }
    catch (std::bad_alloc const &)
    {
        run.outcome = "bad_alloc";
    }
    catch (...)
    {
        run.outcome = "another exception";
    }
    armed = false;
    if (run.outcome == "done" && CT_Errors::set_GetLastError() != e_Unknown)
        run.outcome = "recorded " + std::to_string(CT_Errors::set_GetLastError());
    if (run.outcome != "done" && run.outcome != "bad_alloc")
        run.outcome += " " + Parameter();
    EXPECT_EQ(handles, test::HandleCount()) << "a handle leaked";
    return run;
}

// One operation under failures: it sets the disk up, runs armed, and checks
// the disk; the outcomes it may have (a pattern, DOC for the document's path).
struct Scenario
{
    char const *name;
    std::string outcomes;
    std::function<void(std::string const &doc)> prepare;
    std::function<std::string(std::string const &doc)> operation;
    std::function<void(std::string const &doc, Run const &run)> check;
    std::string reference; // the result of a run without failures
};

// Every injection point of the kind, once and persistently. A run that
// completes must give the result of a run without failures.
void EveryPoint(Scenario const &scenario, Kind kind)
{
    test::ScratchFolder folder;
    std::string const doc = folder.File("doc.txt");
    scenario.prepare(doc);
    plan = {kind, 0, false, 0, 0};
    scenario.operation(doc); // first calls may open handles the platform keeps
    scenario.prepare(doc);
    std::string const reference = Armed([&] { return scenario.operation(doc); }).result;
    EXPECT_EQ(scenario.reference, reference) << "without failures";
    for (bool persistent : {false, true})
    {
        for (long point = 1;; ++point)
        {
            scenario.prepare(doc);
            plan = {kind, point, persistent, 0, 0};
            int const failures = testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
            Run run = Armed([&] { return scenario.operation(doc); });
            std::string const where = std::string(kKindNames[kind]) + (persistent ? " failing from " : " failing at ") +
                                      std::to_string(point) + ": " + run.outcome;
            for (size_t at; (at = run.outcome.find(doc)) != std::string::npos;)
                run.outcome.replace(at, doc.size(), "DOC");
            EXPECT_TRUE(std::regex_match(run.outcome, std::regex(scenario.outcomes))) << where;
            if (run.outcome == "done" && run.result != "reported")
                EXPECT_EQ(reference, run.result) << where;
            if (scenario.check)
                scenario.check(doc, run);
            // One report per kind: the points after a fault mostly show the same.
            if (plan.failed == 0 ||
                failures != testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count())
                break;
        }
    }
}

Bytes const kOld(6000, 'o');
std::string const kNew = std::string(3000, 'n');
std::string const kNewLines = kNew + "\r\n" + kNew + "\r\n";

void Nothing(std::string const &) {}

void WriteOld(std::string const &doc)
{
    test::WriteBytes(doc, kOld);
    DeleteFileA((doc + ".old").c_str());
}

// The old content whole in the file or its backup, unless the operation
// completed with the new content whole in the file; a backup on disk whole.
void OldOrNewWhole(std::string const &doc, Run const &run)
{
    bool const new_whole = run.outcome == "done" && test::BytesIfAny(doc) == test::Utf16Bytes(kNewLines);
    EXPECT_TRUE(new_whole || test::BytesIfAny(doc) == kOld || test::BytesIfAny(doc + ".old") == kOld)
        << "old content lost, " << run.outcome;
    EXPECT_TRUE(test::BytesIfAny(doc + ".old") == kOld || !test::FileExists(doc + ".old"))
        << "a partial backup, " << run.outcome;
}

// The old content is written back, or stays whole in the backup.
void RolledBack(std::string const &doc, Run const &run)
{
    EXPECT_TRUE(test::BytesIfAny(doc) == kOld || test::BytesIfAny(doc + ".old") == kOld)
        << "old content lost, " << run.outcome;
    if (plan.failed == 0)
        EXPECT_TRUE(test::BytesIfAny(doc) == kOld && !test::FileExists(doc + ".old")) << "not rolled back";
}

std::string Save(std::string const &doc, bool careful)
{
    CT_Files file;
    file.v_Open(doc.c_str(), CT_Files::e_Write, 1);
    try
    {
        file.v_Writeln(kNew.c_str());
        file.v_Writeln(kNew.c_str());
        file.v_Close();
    }
    catch (...)
    {
        if (careful)
            file.v_Cancel();
        throw;
    }
    return "saved";
}

// A caller that swallows failed writes, then commits or rolls back.
std::string SaveSwallowingFailures(std::string const &doc, bool commit)
{
    CT_Files file;
    file.v_Open(doc.c_str(), CT_Files::e_Write, 1);
    Swallow([&] { file.v_Writeln(kNew.c_str()); });
    Swallow([&] { file.v_Writeln(kNew.c_str()); });
    commit ? file.v_Close() : file.v_Cancel();
    return "ended";
}

std::string const kSaveOutcomes = "done|code 1[78] DOC|bad_alloc";
std::string const kSwallowedOutcomes = "done|recorded 18 DOC|code 17 DOC|bad_alloc";

Scenario const kScenarios[] = {
    {"ASaveThatCancelsOnFailureKeepsTheOldOrNewContent", kSaveOutcomes, WriteOld,
     [](std::string const &doc) { return Save(doc, true); }, OldOrNewWhole, "saved"},
    {"ASaveLeftToTheDestructorByAnExceptionKeepsTheBackup", kSaveOutcomes, WriteOld,
     [](std::string const &doc) { return Save(doc, false); }, OldOrNewWhole, "saved"},
    {"ARollBackRestoresTheOldContentOrKeepsTheBackup", kSwallowedOutcomes, WriteOld,
     [](std::string const &doc) { return SaveSwallowingFailures(doc, false); }, RolledBack, "ended"},
    {"ACommitAfterAFailedWriteKeepsTheBackup", kSwallowedOutcomes, WriteOld,
     [](std::string const &doc) { return SaveSwallowingFailures(doc, true); }, OldOrNewWhole, "ended"},
    // An earlier save was cut short: its backup is the only whole copy.
    {"ASaveOverALeftBackupKeepsThatBackupWhole", kSaveOutcomes,
     [](std::string const &doc) {
         test::WriteBytes(doc, Bytes(kOld.begin(), kOld.begin() + 100));
         test::WriteBytes(doc + ".old", kOld);
     },
     [](std::string const &doc) { return Save(doc, false); }, OldOrNewWhole, "saved"},
    {"ATemporaryFileRaisesItsFailures", "done|code 2 File::Open\\(\\)|code 1[78] .*\\\\vl[0-9A-Fa-f]+\\.tmp|bad_alloc",
     Nothing,
     [](std::string const &) {
         CT_Files file;
         file.v_Open();
         file.v_Writeln("temporary");
         file.v_Close();
         Bytes const written = test::ReadBytes(std::string(file.cco_GetFullPath()));
         file.v_Delete();
         return std::string(written.begin(), written.end());
     },
     nullptr, std::string("t\0e\0m\0p\0o\0r\0a\0r\0y\0\r\0\n\0", 22)},
    {"ALogSavedOverALogKeepsTheOldOrNewLog", "done|code 17 DOC|recorded 18 DOC|code 2 CT_String::v_Load|bad_alloc",
     WriteOld,
     [](std::string const &doc) {
         CT_LogStream log;
         log << kNew.c_str() << log.cco_Eof() << kNew.c_str();
         log.v_SetName("run");
         std::string const named = std::string(log.cco_GetName()) + " | " + std::string(log.cco_GetFilter());
         log.v_Save(doc.c_str());
         return named;
     },
     OldOrNewWhole, "run | Veltrane Log file (*.log)|*.log||"},
    // The first line spans two read-ahead blocks: counting it seeks back out
    // of the block. Reads and writes then start inside a block.
    {"ReadsScansAndWritesRaiseTheirFailures", "done|code 1[789] DOC|bad_alloc", Nothing,
     [](std::string const &doc) {
         CT_Files file;
         file.v_Open(doc.c_str(), CT_Files::et_OpenMode(CT_Files::e_Read | CT_Files::e_Write), 0);
         file.v_Write((kNew + "\r\nsecond\r\nthird").c_str());
         file.v_Seek(0);
         CT_String first;
         file.v_ReadUntil(first, "\r\n");
         unsigned int const count = file.n_CountUntil("\r\n");
         file.v_MoveUntil("\r\n");
         unsigned int const third = file.n_GetSeek();
         unsigned short unit = 0;
         file.v_ReadUnicode(&unit, 2);
         file.v_Write("!\0", 2);
         file.v_Seek(third);
         unsigned int const before_d = file.n_CountUntil("d");
         char rest[12] = {0};
         file.v_Read(rest, sizeof rest); // 10 bytes are left
         unsigned int const end = file.n_GetSeek();
         if (third == INVALID_SET_FILE_POINTER || end == INVALID_SET_FILE_POINTER)
             return std::string("reported");
         return std::to_string(std::string(first) == kNew) + " " + std::to_string(count) + " " + std::to_string(third) +
                " " + static_cast<char>(unit) + " " + std::to_string(before_d) + " " + std::string(rest, rest + 10) +
                " " + std::to_string(end);
     },
     nullptr, "1 12 6020 t 8 " + std::string("t\0!\0i\0r\0d\0", 10) + " 6030"},
    {"MessagesFallBackAndKeepTheRecordWhenResourcesFail", "done|code 2 CT_String::v_Load|bad_alloc", Nothing,
     [](std::string const &doc) {
         Swallow([&] { CT_Errors::v_ThrowError(e_FileOpen, doc.c_str()); });
         // The record stays as it was, also when the display fails.
         Swallow([] { CT_Errors::v_DisplayError(e_FileRead, "shown"); });
         EXPECT_TRUE(CT_Errors::set_GetLastError() == e_FileOpen && Parameter() == doc) << "record changed";
         // A message that cannot be built falls back to the general one.
         std::string const opening(CT_Errors::cco_GetLastError());
         bool const whole = opening.find("opening the file\n \"" + doc + "\"") != std::string::npos ||
                            opening == "Error 17 (no message associated with)";
         CT_ResString stamp;
         stamp = CT_ResString(GetModuleHandleA("Common.dll"), 51, "%");
         stamp.v_Fix(7, "day", 2);
         Swallow([] { CT_Errors::v_ThrowError(e_Windows, "call"); });
         std::string const windows(CT_Errors::cco_GetLastError());
         bool const told = windows.find("the function \"call\"") != std::string::npos ||
                           windows == "Error 2 (no message associated with)";
         CT_Errors::v_DisplayError(); // shows, then resets
         return std::to_string(whole) + std::to_string(told) + " " + std::string(stamp.cco_Get());
     },
     nullptr, "11 %month-07-%year at %hour:%min"},
    {"AChosenFileListIsWholeOrNotBuilt", "done|code 2 CT_String::v_Load|bad_alloc", Nothing,
     [](std::string const &) {
         CT_String folder, names;
         CT_FilesDialog::b_ChooseOpenMultipleFile(folder, names, "All|*.*||", nullptr);
         std::string result(folder);
         names.v_ResetArray();
         do
             result += "+" + std::string(names);
         while (names.b_NextElement());
         return result;
     },
     nullptr, "C:\\dir\\+a.txt+b.txt"},
};

void PrintTo(Scenario const &scenario, std::ostream *out) { *out << scenario.name; }

class CT_FailingSystem : public testing::TestWithParam<Scenario>
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(sizeof kRoutes / sizeof *kRoutes, size_t(RouteImports())); }
};

TEST_P(CT_FailingSystem, FailedSystemCallsLoseNoDataAndReportThemselves) { EveryPoint(GetParam(), kSystemCall); }
TEST_P(CT_FailingSystem, FailedAllocationsLoseNoDataAndLeakNothing) { EveryPoint(GetParam(), kAllocation); }
TEST_P(CT_FailingSystem, ShortWritesAreFailedWrites) { EveryPoint(GetParam(), kShortWrite); }
INSTANTIATE_TEST_SUITE_P(, CT_FailingSystem, testing::ValuesIn(kScenarios), test::RowName());

TEST(CT_FilesDurability, EachStepIsOnDiskBeforeTheCopyThatMadeItRedundantGoes)
{
    ASSERT_EQ(sizeof kRoutes / sizeof *kRoutes, size_t(RouteImports()));
    test::ScratchFolder folder;
    std::string const doc = folder.File("doc.txt");
    WriteOld(doc);
    journal.clear();
    CT_Files file;
    file.v_Open(doc.c_str(), CT_Files::e_Write, 1);
    EXPECT_EQ("copy doc.txt to doc.txt.old.tmp; flush; move doc.txt.old.tmp to doc.txt.old; ", journal) << "backup";
    journal.clear();
    file.v_Writeln("new");
    file.v_Close();
    EXPECT_EQ("flush; delete doc.txt.old; ", journal) << "commit";
    file.v_Open(doc.c_str(), CT_Files::e_Write, 1);
    journal.clear();
    file.v_Cancel();
    EXPECT_EQ("copy doc.txt.old to doc.txt; flush; delete doc.txt.old; ", journal) << "roll back";
}

TEST(CT_FilesPaths, PathsLongerThanTheFirstRoomAreAskedForAgainWithTheRoomTheyNeed)
{
    ASSERT_EQ(sizeof kRoutes / sizeof *kRoutes, size_t(RouteImports()));
    std::string const folder = "C:\\" + std::string(600, 'd') + "\\";
    long_path = folder + "name.txt";
    CT_String co_path("name.txt");
    EXPECT_STREQ("name.txt", CT_Files::sco_GetFileName(co_path));
    CT_Files::sv_GetFolder(co_path, co_path);
    EXPECT_EQ(folder, std::string(co_path));
    plan = {kSystemCall, 2, false, 0, 0}; // the second call, with the room the first asked for, fails
    armed = true;
    EXPECT_THROW(CT_Files::sco_GetFileName("name.txt"), et_ErrorCode);
    armed = false;
    long_path_step = 1000; // grown past the new room by the second call
    EXPECT_THROW(CT_Files::sco_GetFileName("name.txt"), et_ErrorCode);
    EXPECT_EQ(e_Windows, CT_Errors::set_GetLastError());
    EXPECT_EQ("GetFullPathName\r\n", Parameter());
    long_path.clear();
}
} // namespace
