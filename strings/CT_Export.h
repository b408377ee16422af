// Export and import of the library's classes.
//
// The DLL is built with COMMON_BUILD_DLL defined, which exports every class
// marked COMMON_API; a module that includes these headers imports them.
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

#endif
