// Export and import of the library's classes.
//
// The DLL is built with COMMON_BUILD_DLL defined, which exports every class
// marked COMMON_API; a module that includes these headers imports them, and
// checks as it starts that it shares the DLL's C++ runtime.
// The native (non-Windows) build of the string core needs neither.
#ifndef CT_EXPORT_H
#define CT_EXPORT_H

#if defined(_WIN32)
#if defined(COMMON_BUILD_DLL)
#define COMMON_API __declspec(dllexport)
#else
#define COMMON_API __declspec(dllimport)
#endif
#else
#define COMMON_API
#endif

#if defined(_WIN32)
/// @ingroup errors
/// Ends the process at once, with exit code 70, when the calling module has
/// a C++ runtime of its own (linked with `-static` or `-static-libstdc++`):
/// the DLL could not see that module's exceptions in flight, and would commit
/// the saves they abandon. The text goes to the standard error and to
/// OutputDebugString(); no box waits for a click. Every file of a module
/// that includes a header of the library calls it as the module starts, with
/// the module's `abi::__cxa_get_globals()`; it returns when that is the
/// DLL's own, that is when the module loads the same runtime DLLs.
COMMON_API void v_CheckSharedRuntime(void const *p_moduleruntime);

#if !defined(COMMON_BUILD_DLL)
#include <cxxabi.h>

namespace
{
// Runs the check when the including file's static objects are made.
struct CT_SharedRuntimeCheck
{
    CT_SharedRuntimeCheck() { v_CheckSharedRuntime(abi::__cxa_get_globals()); }
};
CT_SharedRuntimeCheck const co_sharedruntimecheck;
} // namespace
#endif
#endif

#endif
