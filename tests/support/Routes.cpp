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
bool Fails(Kind kind)
{
    if (!armed || kind != failure.kind)
        return false;
    long const call = ++failure.calls;
    bool const fails = call == failure.point || (failure.persistent && failure.point != 0 && call > failure.point);
    failure.failed += fails ? 1 : 0;
    return fails;
}

bool Fail()
{
    bool const fails = Fails(kSystemCall);
    if (fails)
        SetLastError(ERROR_ACCESS_DENIED);
    return fails;
}

std::string Name(LPCSTR path) { return std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path; }
void Log(std::string const &call) { journal += call + "; "; }

// Each stand-in calls the real function through this program's own imports.
HANDLE WINAPI CreateFileFake(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g)
{
    return Fail() ? INVALID_HANDLE_VALUE : CreateFileA(a, b, c, d, e, f, g);
}
BOOL WINAPI ReadFileFake(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !Fail() && ReadFile(a, b, c, d, e);
}
BOOL WINAPI WriteFileFake(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !Fail() && WriteFile(a, b, Fails(kShortWrite) ? c / 2 : c, d, e);
}
BOOL WINAPI SetFilePointerExFake(HANDLE a, LARGE_INTEGER b, PLARGE_INTEGER c, DWORD d)
{
    return !Fail() && SetFilePointerEx(a, b, c, d);
}
// A copy that fails has cut its target, as one stopped by a full disk has.
BOOL WINAPI CopyFileFake(LPCSTR a, LPCSTR b, BOOL c)
{
    Log("copy " + Name(a) + " to " + Name(b));
    if (!Fail())
        return CopyFileA(a, b, c);
    CloseHandle(CreateFileA(b, GENERIC_WRITE, 0, nullptr, c ? CREATE_NEW : CREATE_ALWAYS, 0, nullptr));
    return SetLastError(ERROR_DISK_FULL), FALSE;
}
BOOL WINAPI FlushFileBuffersFake(HANDLE a) { return Log("flush"), !Fail() && FlushFileBuffers(a); }
BOOL WINAPI DeleteFileFake(LPCSTR a) { return Log("delete " + Name(a)), !Fail() && DeleteFileA(a); }
BOOL WINAPI MoveFileExFake(LPCSTR a, LPCSTR b, DWORD c)
{
    return Log("move " + Name(a) + " to " + Name(b)), !Fail() && MoveFileExA(a, b, c);
}
HANDLE WINAPI FindFirstFileFake(LPCSTR a, LPWIN32_FIND_DATAA b)
{
    return Fail() ? INVALID_HANDLE_VALUE : FindFirstFileA(a, b);
}
DWORD WINAPI GetFileAttributesFake(LPCSTR a) { return Fail() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(a); }
BOOL WINAPI SetFileAttributesFake(LPCSTR a, DWORD b) { return !Fail() && SetFileAttributesA(a, b); }
DWORD WINAPI GetFileTypeFake(HANDLE a) { return Fail() ? FILE_TYPE_UNKNOWN : GetFileType(a); }
DWORD WINAPI GetTempPathFake(DWORD a, LPSTR b) { return Fail() ? 0 : GetTempPathA(a, b); }
UINT WINAPI GetTempFileNameFake(LPCSTR a, LPCSTR b, UINT c, LPSTR d)
{
    return Fail() ? 0 : GetTempFileNameA(a, b, c, d);
}
DWORD WINAPI GetFullPathNameFake(LPCSTR a, DWORD b, LPSTR c, LPSTR *d)
{
    return Fail() ? 0 : GetFullPathNameA(a, b, c, d);
}
int WINAPI LoadStringFake(HINSTANCE a, UINT b, LPSTR c, int d) { return Fail() ? 0 : LoadStringA(a, b, c, d); }
DWORD WINAPI FormatMessageFake(DWORD a, LPCVOID b, DWORD c, DWORD d, LPSTR e, DWORD f, va_list *g)
{
    return Fail() ? 0 : FormatMessageA(a, b, c, d, e, f, g);
}
// The runtime refuses a conversion, as it does for a byte sequence the
// locale cannot read: the library then converts character by character.
size_t MbstowcsFake(wchar_t *a, char const *b, size_t c) { return Fail() ? size_t(-1) : mbstowcs(a, b, c); }
int MbtowcFake(wchar_t *a, char const *b, size_t c) { return Fail() ? -1 : mbtowc(a, b, c); }
void *NewFake(size_t size) { return Fails(kAllocation) ? throw std::bad_alloc() : ::operator new(size); }
void *NewArrayFake(size_t size) { return Fails(kAllocation) ? throw std::bad_alloc() : ::operator new[](size); }

// operator new and new[] are routed by prefix: _Znwj and _Znaj on i686,
// _Znwy and _Znay on x86_64.
// clang-format off
std::vector<Route> const kFailingRoutes = {
    RouteTo("CreateFileA", CreateFileFake), RouteTo("ReadFile", ReadFileFake), RouteTo("WriteFile", WriteFileFake),
    RouteTo("SetFilePointerEx", SetFilePointerExFake), RouteTo("CopyFileA", CopyFileFake),
    RouteTo("FlushFileBuffers", FlushFileBuffersFake), RouteTo("DeleteFileA", DeleteFileFake),
    RouteTo("MoveFileExA", MoveFileExFake), RouteTo("FindFirstFileA", FindFirstFileFake),
    RouteTo("GetFileAttributesA", GetFileAttributesFake), RouteTo("SetFileAttributesA", SetFileAttributesFake),
    RouteTo("GetFileType", GetFileTypeFake), RouteTo("GetTempPathA", GetTempPathFake),
    RouteTo("GetTempFileNameA", GetTempFileNameFake), RouteTo("GetFullPathNameA", GetFullPathNameFake),
    RouteTo("LoadStringA", LoadStringFake), RouteTo("FormatMessageA", FormatMessageFake),
    RouteTo("mbstowcs", MbstowcsFake), RouteTo("mbtowc", MbtowcFake), RouteTo("_Znw", NewFake),
    RouteTo("_Zna", NewArrayFake)};
// clang-format on

bool Matches(char const *import, char const *route)
{
    bool const by_prefix = route[0] == '_' && std::strlen(import) == 5;
    return by_prefix ? std::strncmp(import, route, 4) == 0 : std::strcmp(import, route) == 0;
}

// Points the slot at the first route of the import's name; every route of that name has found it.
void Point(IMAGE_THUNK_DATA *slot, char const *import, std::vector<Route> const &routes, std::vector<bool> &found)
{
    void *stand_in = nullptr;
    for (size_t at = 0; at < routes.size(); ++at)
        if (Matches(import, routes[at].first))
            found[at] = true, stand_in = stand_in ? stand_in : routes[at].second;
    DWORD protection = 0;
    if (stand_in && VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
    {
        slot->u1.Function = reinterpret_cast<ULONG_PTR>(stand_in);
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
}

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
            if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                Point(slot, reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + name->u1.AddressOfData)->Name, routes,
                      found);
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

void UnderEveryFailure(Kind kind, std::function<void()> const &prepare, std::function<std::string()> const &operation,
                       std::function<void(Run const &)> const &check)
{
    Outcome([] { CT_Errors::v_ThrowError(e_Unknown, ""); }); // the runtime keeps handles it opens at a first raise
    prepare();
    operation(); // and the platform those it opens at some first calls
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
            failure = {kind, point, persistent, 0, 0};
            Run run = RunOnce(operation);
            run.where = std::string(kind == kSystemCall   ? "system calls"
                                    : kind == kAllocation ? "allocations"
                                                          : "writes") +
                        (persistent ? " failing from " : " failing at ") + std::to_string(point) + ": " + run.outcome;
            if (run.outcome == "done" && run.result != "reported")
                EXPECT_EQ(clean.result, run.result) << run.where;
            check(run);
            // One report a kind: the points after a fault mostly show the same.
            if (run.failed == 0 || failures_before != TestFailures())
                break;
        }
}
} // namespace test
