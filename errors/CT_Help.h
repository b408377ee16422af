// CT_Help: shows the add-on's help file through the Windows help engine.
#ifndef CT_HELP_H
#define CT_HELP_H

#include <windows.h>

#include "CT_String.h"

class COMMON_API CT_Help
{
public:
    CT_Help &operator=(CT_Help const &);

    /// Every later display opens this file.
    static void v_DefineHelpPath(CT_String const &co_path);
    /// Opens the help file at the topic with the context ID.
    static void v_Display(HWND h_owner, unsigned int n_context);
    /// Opens the help file at its contents.
    static void v_Display(HWND h_owner);

private:
    static CT_String co_helppath;
};

#endif
