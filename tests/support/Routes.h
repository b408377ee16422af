// Common.dll's imports routed through stand-ins in the test program: the
// library runs unchanged, and a test can make its system calls, its
// allocations or its writes fail, or answer a call in place of the platform.
#ifndef ROUTES_H
#define ROUTES_H

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace test
{
/// What can be made to fail: a routed system call (it reports failure with
/// ERROR_ACCESS_DENIED), an allocation (std::bad_alloc), or a write that
/// takes half the bytes and reports success, as a disk filling up does.
enum Kind
{
    kSystemCall,
    kAllocation,
    kShortWrite
};

/// The Nth call of the kind fails, once or from then on (as after a crash or
/// on a disk that stays full); the counts tell what the run met.
struct Failure
{
    Kind kind = kSystemCall;
    long point = 0; // 0: nothing fails
    bool persistent = false;
    long calls = 0;
    long failed = 0;
};

/// The failure armed for the library's calls; none while `armed` is false.
extern Failure failure;
extern bool armed;
/// The calls that change the disk, in order: "copy A to B; flush; move A to
/// B; delete A; ", with bare file names.
extern std::string journal;

typedef std::pair<char const *, void *> Route;
template <class Function> Route RouteTo(char const *name, Function function)
{
    return Route(name, reinterpret_cast<void *>(function));
}

/// Points Common.dll's import slots at the stand-ins: the file, memory and
/// conversion calls that can fail, and the program's own extra routes, which
/// take precedence. Fails the test unless every route found its import.
void RouteImports(std::vector<Route> const &extra = {});

/// What the call did: "done", "code C PARAMETER" for a raised code (with the
/// recorded one, if it differs), or "bad_alloc"; a path given shows as DOC. A
/// raise disarms the failures, as reading the record allocates in the library.
std::string Outcome(std::function<void()> const &call, std::string const &path = "");

/// One run of an operation under a failure.
struct Run
{
    std::string where;   // "system calls failing from 7", or "no failure"
    std::string outcome; // as Outcome() gives it
    std::string result;  // what the operation returned, when done
};

/// Runs the operation once without failures, then under each failure of the
/// kind in turn: the Nth call failing once, then the Nth and all after it,
/// for N = 1, 2, ... until a run meets none. `prepare` sets the scene before
/// each run. A run must leak no handle, and one that completes after a
/// failure must give the clean run's result unless it begins "reported"; the
/// check judges the rest of each run, the clean one included.
void UnderEveryFailure(Kind kind, std::function<void()> const &prepare, std::function<std::string()> const &operation,
                       std::function<void(Run const &)> const &check);
} // namespace test

#endif
