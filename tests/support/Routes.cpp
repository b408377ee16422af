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

// A system call that fails reports that access was denied.
bool Fail() { return Fails(kSystemCall) && (SetLastError(ERROR_ACCESS_DENIED), true); }

std::string Name(LPCSTR path) { return std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path; }
void Log(std::string const &call) { journal += call + "; "; }

// A failing call reports what its kind of call reports: no handle, else zero.
template <class Result> Result Failed() { return Result(0); }
template <> HANDLE Failed<HANDLE>() { return INVALID_HANDLE_VALUE; }

// The stand-in of a system call: it fails when armed to, else calls the real function through this program's own
// import.
template <auto Real> struct StandIn;
template <class Result, class... Arguments, Result(WINAPI *Real)(Arguments...)> struct StandIn<Real>
{
    static Result WINAPI Call(Arguments... arguments) { return Fail() ? Failed<Result>() : Real(arguments...); }
};
template <auto Real> Route Failing(char const *name) { return RouteTo(name, StandIn<Real>::Call); }

BOOL WINAPI WriteFileFake(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e)
{
    return !Fail() && WriteFile(a, b, Fails(kShortWrite) ? c / 2 : c, d, e);
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
DWORD WINAPI GetFileAttributesFake(LPCSTR a) { return Fail() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(a); }
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
    Failing<CreateFileA>("CreateFileA"), Failing<ReadFile>("ReadFile"), RouteTo("WriteFile", WriteFileFake),
    Failing<SetFilePointerEx>("SetFilePointerEx"), RouteTo("CopyFileA", CopyFileFake),
    RouteTo("FlushFileBuffers", FlushFileBuffersFake), RouteTo("DeleteFileA", DeleteFileFake),
    RouteTo("MoveFileExA", MoveFileExFake), Failing<FindFirstFileA>("FindFirstFileA"),
    RouteTo("GetFileAttributesA", GetFileAttributesFake), Failing<SetFileAttributesA>("SetFileAttributesA"),
    Failing<GetFileType>("GetFileType"), Failing<GetTempPathA>("GetTempPathA"),
    Failing<GetTempFileNameA>("GetTempFileNameA"), Failing<GetFullPathNameA>("GetFullPathNameA"),
    Failing<LoadStringA>("LoadStringA"), Failing<FormatMessageA>("FormatMessageA"),
    RouteTo("mbstowcs", MbstowcsFake), RouteTo("mbtowc", MbtowcFake), RouteTo("_Znw", NewFake),
    RouteTo("_Zna", NewArrayFake)};
// clang-format on

bool Matches(char const *import, char const *route)
{
    bool const by_prefix = route[0] == '_' && std::strlen(import) == 5;
    return by_prefix ? std::strncmp(import, route, 4) == 0 : std::strcmp(import, route) == 0;
}

int TestFailures() { return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count(); }

// One run under the failure given, which must leak no handle.
Run RunOnce(std::function<std::string()> const &operation, Failure const &armed_failure, std::string const &where)
{
    CT_Errors::v_ResetError();
    DWORD const handles = HandleCount();
    Run run;
    failure = armed_failure;
    armed = true;
    run.outcome = Outcome([&] { run.result = operation(); });
    armed = false;
    run.where = where + run.outcome;
    EXPECT_EQ(handles, HandleCount()) << "a handle leaked, " << run.where;
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
        {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            char const *const import = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + name->u1.AddressOfData)->Name;
            // The slot takes the first route of the import's name; every route of that name has found it.
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
    Run const clean = RunOnce(operation, Failure(), "no failure: ");
    check(clean);
    char const *const kinds[] = {"system calls", "allocations", "writes"};
    for (bool persistent : {false, true})
        for (long point = 1;; ++point)
        {
            int const failures_before = TestFailures();
            prepare();
            std::string const where = kinds[kind] + std::string(persistent ? " failing from " : " failing at ");
            Run const run = RunOnce(operation, {kind, point, persistent}, where + std::to_string(point) + ": ");
            if (run.outcome == "done" && run.result.compare(0, 8, "reported") != 0)
                EXPECT_EQ(clean.result, run.result) << run.where;
            check(run);
            // One report a kind: the points after a fault mostly show the same.
            if (failure.failed == 0 || failures_before != TestFailures())
                break;
        }
}
} // namespace test
