#include "CT_LogStream.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_ResString.h"
#include "DiskSteps.h"
#include "Module.h"
#include "StringGrowth.h"

namespace
{
/// The time stamp, "%month-%day-%year at %hour:%min".
unsigned int const n_TimeStampId = 51;
/// The log files' filter, "Veltrane Log file (*.log)|*.log||".
unsigned int const n_FilterId = 52;
char const *const p_SeparatorLine = "______________________";

// Puts a code and its parameter into the error record without raising.
void v_Record(et_ErrorCode e_code, char const *p_parameter)
{
    try
    {
        CT_Errors::v_ThrowError(e_code, p_parameter);
    }
    catch (et_ErrorCode)
    {
    }
}
} // namespace

CT_LogStream::CT_LogStream() : co_logtext(), co_eof("\r\n"), co_name("Log"), n_textlength(0)
{
}

CT_LogStream::CT_LogStream(CT_LogStream const &) = default;
CT_LogStream::~CT_LogStream() = default;

CT_LogStream &CT_LogStream::operator<<(CT_String const &co_text)
{
    // Appending the log to itself: growing would move the bytes being read.
    if (&co_text == &co_logtext)
        return *this << CT_String(co_text);
    char const *p_text = co_text;
    if (p_text != 0)
        v_Append(p_text, static_cast<unsigned int>(std::strlen(p_text)));
    return *this;
}

void CT_LogStream::v_Clear()
{
    co_logtext.v_Empty();
    n_textlength = 0;
}

CT_String const &CT_LogStream::cco_GetText() const
{
    return co_logtext;
}

CT_String const &CT_LogStream::cco_Eof() const
{
    return co_eof;
}

CT_String const &CT_LogStream::cco_GetName() const
{
    return co_name;
}

void CT_LogStream::v_SetName(CT_String const &co_newname)
{
    co_name = co_newname;
}

void CT_LogStream::v_PrintTime()
{
    SYSTEMTIME co_now;
    GetLocalTime(&co_now);
    CT_ResString co_stamp(h_module, n_TimeStampId, co_marker);
    co_stamp.v_Fix(co_now.wYear, CT_String("year"), 0);
    co_stamp.v_Fix(co_now.wDay, CT_String("day"), 0);
    co_stamp.v_Fix(co_now.wMonth, CT_String("month"), 0);
    co_stamp.v_Fix(co_now.wHour, CT_String("hour"), 2);
    co_stamp.v_Fix(co_now.wMinute, CT_String("min"), 2);
    *this << co_stamp.cco_Get();
}

void CT_LogStream::v_Separator()
{
    *this << CT_String(p_SeparatorLine) << co_eof << co_eof;
}

CT_String const CT_LogStream::cco_GetFilter() const
{
    CT_ResString co_filter(h_module, n_FilterId, co_marker);
    return CT_String(co_filter.cco_Get());
}

// The old log stays whole until the new one is on disk beside it. Where
// that cannot be done, the file is replaced in place.
void CT_LogStream::v_Save(CT_String const &co_path) const
{
    if (b_SaveBeside(co_path))
        return;
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Write, 0);
    b_WriteText(co_file, co_path);
    co_file.v_Close();
}

// 1 when the new file beside the log is moved over it, or its text could not
// be written (the old log stays then); 0 when no new file can be made there
// or moved over the old one, and the log is to be replaced in place.
int CT_LogStream::b_SaveBeside(CT_String const &co_path) const
{
    CT_String co_beside;
    if (!b_MakeFileBeside(co_path, co_beside))
        return 0;
    CT_Files co_file;
    et_ErrorCode const e_recorded = CT_Errors::set_GetLastError();
    CT_String const co_recorded = CT_Errors::co_GetLastParameter();
    try
    {
        co_file.v_Open(co_beside, CT_Files::e_Write, 0);
    }
    catch (et_ErrorCode)
    {
        DeleteFileA(co_beside); // made empty by the platform
        v_Record(e_recorded, co_recorded); // the replace in place tells what it meets
        return 0;
    }
    if (!b_WriteText(co_file, co_path))
    {
        co_file.v_Cancel();
        return 1;
    }
    co_file.v_Close();
    if (b_FlushFile(co_beside) && b_MoveOver(co_beside, co_path))
        return 1;
    DeleteFileA(co_beside);
    return 0;
}

// Callers of v_Save expect it to return after a failed write and ask for the
// last error if they want to know: any failure, an allocation's too, is
// recorded there as code 18 with the log's path, and stops here.
int CT_LogStream::b_WriteText(CT_Files &co_file, CT_String const &co_path) const
{
    try
    {
        co_file.v_Writeln(co_logtext);
        return 1;
    }
    catch (...)
    {
    }
    v_Record(e_FileWrite, co_path);
    return 0;
}

void CT_LogStream::v_Append(char const *p_text, unsigned int n_bytes)
{
    if (n_bytes >= kn_MaxReSize - n_textlength)
        throw std::bad_alloc();
    v_Reserve(n_textlength + n_bytes);
    char *p_end = static_cast<char *>(co_logtext) + n_textlength;
    std::memcpy(p_end, p_text, n_bytes);
    p_end[n_bytes] = 0;
    n_textlength += n_bytes;
}

// Makes the room larger than the length, so the terminator stays inside the
// room and everything behind the text stays zero, as the string's own append
// leaves it. The room doubles when it runs out: the string's own growth adds
// only 512 bytes, which would copy a long log again every few appends.
void CT_LogStream::v_Reserve(unsigned int n_length)
{
    unsigned int n_room = co_logtext.n_GetSize();
    if (n_length < n_room)
        return;
    unsigned long long n_doubled = 2ULL * n_room;
    unsigned long long n_wanted = std::max<unsigned long long>(n_length, n_doubled);
    co_logtext.b_ReSize(static_cast<unsigned int>(std::min<unsigned long long>(n_wanted, kn_MaxReSize)));
}
