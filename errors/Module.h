#ifndef MODULE_H
#define MODULE_H

#include <windows.h>

#include "CT_String.h"

extern HINSTANCE h_module;
extern CT_String const co_lineend;

#endif
