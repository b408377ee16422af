// CT_Help: shows the add-on's help file through the Windows help engine.
#ifndef CT_HELP_H
#define CT_HELP_H

#include <windows.h>

#include "CT_String.h"

/// @ingroup errors
/// Shows the add-on's help file through the Windows help engine (WinHelpA),
/// at one topic or at its contents. The path is set once and is
/// process-wide. Nothing is checked and nothing is raised: a missing file or
/// topic stays with the help engine.
class COMMON_API CT_Help
{
public:
    /// Copies nothing (every member is static) and returns this object.
    CT_Help &operator=(CT_Help const &);

    /// Every later display opens this file; a copy of the path is kept.
    /// Before the first call the path is empty.
    /// @raises `std::bad_alloc` when memory runs out.
    static void v_DefineHelpPath(CT_String const &co_path);
    /// Opens the help file at the topic with the context ID (HELP_CONTEXT,
    /// also for ID 0), owned by the given window. Raises nothing.
    static void v_Display(HWND h_owner, unsigned int n_context);
    /// Opens the help file at its contents, the help topics dialog
    /// (HELP_FINDER), owned by the given window. Raises nothing.
    static void v_Display(HWND h_owner);

private:
    static CT_String co_helppath;
};

#endif
