// CT_Errors: the process-wide error record and the one way failures are raised.
//
//   try { co_file.v_Open(co_path, CT_Files::e_Read, 0); }
//   catch (et_ErrorCode) { CT_Errors::v_DisplayError(); } // shows, then resets
#ifndef CT_ERRORS_H
#define CT_ERRORS_H

#include "CT_ResString.h"
#include "CT_String.h"

/// The error codes; thrown bare by every failing operation. The message of a
/// code is string code + 1001 of the library's table.
enum et_ErrorCode : int
{
    e_NoError = 0,
    e_Unknown = 1,
    e_Windows = 2,
    e_UnknownWindows = 3,
    e_NothingSelected = 4,
    e_ListFull = 5,
    e_Dtp = 6,
    e_DtpUnknown = 7,
    e_OpenDocument = 8,
    e_SaveDocument = 9,
    e_CloseDocument = 10,
    e_InvalidTextBox = 11,
    e_InvalidLabel = 12,
    e_NoText = 13,
    e_NoDocument = 14,
    e_NotInstalled = 15,
    e_TextBoxNotFound = 16,
    e_FileOpen = 17,
    e_FileWrite = 18,
    e_FileRead = 19,
    e_NoMessage = 20,
    e_EndOfFile = 21,
    e_UnexpectedEnd = 22,
    e_TooManyFiles = 23,
    e_BufferTooSmall = 24,
    e_UnknownCommand = 25,
    e_WrongParameters = 26,
    e_InvalidCharacter = 27,
    e_Conversion = 28
};

class COMMON_API CT_Errors
{
public:
    CT_Errors &operator=(CT_Errors const &);

    /// Records the code and the parameter (null: empty), then throws the code.
    [[noreturn]] static void v_ThrowError(et_ErrorCode e_code, char const *p_parameter);
    /// Throws the recorded code again; the record is unchanged.
    [[noreturn]] static void v_ThrowAgain();
    static et_ErrorCode set_GetLastError();
    /// A copy of the recorded parameter.
    static CT_String co_GetLastParameter();
    /// Code 1 with an empty parameter.
    static void v_ResetError();

    /// The full message of the recorded error; string 999 for a code without one.
    static CT_String const cco_GetLastError();
    /// Shows the recorded error in a message box, then resets the record.
    static void v_DisplayError();
    /// Shows that error; the recorded one is left as it was.
    static void v_DisplayError(et_ErrorCode e_code, char const *p_parameter);

    /// Title of the message box: string 1000, "Error", unless a module changes it.
    static CT_ResString sco_Title;

private:
    static void v_DisplayMessage();
    static void v_CompleteWindowError(CT_String *p_message);

    static et_ErrorCode eo_lasterror;
    static CT_String co_parameter;
};

#endif
