#include "CT_Files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CT_Errors.h"
#include "Module.h"
#include "PatternMatcher.h"

static_assert(sizeof(wchar_t) == 2, "text units in files are 16 bits, as wchar_t on Windows");

namespace
{
// Room for the temporary folder and file names: beyond any path the ANSI
// functions accept, so GetTempPathA never reports a short buffer in practice.
unsigned int const n_TempPathRoom = 32000;
// One read-ahead block of the scans. Lines of text are far shorter than this,
// so one ReadFile serves many scans; each call costs more than copying a
// block this size, and the block stays small beside the object's other room.
unsigned int const n_ReadAheadBytes = 4096;
// What a unit with no narrow form in the current locale reads back as.
char const c_Unconvertible = '?';

// The units of a narrow text, one per character as the current locale reads
// it. Bytes the locale cannot read become the unit of their own value, so no
// part of the text is dropped.
std::vector<wchar_t> co_Widen(char const *p_text, unsigned int n_bytes)
{
    std::vector<wchar_t> co_units(n_bytes + 1, 0);
    size_t n_units = mbstowcs(co_units.data(), p_text, n_bytes);
    if (n_units == static_cast<size_t>(-1))
    {
        n_units = 0;
        mbtowc(0, 0, 0);
        for (unsigned int n_at = 0; n_at < n_bytes && p_text[n_at] != 0;)
        {
            wchar_t c_unit = 0;
            int n_used = mbtowc(&c_unit, p_text + n_at, n_bytes - n_at);
            if (n_used <= 0)
            {
                c_unit = static_cast<unsigned char>(p_text[n_at]);
                n_used = 1;
                mbtowc(0, 0, 0);
            }
            co_units[n_units++] = c_unit;
            n_at += n_used;
        }
    }
    co_units.resize(n_units);
    return co_units;
}

std::vector<wchar_t> co_Widen(CT_String const &co_text)
{
    return co_Widen(co_text, co_text.n_GetStringSize());
}

// The narrow form of zero-terminated units, zero-terminated. A unit the
// current locale has no character for becomes c_Unconvertible.
std::vector<char> co_Narrow(wchar_t const *p_units, unsigned int n_units)
{
    std::vector<char> co_text(static_cast<size_t>(n_units) * MB_CUR_MAX + 1, 0);
    size_t const n_bytes = wcstombs(co_text.data(), p_units, co_text.size() - 1);
    if (n_bytes != static_cast<size_t>(-1))
        return co_text;
    std::fill(co_text.begin(), co_text.end(), 0);
    size_t n_at = 0;
    wctomb(0, 0);
    for (unsigned int n_unit = 0; n_unit < n_units && p_units[n_unit] != 0; ++n_unit)
    {
        char ac_char[MB_LEN_MAX];
        int const n_used = wctomb(ac_char, p_units[n_unit]);
        if (n_used <= 0)
            co_text[n_at++] = c_Unconvertible;
        else
            for (int n_byte = 0; n_byte < n_used; ++n_byte)
                co_text[n_at++] = ac_char[n_byte];
    }
    return co_text;
}

unsigned char const *p_Bytes(std::vector<wchar_t> const &co_units)
{
    return reinterpret_cast<unsigned char const *>(co_units.data());
}

unsigned int n_ByteCount(std::vector<wchar_t> const &co_units)
{
    return static_cast<unsigned int>(co_units.size() * sizeof(wchar_t));
}

// Puts what was written to the file at the path on disk; 0 if it cannot.
int b_FlushFile(char const *p_path)
{
    HANDLE h_flush = CreateFileA(p_path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h_flush == INVALID_HANDLE_VALUE)
        return 0;
    BOOL const b_flushed = FlushFileBuffers(h_flush);
    CloseHandle(h_flush);
    return b_flushed ? 1 : 0;
}

// 1 when the path names a device (NUL, COM1, ...): it holds no content that
// a backup could keep, and a search still finds an entry for it.
int b_IsDevice(char const *p_path)
{
    HANDLE const h_probe = CreateFileA(p_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h_probe == INVALID_HANDLE_VALUE)
        return 0;
    DWORD const n_type = GetFileType(h_probe);
    CloseHandle(h_probe);
    return n_type != FILE_TYPE_DISK ? 1 : 0;
}

// The full form of the path in co_work, which grows when the path does not
// fit its room; returns the start of the file part, or null when the full
// path ends with a separator.
char *p_GetFullPath(CT_String const &co_path, CT_String &co_work)
{
    char *p_filepart = 0;
    DWORD n_length = GetFullPathNameA(co_path, co_work.n_GetSize(), co_work, &p_filepart);
    if (n_length == 0)
        CT_Errors::v_ThrowError(e_Windows, "GetFullPathName\r\n");
    if (n_length < co_work.n_GetSize())
        return p_filepart;
    // Too long for the room: the call reported the size it needs.
    co_work.v_SetSize(n_length);
    n_length = GetFullPathNameA(co_path, co_work.n_GetSize(), co_work, &p_filepart);
    if (n_length == 0 || n_length >= co_work.n_GetSize())
        CT_Errors::v_ThrowError(e_Windows, "GetFullPathName\r\n");
    return p_filepart;
}
} // namespace

CT_Files::CT_Files()
    : h_file(INVALID_HANDLE_VALUE), b_written(0), n_blockstart(0), n_blocklength(0), n_blockcursor(0)
{
}

// A copy names the same file but holds neither the handle nor the backup.
CT_Files::CT_Files(CT_Files const &co_other)
    : co_path(co_other.co_path), h_file(INVALID_HANDLE_VALUE), b_written(0), n_blockstart(0), n_blocklength(0),
      n_blockcursor(0)
{
}

CT_Files &CT_Files::operator=(CT_Files const &co_other)
{
    if (this == &co_other)
        return *this;
    v_Close();
    co_path = co_other.co_path;
    return *this;
}

CT_Files::~CT_Files()
{
    v_Close();
}

int CT_Files::sb_Exist(CT_String const &co_path)
{
    WIN32_FIND_DATAA co_entry;
    HANDLE const h_search = FindFirstFileA(co_path, &co_entry);
    if (h_search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(h_search);
    return 1;
}

void CT_Files::sv_RemoveExtension(CT_String &co_text)
{
    co_text.v_ReplaceChar('.', 0);
}

CT_String CT_Files::sco_GetFileName(CT_String const &co_path)
{
    CT_String co_work;
    return CT_String(p_GetFullPath(co_path, co_work));
}

void CT_Files::sv_GetFolder(CT_String const &co_path, CT_String &co_folder)
{
    CT_String co_work;
    char *const p_filepart = p_GetFullPath(co_path, co_work);
    // Two zeros end the text and close it as a one-element list. A full path
    // without a file part is a folder already.
    if (p_filepart)
    {
        p_filepart[0] = 0;
        p_filepart[1] = 0;
    }
    co_folder = co_work;
}

CT_String const &CT_Files::cco_GetFullPath() const
{
    return co_path;
}

void CT_Files::v_Open(CT_String const &co_newpath, et_OpenMode e_mode, int b_backup)
{
    // A copy first: the caller may pass this object's own path.
    CT_String const co_given(co_newpath);
    // Commit what is open. A backup made for this same path while closed
    // stays, so that a roll back after this open can restore it.
    if (h_file != INVALID_HANDLE_VALUE || !(co_path == co_given))
        v_Close();
    co_path = co_given;
    // Never cut a file whose backup is not safely on disk.
    if (b_backup && !b_MakeBackup() && e_mode != e_Read)
        CT_Errors::v_ThrowError(e_FileOpen, co_path);
    DWORD const n_disposition = e_mode == e_Read ? OPEN_EXISTING : CREATE_ALWAYS;
    h_file = CreateFileA(co_path, e_mode, 0, NULL, n_disposition, 0, NULL);
    if (h_file == INVALID_HANDLE_VALUE)
        CT_Errors::v_ThrowError(e_FileOpen, co_path);
    b_written = e_mode != e_Read;
}

void CT_Files::v_Open()
{
    CT_String co_folder;
    co_folder.v_SetSize(n_TempPathRoom);
    DWORD const n_folder = GetTempPathA(n_TempPathRoom, co_folder);
    if (n_folder == 0 || n_folder >= n_TempPathRoom)
        CT_Errors::v_ThrowError(e_Windows, "File::Open()");
    CT_String co_name;
    co_name.v_SetSize(n_TempPathRoom);
    UINT const n_unique = GetTempFileNameA(co_folder, "vl", 0, co_name);
    if (n_unique == 0)
        CT_Errors::v_ThrowError(e_Windows, "File::Open()");
    v_Open(co_name, e_Write, 0);
}

void CT_Files::v_SaveOldFile()
{
    if (!b_MakeBackup())
        CT_Errors::v_ThrowError(e_FileOpen, co_path);
}

// 1 when the file at co_path is absent or its copy at co_path + ".old" is on
// disk; 0 when no such copy could be made.
int CT_Files::b_MakeBackup()
{
    if (!sb_Exist(co_path))
        return 1;
    // The object's own handle admits no other reader, and what is open may
    // be half rewritten: the backup there is, if any, stays as it is.
    if (h_file != INVALID_HANDLE_VALUE)
        return 0;
    CT_String const co_backup = co_path + ".old";
    BOOL const b_copied = CopyFileA(co_path, co_backup, FALSE);
    if (!b_copied)
    {
        co_oldfile.v_Empty(); // whatever lies there is no copy of the file now
        return b_IsDevice(co_path);
    }
    co_oldfile = co_backup;
    // The copy takes the original's attributes: read-only, it could be
    // neither flushed nor deleted at the commit.
    DWORD const n_attributes = GetFileAttributesA(co_oldfile);
    if (n_attributes != INVALID_FILE_ATTRIBUTES && (n_attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(co_oldfile, n_attributes & ~FILE_ATTRIBUTE_READONLY);
    // The open that follows cuts the original: the copy must be on disk first.
    return b_FlushFile(co_oldfile);
}

void CT_Files::v_Close()
{
    // The new content must be on disk before its backup goes.
    int b_durable = 1;
    if (h_file != INVALID_HANDLE_VALUE && b_written && !co_oldfile.b_IsEmpty())
        b_durable = FlushFileBuffers(h_file) ? 1 : 0;
    v_CloseHandle();
    if (b_durable)
        v_ClearOldFile();
    else
        co_oldfile.v_Empty(); // left on disk: it may be the only whole copy
    b_written = 0;
}

void CT_Files::v_Cancel()
{
    v_CloseHandle();
    if (!co_oldfile.b_IsEmpty())
        v_RestoreBackup();
    else if (b_written)
        DeleteFileA(co_path);
    b_written = 0;
}

// Copies the backup over the file; the backup goes only once the restored
// file is on disk, and stays there if the copy fails.
void CT_Files::v_RestoreBackup()
{
    BOOL const b_restored = CopyFileA(co_oldfile, co_path, FALSE);
    if (b_restored && b_FlushFile(co_path))
        v_ClearOldFile();
    else
        co_oldfile.v_Empty();
}

void CT_Files::v_Delete()
{
    v_Close();
    DeleteFileA(co_path);
}

void CT_Files::v_ClearOldFile()
{
    if (co_oldfile.b_IsEmpty())
        return;
    DeleteFileA(co_oldfile);
    co_oldfile.v_Empty();
}

void CT_Files::v_CloseHandle()
{
    n_blocklength = 0;
    n_blockcursor = 0;
    if (h_file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(h_file);
    h_file = INVALID_HANDLE_VALUE;
}

void CT_Files::v_Write(CT_String const &co_text)
{
    std::vector<wchar_t> const co_units = co_Widen(co_text);
    v_Write(reinterpret_cast<char const *>(co_units.data()), n_ByteCount(co_units));
}

void CT_Files::v_Writeln(CT_String const &co_text)
{
    v_Write(co_text + static_cast<char const *>(co_lineend));
}

void CT_Files::v_Write(char const *p_buffer, unsigned int n_bytes)
{
    v_DropBlock();
    DWORD n_done = 0;
    BOOL const b_done = WriteFile(h_file, p_buffer, n_bytes, &n_done, NULL);
    if (!b_done)
        CT_Errors::v_ThrowError(e_FileWrite, co_path);
}

void CT_Files::v_Read(char *p_buffer, unsigned int n_bytes)
{
    if (n_bytes == 0)
        return;
    // Bytes the scans read ahead are the file's bytes at the position.
    if (n_bytes <= n_blocklength - n_blockcursor)
    {
        std::memcpy(p_buffer, p_block.get() + n_blockcursor, n_bytes);
        n_blockcursor += n_bytes;
        return;
    }
    v_DropBlock();
    DWORD n_done = 0;
    BOOL const b_done = ReadFile(h_file, p_buffer, n_bytes, &n_done, NULL);
    if (!b_done || n_done == 0)
        CT_Errors::v_ThrowError(e_FileRead, co_path);
}

void CT_Files::v_ReadUnicode(unsigned short *p_buffer, unsigned int n_bytes)
{
    v_Read(reinterpret_cast<char *>(p_buffer), n_bytes);
}

void CT_Files::v_MoveUntil(CT_String const &co_delimiter)
{
    std::vector<wchar_t> const co_pattern = co_Widen(co_delimiter);
    v_ScanPast(p_Bytes(co_pattern), n_ByteCount(co_pattern));
}

unsigned int CT_Files::n_CountUntil(CT_String const &co_delimiter)
{
    std::vector<wchar_t> const co_pattern = co_Widen(co_delimiter);
    return n_CountBefore(p_Bytes(co_pattern), n_ByteCount(co_pattern));
}

void CT_Files::v_ReadUntil(CT_String &co_text, CT_String const &co_delimiter)
{
    // The pattern first: the delimiter may be the very string filled below.
    std::vector<wchar_t> const co_pattern = co_Widen(co_delimiter);
    unsigned int const n_before = n_CountBefore(p_Bytes(co_pattern), n_ByteCount(co_pattern));
    // Zero units behind the bytes end the text, also after an odd byte count.
    std::vector<wchar_t> co_units(n_before / 2 + 2, 0);
    v_Read(reinterpret_cast<char *>(co_units.data()), n_before);
    std::vector<char> const co_narrow = co_Narrow(co_units.data(), static_cast<unsigned int>(co_units.size()));
    co_text.v_SetSize(n_before);
    co_text = CT_String(co_narrow.data());
    v_ScanPast(p_Bytes(co_pattern), n_ByteCount(co_pattern));
}

// Reads on to just past the first place where the pattern ends. At the end
// of the file code 19 is raised with the position there.
void CT_Files::v_ScanPast(unsigned char const *p_pattern, unsigned int n_length)
{
    CT_PatternMatcher co_scan(p_pattern, n_length);
    while (!co_scan.b_Found())
    {
        if (n_blockcursor == n_blocklength)
            v_FillBlock();
        n_blockcursor += co_scan.n_Feed(p_block.get() + n_blockcursor, n_blocklength - n_blockcursor);
    }
}

unsigned int CT_Files::n_CountBefore(unsigned char const *p_pattern, unsigned int n_length)
{
    unsigned long long const n_start = n_GetPosition();
    v_ScanPast(p_pattern, n_length);
    unsigned long long const n_end = n_GetPosition();
    v_SetPosition(n_start);
    return static_cast<unsigned int>(n_end - n_start) - n_length;
}

// Reads the next block at the platform's file pointer, which stands at the
// position since the block before it is used up.
void CT_Files::v_FillBlock()
{
    n_blocklength = 0;
    n_blockcursor = 0;
    if (!p_block)
        p_block.reset(new unsigned char[n_ReadAheadBytes]);
    LONG n_high = 0;
    DWORD const n_low = SetFilePointer(h_file, 0, &n_high, FILE_CURRENT);
    if (n_low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    DWORD n_done = 0;
    BOOL const b_done = ReadFile(h_file, p_block.get(), n_ReadAheadBytes, &n_done, NULL);
    if (!b_done || n_done == 0)
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    n_blockstart = (static_cast<unsigned long long>(static_cast<DWORD>(n_high)) << 32) | n_low;
    n_blocklength = n_done;
}

// Gives up the read-ahead: the platform's file pointer goes back to the
// position, so that the next platform call starts there.
void CT_Files::v_DropBlock()
{
    unsigned int const n_ahead = n_blocklength - n_blockcursor;
    n_blocklength = 0;
    n_blockcursor = 0;
    if (n_ahead == 0)
        return;
    LONG n_high = -1;
    SetFilePointer(h_file, -static_cast<LONG>(n_ahead), &n_high, FILE_CURRENT);
}

unsigned long long CT_Files::n_GetPosition()
{
    if (n_blocklength != 0)
        return n_blockstart + n_blockcursor;
    LONG n_high = 0;
    DWORD const n_low = SetFilePointer(h_file, 0, &n_high, FILE_CURRENT);
    return (static_cast<unsigned long long>(static_cast<DWORD>(n_high)) << 32) | n_low;
}

void CT_Files::v_SetPosition(unsigned long long n_position)
{
    if (n_blocklength != 0 && n_position >= n_blockstart && n_position - n_blockstart <= n_blocklength)
    {
        n_blockcursor = static_cast<unsigned int>(n_position - n_blockstart);
        return;
    }
    v_DropBlock();
    LONG n_high = static_cast<LONG>(n_position >> 32);
    SetFilePointer(h_file, static_cast<LONG>(n_position & 0xFFFFFFFFu), &n_high, FILE_BEGIN);
}

// The offset is unsigned: offsets from 2 GiB to 4 GiB are reached too.
void CT_Files::v_Seek(unsigned int n_offset)
{
    v_SetPosition(n_offset);
}

unsigned int CT_Files::n_GetSeek()
{
    if (n_blocklength == 0)
        return SetFilePointer(h_file, 0, NULL, FILE_CURRENT);
    // What the platform reports for the position: its low 32 bits, or the
    // failure value where those cannot hold it.
    unsigned long long const n_position = n_blockstart + n_blockcursor;
    return n_position > 0xFFFFFFFFu ? INVALID_SET_FILE_POINTER : static_cast<unsigned int>(n_position);
}
