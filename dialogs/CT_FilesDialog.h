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

/// @defgroup dialogs File dialogs
/// The modal dialogs for choosing a folder, one file or several.

/// @ingroup dialogs
/// The modal dialogs for choosing a folder, one file to save or open, or
/// several files. Each runs on the caller's thread and returns when the user
/// closes it. The owner is the window given or, when that is null, the
/// thread's active window (which may be none).
///
/// **Filters** are one string in which a bar stands for each NUL of the
/// platform's list: description, bar, pattern, bar, and so on, closed by a
/// second bar, as in CT_LogStream::cco_GetFilter():
/// `"Veltrane Log file (*.log)|*.log||"`. The dialogs work on a copy; the
/// caller's filter keeps its bars.
///
/// @code
/// CT_String co_folder, co_names;
/// if (CT_FilesDialog::b_ChooseOpenMultipleFile(co_folder, co_names, co_filter, 0))
///     ...  // co_folder "C:\Data\", co_names the element list "a.txt", "b.txt"
/// @endcode
///
/// The titles come from the library's string table; one that cannot be
/// loaded raises code 2 with the parameter "CT_String::v_Load" before any
/// dialog is shown.
class COMMON_API CT_FilesDialog
{
public:
    /// Copies nothing (every member is static) and returns this object.
    CT_FilesDialog &operator=(CT_FilesDialog const &);

    /// Lets the user pick a file-system folder, under the prompt "Please
    /// select a folder below and click OK.". The new dialog style needs COM
    /// initialised on the calling thread, which is the caller's part.
    /// @return 1 with the folder's path assigned to the string (no separator
    ///         added at its end); 0 on cancel or when the item has no path,
    ///         and the string is then not touched.
    /// @storage The path is assigned as by CT_String::operator=(char const *),
    ///          so a path longer than the string's room grows it and comes
    ///          back whole.
    /// @raises Code 1 (e_Unknown) with no parameter when the shell's
    ///         allocator cannot be had; no dialog is shown.
    static int b_BrowseForFolder(CT_String &co_folder, HWND h_owner);
    /// Save dialog with a Help button, asking before it overwrites a file.
    /// @param co_file On entry its text is the name offered; on success it
    ///        holds the chosen full path. It is the dialog's buffer: its room
    ///        bounds the path, and a longer one gives 0.
    /// @param co_filter The file types, with bars for NULs (see the class).
    /// @param h_owner The owner window, or null for the active window.
    /// @param co_title Shown when CT_ResString::b_IsValid() says it refers
    ///        to a string (its filled text if it has one); a
    ///        default-constructed one gives "Export".
    /// @return The platform's result: non-zero when a name was confirmed, 0
    ///         on cancel or any failure, which raise nothing.
    /// @storage Nothing grows; on cancel the string is left as it was.
    static int b_ChooseSaveFile(CT_String &co_file, CT_String const &co_filter, HWND h_owner,
                                CT_ResString const &co_title);
    /// Open dialog for one existing file, with a Help button; the default
    /// title is "Import". Arguments, result and effects as
    /// b_ChooseSaveFile().
    static int b_ChooseOpenFile(CT_String &co_file, CT_String const &co_filter, HWND h_owner,
                                CT_ResString const &co_title);
    /// Open dialog for several existing files, titled "Add Files".
    /// @param co_folder The dialog's buffer: its text on entry is the name
    ///        offered and its room bounds the selection (512 bytes for a
    ///        default-constructed string; v_SetSize() gives more, and empties
    ///        it). On success it holds the folder with a closing backslash; a
    ///        folder that already ends with one, a drive's root, then ends
    ///        with two when several files were chosen.
    /// @param co_names On success: several chosen names are added as
    ///        elements behind the elements it held; one chosen name replaces
    ///        them.
    /// @param co_filter The file types, with bars for NULs (see the class).
    /// @param h_owner The owner window, or null for the active window.
    /// @return 1 on success; 0 on cancel or any failure except a selection
    ///         too large, and both strings are then not touched.
    /// @raises Code 23 (e_TooManyFiles) with no parameter when the selection
    ///         does not fit the folder string's room; that string gets back
    ///         the text it had on entry. Code 2 with the parameter
    ///         `"GetFullPathName\r\n"` when the full path of one chosen file
    ///         cannot be formed.
    static int b_ChooseOpenMultipleFile(CT_String &co_folder, CT_String &co_names,
                                        CT_String const &co_filter, HWND h_owner);

private:
    static void v_BuildResult(CT_String &co_buffer, CT_String &co_names);
};

#endif
