// CT_FilesDialog: the modal dialogs for choosing a folder, one file or several.
//
//   CT_String co_folder, co_names;
//   if (CT_FilesDialog::b_ChooseOpenMultipleFile(co_folder, co_names, co_filter, 0))
//       ...  // co_folder "C:\Data\", co_names the element list "a.txt", "b.txt"
#ifndef CT_FILESDIALOG_H
#define CT_FILESDIALOG_H

#include <windows.h>

#include "CT_ResString.h"
#include "CT_String.h"

class COMMON_API CT_FilesDialog
{
public:
    CT_FilesDialog &operator=(CT_FilesDialog const &);

    /// Lets the user pick a folder; 1 with its path in the string, else 0.
    static int b_BrowseForFolder(CT_String &co_folder, HWND h_owner);
    /// Save dialog; the filter's bars stand for NULs. Non-zero on success.
    static int b_ChooseSaveFile(CT_String &co_file, CT_String const &co_filter, HWND h_owner,
                                CT_ResString const &co_title);
    /// Open dialog for one existing file. Non-zero on success.
    static int b_ChooseOpenFile(CT_String &co_file, CT_String const &co_filter, HWND h_owner,
                                CT_ResString const &co_title);
    /// Open dialog for several files: the folder (with its closing backslash)
    /// and the names as an element list. Raises code 23 when they do not fit.
    static int b_ChooseOpenMultipleFile(CT_String &co_folder, CT_String &co_names,
                                        CT_String const &co_filter, HWND h_owner);

private:
    static void v_BuildResult(CT_String &co_buffer, CT_String &co_names);
};

#endif
