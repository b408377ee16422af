// The library's entry point and its static objects.
//
// They live in this one file because only within one translation unit does
// C++ fix the order of construction: the definition order below, and the
// reverse order at shut-down. The mingw start-up code constructs them all
// before it calls DllMain, so the title can be loaded there.
#include <windows.h>

#include <cxxabi.h>

#include "CT_Errors.h"
#include "CT_Help.h"
#include "Module.h"

namespace
{
/// String ID of the message-box title, "Error".
unsigned int const n_TitleId = 1000;
/// Exit code of a process whose module has a C++ runtime of its own.
UINT const n_SeparateRuntimeExit = 70;
char const ac_SeparateRuntime[] =
    "Common.dll: a module of this program has a C++ runtime of its own (linked with -static or "
    "-static-libstdc++), so the library cannot see its exceptions and would commit the saves they "
    "abandon. Link the module with the runtime DLLs, as the CMake package does, and ship them beside "
    "the program. The program ends with exit code 70.\r\n";
} // namespace

HINSTANCE h_module = 0;

// Constant-initialised: they hold 1 and 0 from the moment the image is mapped.
et_ErrorCode CT_Errors::eo_lasterror = e_Unknown;
unsigned long CT_Errors::n_systemerror = 0;

CT_String CT_Errors::co_parameter;
CT_ResString CT_Errors::sco_Title;
CT_String const co_lineend("\r\n");
CT_String const co_marker("%");
CT_String CT_Help::co_helppath;

extern "C" BOOL WINAPI DllMain(HINSTANCE h_instance, DWORD n_reason, LPVOID)
{
    if (n_reason != DLL_PROCESS_ATTACH)
        return TRUE;
    h_module = h_instance;
    // An exception must not unwind into the loader. If the title cannot be
    // loaded it stays empty, and the error record says why.
    try
    {
        CT_Errors::sco_Title.v_Set(h_module, n_TitleId, co_marker);
    }
    catch (...)
    {
    }
    return TRUE;
}

// The safe save asks the runtime whether an exception is in flight, and each
// copy of the runtime counts only its own: the module must load the DLL's.
// The process ends at once, before the module runs, loud but unattended:
// TerminateProcess runs no detach code that could hang.
void v_CheckSharedRuntime(void const *p_moduleruntime)
{
    if (p_moduleruntime == abi::__cxa_get_globals())
        return;
    DWORD n_written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), ac_SeparateRuntime, sizeof ac_SeparateRuntime - 1, &n_written, NULL);
    OutputDebugStringA(ac_SeparateRuntime);
    TerminateProcess(GetCurrentProcess(), n_SeparateRuntimeExit);
}
