// The library's own module-wide objects, made in DllMain.cpp; not exported.
#ifndef MODULE_H
#define MODULE_H

#include <windows.h>

#include "CT_String.h"

/// The library's module instance, stored at process attach; every string of
/// the library's own table is loaded through it.
extern HINSTANCE h_module;
/// "\r\n", written after each line of a text file.
extern CT_String const co_lineend;
/// "%", the marker before each placeholder of the library's own strings.
extern CT_String const co_marker;

#endif
