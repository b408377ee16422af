// CT_Errors: the process-wide error record and the one way failures are raised.
//
//   try { co_file.v_Open(co_path, CT_Files::e_Read, 0); }
//   catch (et_ErrorCode) { CT_Errors::v_DisplayError(); } // shows, then resets
#ifndef CT_ERRORS_H
#define CT_ERRORS_H

#include "CT_ResString.h"
#include "CT_String.h"

/// @defgroup errors Errors, resource strings and help
/// The one way failures are reported, the texts of the library's string
/// table, and help display.

/// @ingroup errors
/// The error codes; thrown bare by every failing operation. The message of a
/// code is string code + 1001 of the library's table, its `"%"` filled with
/// the recorded parameter. The library raises 1, 2, 17, 18, 19 and 23 itself;
/// the other codes are the add-on's modules' to raise. A value with no
/// message (20, or any outside 0 to 28) may be raised all the same.
enum et_ErrorCode : int
{
    /// "No error"
    e_NoError = 0,
    /// "Unknown error " (the record after a reset)
    e_Unknown = 1,
    /// `"The following Windows error occured during \nthe function "%" :\n\n"`,
    /// then the system's text of the calling thread's last Windows error
    e_Windows = 2,
    /// "An unknow Windows error occured"
    e_UnknownWindows = 3,
    /// "Nothing is selected"
    e_NothingSelected = 4,
    /// "Can't add any more files to the list"
    e_ListFull = 5,
    /// "DTP error"
    e_Dtp = 6,
    /// "An unknown error appeared in the DTP during the last operation"
    e_DtpUnknown = 7,
    /// `"An error occured when opening the file\n"%""`
    e_OpenDocument = 8,
    /// `"An error occured when saving the file\n"%""`
    e_SaveDocument = 9,
    /// `"An error occured when closing the file \n "%""`
    e_CloseDocument = 10,
    /// "An invalid textbox has been found"
    e_InvalidTextBox = 11,
    /// `"The label "%"\nis not a valid label in this file"`
    e_InvalidLabel = 12,
    /// "No text found in this document"
    e_NoText = 13,
    /// "Please open a document"
    e_NoDocument = 14,
    /// "Please ensure the Ordanet has been correctly installed and activated."
    e_NotInstalled = 15,
    /// `"It is not possible to find the text box "%"\nin the document"`
    e_TextBoxNotFound = 16,
    /// `"An error occured when opening the file\n "%""`
    e_FileOpen = 17,
    /// `"An error occured when writing in the file\n "%""`
    e_FileWrite = 18,
    /// `"An error occured when reading in the file\n "%""` (also the end of the file)
    e_FileRead = 19,
    /// no message: shown as "Error 20 (no message associated with)"
    e_NoMessage = 20,
    /// "The end of the file has been reached."
    e_EndOfFile = 21,
    /// `"The end of the file is unexpected.\n"%" is expected."`
    e_UnexpectedEnd = 22,
    /// "Please select fewer files and try again."
    e_TooManyFiles = 23,
    /// "The buffer is too small to receive this data"
    e_BufferTooSmall = 24,
    /// "The command is unknown by the server"
    e_UnknownCommand = 25,
    /// "The parameters sent are wrong for this server command."
    e_WrongParameters = 26,
    /// "An invalid character has been found. Maybe a string is corrupted"
    e_InvalidCharacter = 27,
    /// "An error occured when converting the file to kzx format"
    e_Conversion = 28
};

/// @ingroup errors
/// The process-wide error record (a code, one text parameter and the
/// system's error value at the raise) and the one way failures are raised:
/// record, then throw the code as a bare et_ErrorCode. The record is shared
/// by all threads and not locked; a thread always catches its own code,
/// since the argument is what is thrown. A successful operation never clears
/// the record.
///
/// @code
/// try { co_file.v_Open(co_path, CT_Files::e_Read, 0); }
/// catch (et_ErrorCode) { CT_Errors::v_DisplayError(); } // shows it, then resets
/// @endcode
class COMMON_API CT_Errors
{
public:
    /// Copies nothing (every member is static) and returns this object.
    CT_Errors &operator=(CT_Errors const &);

    /// @name Error record
    ///@{

    /// Records the code, a copy of the parameter (null: empty) and the
    /// calling thread's last Windows error as it is on entry, then throws the
    /// code given, never returning. The parameter is a path for file
    /// failures and the failing function's name for code 2. The thread's
    /// last error is set back to the recorded value just before the throw.
    /// @raises The code, as et_ErrorCode; `std::bad_alloc` if the parameter
    ///         cannot be copied.
    [[noreturn]] static void v_ThrowError(et_ErrorCode e_code, char const *p_parameter);
    /// Throws the recorded code again (1 before any raise); the record is
    /// unchanged, and the thread's last error is set to its system error.
    /// @raises The recorded code, as et_ErrorCode.
    [[noreturn]] static void v_ThrowAgain();
    /// The recorded code: 1 before any raise and after a reset; after a
    /// raise, that raise's code until the next raise or reset.
    static et_ErrorCode set_GetLastError();
    /// A new copy of the recorded parameter; empty when none was given.
    static CT_String co_GetLastParameter();
    /// The system's reason for the recorded error: the calling thread's last
    /// Windows error (`GetLastError()`) when it was raised, such as 2 (file
    /// not found), 3 (path not found) or 5 (access denied) for a failed
    /// open; 0 before any raise and after a reset. The library raises right
    /// after the failing Windows call, so this is that call's error; for a
    /// failure that no Windows call reported (the end of a file, a module's
    /// own code) it is whatever the thread held then. Read it here rather
    /// than with `GetLastError()` in the catch, where the unwinding may
    /// have changed the thread's value.
    static unsigned long sn_GetSystemError();
    /// Resets the record to code 1 (not 0) with an empty parameter and
    /// system error 0.
    static void v_ResetError();
    ///@}

    /// @name Messages and display
    ///@{

    /// The full message of the recorded error: string code + 1001 with every
    /// `"%"` replaced by the parameter. With an empty parameter the `"%"`
    /// stays. For code 2 with a parameter, the system's text of the calling
    /// thread's last Windows error, as it is now, follows. A code without a
    /// message (20, or any outside 0 to 28) gives
    /// "Error 20 (no message associated with)" with the code in signed
    /// decimal; the record then holds code 2 "CT_String::v_Load" for code 20,
    /// whose message load failed, and is unchanged otherwise.
    /// @raises Only when the fallback string 999 cannot be loaded (code 2,
    ///         "CT_String::v_Load") or memory runs out.
    static CT_String const cco_GetLastError();
    /// Shows the recorded error's message in a modal box owned by the active
    /// window, titled by sco_Title, with an OK button and the exclamation
    /// icon; then resets the record to code 1 with an empty parameter and
    /// system error 0.
    /// @raises As cco_GetLastError(); the record is then not reset.
    static void v_DisplayError();
    /// Shows that error as v_DisplayError() does, without raising it: the
    /// recorded code and parameter are put back afterwards, also when the
    /// display throws; the recorded system error is not touched.
    /// @raises As cco_GetLastError().
    static void v_DisplayError(et_ErrorCode e_code, char const *p_parameter);
    ///@}

    /// Title of the message box: string 1000, "Error", loaded when the
    /// library is attached to the process. A module may load another string
    /// into it or fix a text with CT_ResString::v_Fix(); the box shows its
    /// CT_ResString::cco_Get(). Process-wide and not locked.
    static CT_ResString sco_Title;

private:
    static void v_DisplayMessage();
    static void v_CompleteWindowError(CT_String *p_message);

    static et_ErrorCode eo_lasterror;
    static CT_String co_parameter;
    static unsigned long n_systemerror;
};

#endif
