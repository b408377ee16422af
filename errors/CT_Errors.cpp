#include "CT_Errors.h"

#include <windows.h>

#include "Module.h"

namespace
{
/// The message of code c is string c + 1001.
unsigned int const n_FirstMessageId = 1001;
/// Codes 0 to 28 have a string ID of their own; any other falls back.
int const i_LastCodeWithMessage = 28;
/// "Error % (no message associated with)".
unsigned int const n_FallbackId = 999;
/// The system's text for an error code, in a buffer the call allocates.
DWORD const n_SystemTextFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
/// Neutral language, default sublanguage: the user's default language.
DWORD const n_UserLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

/// The code in decimal, with a minus sign for a negative one. The magnitude is
/// taken in unsigned arithmetic, where the most negative code has one too.
CT_String co_SignedDecimal(int i_number)
{
    if (i_number >= 0)
        return CT_String() + static_cast<unsigned int>(i_number);
    return CT_String("-") + (0u - static_cast<unsigned int>(i_number));
}

/// Owns a buffer that FormatMessageA allocated.
class CT_SystemText
{
public:
    CT_SystemText() : p_text(0) {}
    ~CT_SystemText()
    {
        if (p_text != 0)
            LocalFree(p_text);
    }
    CT_SystemText(CT_SystemText const &) = delete;
    CT_SystemText &operator=(CT_SystemText const &) = delete;

    char *p_text;
};
} // namespace

CT_Errors &CT_Errors::operator=(CT_Errors const &) = default;

// The argument is thrown, not the shared field: a thread always catches its
// own code even if another thread raises in between. The last error is read
// before anything else can change it; the copy of the parameter may, so it is
// set back for a catcher that reads GetLastError() at once.
void CT_Errors::v_ThrowError(et_ErrorCode e_code, char const *p_parameter)
{
    DWORD const n_system = GetLastError();
    eo_lasterror = e_code;
    n_systemerror = n_system;
    co_parameter = p_parameter;
    SetLastError(n_system);
    throw e_code;
}

void CT_Errors::v_ThrowAgain()
{
    SetLastError(n_systemerror);
    throw eo_lasterror;
}

et_ErrorCode CT_Errors::set_GetLastError()
{
    return eo_lasterror;
}

CT_String CT_Errors::co_GetLastParameter()
{
    return CT_String(co_parameter);
}

unsigned long CT_Errors::sn_GetSystemError()
{
    return n_systemerror;
}

void CT_Errors::v_ResetError()
{
    eo_lasterror = e_Unknown;
    co_parameter.v_Empty();
    n_systemerror = 0;
}

// Codes outside 0 to 28 go straight to the fallback: adding 1001 to a
// negative code would reach other strings of the table (-1 gives "Error").
// Code 20 has an ID but no string; its failed load leaves code 2
// "CT_String::v_Load" in the record, as any failed load does.
CT_String const CT_Errors::cco_GetLastError()
{
    et_ErrorCode const e_described = eo_lasterror;
    CT_ResString co_message;
    CT_String co_result;
    int b_described = 0;
    if (e_described >= e_NoError && e_described <= i_LastCodeWithMessage)
    {
        try
        {
            co_message.v_Set(h_module, n_FirstMessageId + e_described, co_marker);
            if (co_parameter.b_IsEmpty())
                co_result = co_message.cco_Get();
            else
            {
                co_result = co_message.cco_Get(co_parameter);
                if (e_described == e_Windows)
                    v_CompleteWindowError(&co_result);
            }
            b_described = 1;
        }
        catch (...)
        {
        }
    }
    // Outside the try: a failure of the fallback itself goes to the caller.
    if (!b_described)
    {
        co_message.v_Set(h_module, n_FallbackId, co_marker);
        co_result = co_message.cco_Get(co_SignedDecimal(e_described));
    }
    return CT_String(co_result);
}

void CT_Errors::v_DisplayError()
{
    v_DisplayMessage();
    v_ResetError();
}

// The record is put back as a text: it fitted the parameter's room before,
// and that room never shrinks, so putting it back allocates nothing and
// cannot fail, not even when memory ran out during the display. The shown
// parameter is taken before the code: should it not fit in memory, the
// record is as it was.
void CT_Errors::v_DisplayError(et_ErrorCode e_code, char const *p_parameter)
{
    et_ErrorCode const e_saved = eo_lasterror;
    CT_String const co_saved(co_parameter);
    co_parameter = p_parameter;
    eo_lasterror = e_code;
    try
    {
        v_DisplayMessage();
    }
    catch (...)
    {
        eo_lasterror = e_saved;
        co_parameter = static_cast<char const *>(co_saved);
        throw;
    }
    eo_lasterror = e_saved;
    co_parameter = static_cast<char const *>(co_saved);
}

// The box is modal on the caller's thread; its result tells nothing to act on.
void CT_Errors::v_DisplayMessage()
{
    CT_String const co_text = cco_GetLastError();
    CT_String const &co_title = sco_Title.cco_Get();
    MessageBoxA(GetActiveWindow(), co_text, co_title, MB_OK | MB_ICONEXCLAMATION);
}

// The last error is read now, when the message is built, so it is the
// calling thread's current value and not necessarily the one of the raise.
void CT_Errors::v_CompleteWindowError(CT_String *p_message)
{
    DWORD const n_error = GetLastError();
    CT_SystemText co_system;
    DWORD const n_length = FormatMessageA(n_SystemTextFlags, 0, n_error, n_UserLanguage,
                                          reinterpret_cast<char *>(&co_system.p_text), 0, 0);
    if (n_length == 0)
        return;
    *p_message = *p_message + co_system.p_text;
}
