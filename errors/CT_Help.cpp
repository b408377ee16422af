#include "CT_Help.h"

CT_Help &CT_Help::operator=(CT_Help const &) = default;

void CT_Help::v_DefineHelpPath(CT_String const &co_path)
{
    co_helppath = co_path;
}

// Whatever the help engine makes of the request (a missing file, an unknown
// topic) stays with it: the result is deliberately not used.
void CT_Help::v_Display(HWND h_owner, unsigned int n_context)
{
    WinHelpA(h_owner, co_helppath, HELP_CONTEXT, n_context);
}

void CT_Help::v_Display(HWND h_owner)
{
    WinHelpA(h_owner, co_helppath, HELP_FINDER, 0);
}
