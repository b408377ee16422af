#include "Routes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace test
{
Failure failure;
bool armed = false;
std::string journal;

namespace
{
bool Fails(Kind kind, char const *name)
{
    if (!armed || kind != failure.kind)
        return false;
    long const call = ++failure.calls;
    bool const fails = call == failure.point || (failure.persistent && failure.point != 0 && call > failure.point);
    if (fails && failure.failed++ == 0)
        failure.first_failed = name;
    return fails;
}

bool CallFails(char const *name)
{
    bool const fails = Fails(kSystemCall, name);
    if (fails)
        SetLastError(ERROR_ACCESS_DENIED);
    return fails;
}

std::string NameOf(LPCSTR path) { return std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path; }

// Each stand-in calls the real function through this program's own imports.
HANDLE WINAPI FakeCreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g)
{
    return CallFails("CreateFileA") ? INVALID_HANDLE_VALUE : CreateFileA(a, b, c, d, e, f, g);
}
BOOL WINAPI FakeReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !CallFails("ReadFile") && ReadFile(a, b, c, d, e);
}
BOOL WINAPI FakeWriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !CallFails("WriteFile") && WriteFile(a, b, Fails(kShortWrite, "WriteFile") ? c / 2 : c, d, e);
}
BOOL WINAPI FakeSetFilePointerEx(HANDLE a, LARGE_INTEGER b, PLARGE_INTEGER c, DWORD d)
{
    return !CallFails("SetFilePointerEx") && SetFilePointerEx(a, b, c, d);
}
// A copy that fails has cut its target, as one stopped by a full disk has.
BOOL WINAPI FakeCopyFileA(LPCSTR a, LPCSTR b, BOOL c)
{
    journal += "copy " + NameOf(a) + " to " + NameOf(b) + "; ";
    if (!CallFails("CopyFileA"))
        return CopyFileA(a, b, c);
    CloseHandle(CreateFileA(b, GENERIC_WRITE, 0, nullptr, c ? CREATE_NEW : CREATE_ALWAYS, 0, nullptr));
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI FakeFlushFileBuffers(HANDLE a)
{
    journal += "flush; ";
    return !CallFails("FlushFileBuffers") && FlushFileBuffers(a);
}
BOOL WINAPI FakeDeleteFileA(LPCSTR a)
{
    journal += "delete " + NameOf(a) + "; ";
    return !CallFails("DeleteFileA") && DeleteFileA(a);
}
BOOL WINAPI FakeMoveFileExA(LPCSTR a, LPCSTR b, DWORD c)
{
    journal += "move " + NameOf(a) + " to " + NameOf(b) + "; ";
    return !CallFails("MoveFileExA") && MoveFileExA(a, b, c);
}
HANDLE WINAPI FakeFindFirstFileA(LPCSTR a, LPWIN32_FIND_DATAA b)
{
    return CallFails("FindFirstFileA") ? INVALID_HANDLE_VALUE : FindFirstFileA(a, b);
}
DWORD WINAPI FakeGetFileAttributesA(LPCSTR a)
{
    return CallFails("GetFileAttributesA") ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(a);
}
BOOL WINAPI FakeSetFileAttributesA(LPCSTR a, DWORD b)
{
    return !CallFails("SetFileAttributesA") && SetFileAttributesA(a, b);
}
DWORD WINAPI FakeGetFileType(HANDLE a) { return CallFails("GetFileType") ? FILE_TYPE_UNKNOWN : GetFileType(a); }
DWORD WINAPI FakeGetTempPathA(DWORD a, LPSTR b) { return CallFails("GetTempPathA") ? 0 : GetTempPathA(a, b); }
UINT WINAPI FakeGetTempFileNameA(LPCSTR a, LPCSTR b, UINT c, LPSTR d)
{
    return CallFails("GetTempFileNameA") ? 0 : GetTempFileNameA(a, b, c, d);
}
DWORD WINAPI FakeGetFullPathNameA(LPCSTR a, DWORD b, LPSTR c, LPSTR *d)
{
    return CallFails("GetFullPathNameA") ? 0 : GetFullPathNameA(a, b, c, d);
}
int WINAPI FakeLoadStringA(HINSTANCE a, UINT b, LPSTR c, int d)
{
    return CallFails("LoadStringA") ? 0 : LoadStringA(a, b, c, d);
}
DWORD WINAPI FakeFormatMessageA(DWORD a, LPCVOID b, DWORD c, DWORD d, LPSTR e, DWORD f, va_list *g)
{
    return CallFails("FormatMessageA") ? 0 : FormatMessageA(a, b, c, d, e, f, g);
}
// The runtime refuses a conversion, as it does for a byte sequence the
// locale cannot read: the library then converts character by character.
size_t FakeMbstowcs(wchar_t *a, char const *b, size_t c)
{
    return CallFails("mbstowcs") ? size_t(-1) : mbstowcs(a, b, c);
}
int FakeMbtowc(wchar_t *a, char const *b, size_t c) { return CallFails("mbtowc") ? -1 : mbtowc(a, b, c); }
void *FakeNew(size_t size) { return Fails(kAllocation, "new") ? throw std::bad_alloc() : ::operator new(size); }
void *FakeNewArray(size_t size)
{
    return Fails(kAllocation, "new[]") ? throw std::bad_alloc() : ::operator new[](size);
}

// operator new and new[] are routed by prefix: _Znwj and _Znaj on i686,
// _Znwy and _Znay on x86_64.
std::vector<Route> const kFailingRoutes = {
    RouteTo("CreateFileA", FakeCreateFileA),
    RouteTo("ReadFile", FakeReadFile),
    RouteTo("WriteFile", FakeWriteFile),
    RouteTo("SetFilePointerEx", FakeSetFilePointerEx),
    RouteTo("CopyFileA", FakeCopyFileA),
    RouteTo("FlushFileBuffers", FakeFlushFileBuffers),
    RouteTo("DeleteFileA", FakeDeleteFileA),
    RouteTo("MoveFileExA", FakeMoveFileExA),
    RouteTo("FindFirstFileA", FakeFindFirstFileA),
    RouteTo("GetFileAttributesA", FakeGetFileAttributesA),
    RouteTo("SetFileAttributesA", FakeSetFileAttributesA),
    RouteTo("GetFileType", FakeGetFileType),
    RouteTo("GetTempPathA", FakeGetTempPathA),
    RouteTo("GetTempFileNameA", FakeGetTempFileNameA),
    RouteTo("GetFullPathNameA", FakeGetFullPathNameA),
    RouteTo("LoadStringA", FakeLoadStringA),
    RouteTo("FormatMessageA", FakeFormatMessageA),
    RouteTo("mbstowcs", FakeMbstowcs),
    RouteTo("mbtowc", FakeMbtowc),
    RouteTo("_Znw", FakeNew),
    RouteTo("_Zna", FakeNewArray),
};

bool Matches(char const *import, char const *route)
{
    bool const by_prefix = route[0] == '_' && std::strlen(import) == 5;
    return by_prefix ? std::strncmp(import, route, 4) == 0 : std::strcmp(import, route) == 0;
}

// The first route of the import's name; every one of that name has found it.
void *StandIn(char const *import, std::vector<Route> const &routes, std::vector<bool> &found)
{
    void *stand_in = nullptr;
    for (size_t at = 0; at < routes.size(); ++at)
        if (Matches(import, routes[at].first))
            found[at] = true, stand_in = stand_in ? stand_in : routes[at].second;
    return stand_in;
}

void Point(IMAGE_THUNK_DATA *slot, void *stand_in)
{
    DWORD protection = 0;
    ASSERT_TRUE(VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection));
    slot->u1.Function = reinterpret_cast<ULONG_PTR>(stand_in);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}
} // namespace

// The thunks are pointer-sized, whatever the build.
void RouteImports(std::vector<Route> const &extra)
{
    std::vector<Route> routes = extra;
    routes.insert(routes.end(), kFailingRoutes.begin(), kFailingRoutes.end());
    std::vector<bool> found(routes.size(), false);
    BYTE *const base = reinterpret_cast<BYTE *>(GetModuleHandleA("Common.dll"));
    auto const nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
    DWORD const imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports); dll->Name; ++dll)
    {
        auto name = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->OriginalFirstThunk);
        auto slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot)
        {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            auto const import = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + name->u1.AddressOfData)->Name;
            if (void *const stand_in = StandIn(import, routes, found))
                Point(slot, stand_in);
        }
    }
    for (size_t at = 0; at < routes.size(); ++at)
        EXPECT_TRUE(found[at]) << "Common.dll does not import " << routes[at].first;
}

std::string Outcome(std::function<void()> const &call, std::string const &path)
{
    try
    {
        call();
        return "done";
    }
    catch (et_ErrorCode code)
    {
        armed = false; // reading the record allocates in the library
        std::string outcome = "code " + std::to_string(code);
        if (code != CT_Errors::set_GetLastError())
            outcome += " recorded as " + std::to_string(CT_Errors::set_GetLastError());
        std::string const parameter(CT_Errors::co_GetLastParameter());
        return outcome + " " + (!path.empty() && parameter == path ? "DOC" : parameter);
    }
    catch (std::bad_alloc const &)
    {
        return "bad_alloc";
    }
}

namespace
{
char const *const kKindNames[] = {"system calls", "allocations", "short writes"};

int TestFailures() { return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count(); }

Run RunOnce(std::function<std::string()> const &operation)
{
    CT_Errors::v_ResetError();
    DWORD const handles = HandleCount();
    Run run;
    armed = true;
    run.outcome = Outcome([&] { run.result = operation(); });
    armed = false;
    run.failed = failure.failed;
    EXPECT_EQ(handles, HandleCount()) << "a handle leaked, " << run.outcome;
    return run;
}
} // namespace

void UnderEveryFailure(Kind kind, std::function<void()> const &prepare, std::function<std::string()> const &operation,
                       std::function<void(Run const &)> const &check)
{
    // The platform may keep handles it opens at a first call, and the runtime
    // those it opens at the process's first raise (two under Wine).
    Outcome([] { CT_Errors::v_ThrowError(e_Unknown, nullptr); });
    prepare();
    operation();
    prepare();
    failure = Failure();
    Run clean = RunOnce(operation);
    clean.where = "no failure";
    check(clean);
    for (bool persistent : {false, true})
        for (long point = 1;; ++point)
        {
            int const failures_before = TestFailures();
            prepare();
            failure = Failure();
            failure.kind = kind;
            failure.point = point;
            failure.persistent = persistent;
            Run run = RunOnce(operation);
            run.where = std::string(kKindNames[kind]) + (persistent ? " failing from " : " failing at ") +
                        std::to_string(point) + " (" + failure.first_failed + "): " + run.outcome;
            if (run.outcome == "done" && run.result != "reported")
                EXPECT_EQ(clean.result, run.result) << run.where;
            check(run);
            // One report a kind: the points after a fault mostly show the same.
            if (run.failed == 0 || failures_before != TestFailures())
                break;
        }
}
} // namespace test
