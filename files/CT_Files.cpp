#include "CT_Files.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "CT_Errors.h"
#include "Module.h"
#include "PatternMatcher.h"
#include "StringGrowth.h"

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
// A scan that runs past its block keeps the bytes it passed in the next one,
// up to this many, so that the count of a line that crosses two blocks is
// set back, and the line read, without a platform call.
unsigned int const n_MostKeptBytes = n_ReadAheadBytes / 2;
// What a scan that needs none of the bytes it passes asks to keep.
unsigned long long const n_KeepNothing = ~0ull;
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

// The narrow form of one unit in the current locale, c_Unconvertible where
// it has none; returns its byte count.
int n_NarrowUnit(wchar_t c_unit, char (&ac_char)[MB_LEN_MAX])
{
    int const n_used = wctomb(ac_char, c_unit);
    if (n_used > 0)
        return n_used;
    ac_char[0] = c_Unconvertible;
    return 1;
}

// Bytes of the narrow form of zero-terminated units.
unsigned int n_NarrowSize(wchar_t const *p_units)
{
    size_t const n_bytes = wcstombs(0, p_units, 0);
    if (n_bytes != static_cast<size_t>(-1))
        return static_cast<unsigned int>(n_bytes);
    unsigned int n_size = 0;
    wctomb(0, 0);
    for (char ac_char[MB_LEN_MAX]; *p_units != 0; ++p_units)
        n_size += n_NarrowUnit(*p_units, ac_char);
    return n_size;
}

// Writes the narrow form of zero-terminated units and its terminator into
// the n_room bytes at p_text, which hold them.
void v_Narrow(wchar_t const *p_units, char *p_text, unsigned int n_room)
{
    if (wcstombs(p_text, p_units, n_room) != static_cast<size_t>(-1))
        return;
    // The failed call may have written a part: all of it is written again.
    wctomb(0, 0);
    for (char ac_char[MB_LEN_MAX]; *p_units != 0; ++p_units)
    {
        int const n_used = n_NarrowUnit(*p_units, ac_char);
        std::memcpy(p_text, ac_char, n_used);
        p_text += n_used;
    }
    *p_text = 0;
}

// 1 when assigning a string built from a text of that many bytes leaves
// this room in place: the room such a string gets is smaller.
int b_AssignsInPlace(unsigned long long n_size, unsigned int n_room)
{
    return n_WideRoomFor(n_size) < n_room ? 1 : 0;
}

// Gives the text string, just sized for the units' bytes, the room that
// assigning it a string of their narrow form leaves. That form has at most
// MB_CUR_MAX bytes a unit: when even that many would be assigned in place,
// the emptied room stays and the units need not be counted.
void v_SizeForNarrow(CT_String &co_text, std::vector<wchar_t> const &co_units)
{
    unsigned long long const n_most = static_cast<unsigned long long>(co_units.size()) * MB_CUR_MAX;
    if (!b_AssignsInPlace(n_most, co_text.n_GetSize()))
        co_text.v_SetSize(n_RoomFor(n_NarrowSize(co_units.data())));
}

unsigned char const *p_Bytes(std::vector<wchar_t> const &co_units)
{
    return reinterpret_cast<unsigned char const *>(co_units.data());
}

unsigned int n_ByteCount(std::vector<wchar_t> const &co_units)
{
    return static_cast<unsigned int>(co_units.size() * sizeof(wchar_t));
}

// A handle a helper opens for a moment, closed on every way out. A failed
// close tells nothing to act on: the handle is gone either way.
class CT_OwnedHandle
{
public:
    explicit CT_OwnedHandle(HANDLE h_handle) : h_handle(h_handle) {}
    ~CT_OwnedHandle()
    {
        if (b_IsOpen())
            CloseHandle(h_handle);
    }
    CT_OwnedHandle(CT_OwnedHandle const &) = delete;
    CT_OwnedHandle &operator=(CT_OwnedHandle const &) = delete;

    int b_IsOpen() const { return h_handle != INVALID_HANDLE_VALUE; }
    HANDLE h_Get() const { return h_handle; }

private:
    HANDLE h_handle;
};

// Moves the platform's file pointer and gives where it now stands; 0 when
// the platform cannot, and the position is then unchanged.
int b_MovePointer(HANDLE h_file, long long n_distance, DWORD n_method, unsigned long long &n_position)
{
    LARGE_INTEGER so_distance;
    so_distance.QuadPart = n_distance;
    LARGE_INTEGER so_position;
    if (!SetFilePointerEx(h_file, so_distance, &so_position, n_method))
        return 0;
    n_position = static_cast<unsigned long long>(so_position.QuadPart);
    return 1;
}

// Puts what was written to the file at the path on disk; 0 if it cannot.
int b_FlushFile(char const *p_path)
{
    CT_OwnedHandle const co_flush(CreateFileA(p_path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    return co_flush.b_IsOpen() && FlushFileBuffers(co_flush.h_Get()) ? 1 : 0;
}

// 1 when the path names a device (NUL, COM1, ...): it holds no content that
// a backup could keep, and copying one may never end.
int b_IsDevice(char const *p_path)
{
    CT_OwnedHandle const co_probe(
        CreateFileA(p_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL));
    if (!co_probe.b_IsOpen())
        return 0;
    // FILE_TYPE_UNKNOWN is also the failure value: only a known type counts.
    DWORD const n_type = GetFileType(co_probe.h_Get());
    return n_type == FILE_TYPE_CHAR || n_type == FILE_TYPE_PIPE ? 1 : 0;
}

enum et_Presence
{
    e_NotThere,
    e_There,
    e_NotKnown
};

// Whether a directory search finds an entry for the path. Only "no such
// file or folder" means absent: any other failure tells nothing.
et_Presence e_FindEntry(char const *p_path)
{
    WIN32_FIND_DATAA co_entry;
    HANDLE const h_search = FindFirstFileA(p_path, &co_entry);
    if (h_search != INVALID_HANDLE_VALUE)
    {
        FindClose(h_search); // a search handle holds nothing on disk
        return e_There;
    }
    DWORD const n_error = GetLastError();
    return n_error == ERROR_FILE_NOT_FOUND || n_error == ERROR_PATH_NOT_FOUND ? e_NotThere : e_NotKnown;
}

// Whether a file lies at the path; a folder there is no file, and no file
// can go there either: that is not known.
et_Presence e_FileAt(char const *p_path)
{
    DWORD const n_attributes = GetFileAttributesA(p_path);
    if (n_attributes != INVALID_FILE_ATTRIBUTES)
        return n_attributes & FILE_ATTRIBUTE_DIRECTORY ? e_NotKnown : e_There;
    DWORD const n_error = GetLastError();
    return n_error == ERROR_FILE_NOT_FOUND || n_error == ERROR_PATH_NOT_FOUND ? e_NotThere : e_NotKnown;
}

// Copies the file to the backup's name, on disk before it takes that name:
// a backup found under its name is always whole.
int b_CopyWhole(char const *p_path, CT_String const &co_backup)
{
    CT_String const co_partial = co_backup + ".tmp";
    if (!CopyFileA(p_path, co_partial, FALSE))
        return 0;
    // The copy takes the original's attributes: read-only, it could be
    // neither flushed nor deleted at the commit.
    DWORD const n_attributes = GetFileAttributesA(co_partial);
    int const b_writable = n_attributes != INVALID_FILE_ATTRIBUTES &&
                           (!(n_attributes & FILE_ATTRIBUTE_READONLY) ||
                            SetFileAttributesA(co_partial, n_attributes & ~FILE_ATTRIBUTE_READONLY));
    if (b_writable && b_FlushFile(co_partial) &&
        MoveFileExA(co_partial, co_backup, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    DeleteFileA(co_partial); // a stray partial copy, not a backup: its name is never read
    return 0;
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
    : h_file(INVALID_HANDLE_VALUE), b_written(0), b_broken(0), n_unwinding(0), n_blockstart(0), n_blocklength(0),
      n_blockcursor(0)
{
}

// A copy names the same file but holds neither the handle nor the backup.
CT_Files::CT_Files(CT_Files const &co_other)
    : co_path(co_other.co_path), h_file(INVALID_HANDLE_VALUE), b_written(0), b_broken(0), n_unwinding(0),
      n_blockstart(0), n_blocklength(0), n_blockcursor(0)
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

// Reached by an exception the open did not see, the writing was cut short:
// no commit then, the backup stays.
CT_Files::~CT_Files()
{
    if (std::uncaught_exceptions() > n_unwinding)
        b_broken = 1;
    v_Close();
}

int CT_Files::sb_Exist(CT_String const &co_path)
{
    return e_FindEntry(co_path) == e_There ? 1 : 0;
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
    n_unwinding = std::uncaught_exceptions();
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

// 1 when the file at co_path is absent, a device, or its whole copy lies at
// co_path + ".old"; 0 when that cannot be had, and the file must not be cut.
int CT_Files::b_MakeBackup()
{
    if (b_IsDevice(co_path))
        return 1;
    et_Presence const e_file = e_FindEntry(co_path);
    if (e_file == e_NotKnown)
        return 0;
    CT_String const co_backup = co_path + ".old";
    // No file, but a backup left beside it (the file was deleted after a
    // save that never committed): it is the last whole content, and stays
    // the backup until this save commits. Else a later save would take it
    // for its own and a roll back would bring back older content.
    if (e_file == e_NotThere)
    {
        if (e_FileAt(co_backup) == e_There)
            co_oldfile = co_backup;
        return 1;
    }
    // The object's own handle admits no other reader, and what is open may
    // be half rewritten: the backup there is, if any, stays as it is.
    if (h_file != INVALID_HANDLE_VALUE)
        return 0;
    // A backup still there was left by a save that never committed: it holds
    // the last committed content, and the file may be half written. It stays
    // the backup until this save commits.
    et_Presence const e_left = e_FileAt(co_backup);
    if (e_left == e_NotKnown || (e_left == e_NotThere && !b_CopyWhole(co_path, co_backup)))
        return 0;
    co_oldfile = co_backup;
    return 1;
}

void CT_Files::v_Close()
{
    // The new content must be whole, and on disk, before its backup goes.
    int b_durable = !b_broken;
    if (b_durable && h_file != INVALID_HANDLE_VALUE && b_written && !co_oldfile.b_IsEmpty())
        b_durable = FlushFileBuffers(h_file) ? 1 : 0;
    v_CloseHandle();
    if (b_durable)
        v_ClearOldFile();
    else
        co_oldfile.v_Empty(); // left on disk: it may be the only whole copy
    b_written = 0;
    b_broken = 0;
}

// Raises nothing: a file that cannot be deleted stays, as it was written.
void CT_Files::v_Cancel()
{
    v_CloseHandle();
    if (!co_oldfile.b_IsEmpty())
        v_RestoreBackup();
    else if (b_written)
        DeleteFileA(co_path);
    b_written = 0;
    b_broken = 0;
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

// Raises nothing; a file that cannot be deleted stays.
void CT_Files::v_Delete()
{
    v_Close();
    DeleteFileA(co_path);
}

// A backup that cannot be deleted stays on disk; the next save keeps it as
// its own backup until it commits, so nothing is lost.
void CT_Files::v_ClearOldFile()
{
    if (co_oldfile.b_IsEmpty())
        return;
    DeleteFileA(co_oldfile);
    co_oldfile.v_Empty();
}

// A failed close tells nothing to act on: the handle is gone either way.
void CT_Files::v_CloseHandle()
{
    n_blocklength = 0;
    n_blockcursor = 0;
    if (h_file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(h_file);
    h_file = INVALID_HANDLE_VALUE;
}

// A write cut short by any failure, an allocation's too, marks the content
// broken: no commit then.
void CT_Files::v_Write(CT_String const &co_text)
{
    int const b_before = b_broken;
    b_broken = 1;
    std::vector<wchar_t> const co_units = co_Widen(co_text);
    v_Write(reinterpret_cast<char const *>(co_units.data()), n_ByteCount(co_units));
    b_broken = b_before;
}

void CT_Files::v_Writeln(CT_String const &co_text)
{
    int const b_before = b_broken;
    b_broken = 1;
    v_Write(co_text + static_cast<char const *>(co_lineend));
    b_broken = b_before;
}

// A short count is a failure too: a disk that is full takes part of the bytes.
void CT_Files::v_Write(char const *p_buffer, unsigned int n_bytes)
{
    int const b_before = b_broken;
    b_broken = 1;
    if (!b_DropBlock())
        CT_Errors::v_ThrowError(e_FileWrite, co_path);
    DWORD n_done = 0;
    BOOL const b_done = WriteFile(h_file, p_buffer, n_bytes, &n_done, NULL);
    if (!b_done || n_done != n_bytes)
        CT_Errors::v_ThrowError(e_FileWrite, co_path);
    b_broken = b_before;
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
    if (!b_DropBlock())
        CT_Errors::v_ThrowError(e_FileRead, co_path);
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
    v_ScanPast(p_Bytes(co_pattern), n_ByteCount(co_pattern), n_KeepNothing);
}

unsigned int CT_Files::n_CountUntil(CT_String const &co_delimiter)
{
    std::vector<wchar_t> const co_pattern = co_Widen(co_delimiter);
    unsigned long long n_after = 0;
    return n_CountBefore(p_Bytes(co_pattern), n_ByteCount(co_pattern), n_after);
}

// One scan finds the delimiter; the line is then read and the position set
// past the delimiter without scanning it again.
void CT_Files::v_ReadUntil(CT_String &co_text, CT_String const &co_delimiter)
{
    // The pattern first: the delimiter may be the very string filled below.
    std::vector<wchar_t> const co_pattern = co_Widen(co_delimiter);
    unsigned long long n_after = 0;
    unsigned int const n_before = n_CountBefore(p_Bytes(co_pattern), n_ByteCount(co_pattern), n_after);
    // Zero units behind the bytes end the text, also after an odd byte count.
    std::vector<wchar_t> co_units(n_before / 2 + 2, 0);
    v_Read(reinterpret_cast<char *>(co_units.data()), n_before);
    // The room as sizing it for the bytes, then assigning a string of the
    // text, leaves it; the text is then written straight into it.
    co_text.v_SetSize(n_before);
    v_SizeForNarrow(co_text, co_units);
    v_Narrow(co_units.data(), co_text, co_text.n_GetSize());
    if (!b_SetPosition(n_after))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
}

// Reads on to just past the first place where the pattern ends; the bytes
// from n_keep on stay in the read-ahead where they fit. At the end of the
// file code 19 is raised with the position there.
void CT_Files::v_ScanPast(unsigned char const *p_pattern, unsigned int n_length, unsigned long long n_keep)
{
    CT_PatternMatcher co_scan(p_pattern, n_length);
    while (!co_scan.b_Found())
    {
        if (n_blockcursor == n_blocklength)
            v_FillBlock(n_keep);
        n_blockcursor += co_scan.n_Feed(p_block.get() + n_blockcursor, n_blocklength - n_blockcursor);
    }
}

// The position stays; n_after gets the position just past the occurrence.
unsigned int CT_Files::n_CountBefore(unsigned char const *p_pattern, unsigned int n_length,
                                     unsigned long long &n_after)
{
    unsigned long long const n_start = n_GetPosition();
    v_ScanPast(p_pattern, n_length, n_start);
    n_after = n_GetPosition();
    if (!b_SetPosition(n_start))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    return static_cast<unsigned int>(n_after - n_start) - n_length;
}

// Reads the next block at the platform's file pointer, which stands at the
// position since the block before it is used up. Where that block ends is
// known, so only without one is the platform asked. The used-up block's
// bytes from n_keep on come first in the new one, when they are few enough.
void CT_Files::v_FillBlock(unsigned long long n_keep)
{
    unsigned long long n_end = n_blockstart + n_blocklength;
    if (n_blocklength == 0 && !b_MovePointer(h_file, 0, FILE_CURRENT, n_end))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    unsigned int const n_kept = n_KeepFrom(n_keep);
    n_blocklength = 0;
    n_blockcursor = 0;
    if (!p_block)
        p_block.reset(new unsigned char[n_ReadAheadBytes]);
    DWORD n_done = 0;
    BOOL const b_done = ReadFile(h_file, p_block.get() + n_kept, n_ReadAheadBytes - n_kept, &n_done, NULL);
    if (!b_done || n_done == 0)
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    n_blockstart = n_end - n_kept;
    n_blocklength = n_kept + n_done;
    n_blockcursor = n_kept;
}

// Moves the block's bytes from n_keep to its end to its front and gives how
// many; none when the block does not hold that position past its start, or
// more than n_MostKeptBytes would be kept.
unsigned int CT_Files::n_KeepFrom(unsigned long long n_keep)
{
    if (n_blocklength == 0 || n_keep <= n_blockstart || n_keep - n_blockstart >= n_blocklength)
        return 0;
    unsigned int const n_offset = static_cast<unsigned int>(n_keep - n_blockstart);
    unsigned int const n_kept = n_blocklength - n_offset;
    if (n_kept > n_MostKeptBytes)
        return 0;
    std::memmove(p_block.get(), p_block.get() + n_offset, n_kept);
    return n_kept;
}

// Gives up the read-ahead: the platform's file pointer goes back to the
// position, so that the next platform call starts there. 0 when it cannot;
// the block is kept then, so the position stays what it was.
int CT_Files::b_DropBlock()
{
    unsigned int const n_ahead = n_blocklength - n_blockcursor;
    unsigned long long n_back = 0;
    if (n_ahead != 0 && !b_MovePointer(h_file, -static_cast<long long>(n_ahead), FILE_CURRENT, n_back))
        return 0;
    n_blocklength = 0;
    n_blockcursor = 0;
    return 1;
}

unsigned long long CT_Files::n_GetPosition()
{
    if (n_blocklength != 0)
        return n_blockstart + n_blockcursor;
    unsigned long long n_position = 0;
    if (!b_MovePointer(h_file, 0, FILE_CURRENT, n_position))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    return n_position;
}

// 0 when the platform cannot set the position; it is then unchanged.
int CT_Files::b_SetPosition(unsigned long long n_position)
{
    if (n_blocklength != 0 && n_position >= n_blockstart && n_position - n_blockstart <= n_blocklength)
    {
        n_blockcursor = static_cast<unsigned int>(n_position - n_blockstart);
        return 1;
    }
    unsigned long long n_now = 0;
    return b_DropBlock() && b_MovePointer(h_file, static_cast<long long>(n_position), FILE_BEGIN, n_now);
}

// The offset is unsigned: offsets from 2 GiB to 4 GiB are reached too. A
// position that cannot be set raises code 19: the next read would start
// elsewhere.
void CT_Files::v_Seek(unsigned int n_offset)
{
    if (!b_SetPosition(n_offset))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
}

// What the platform reports for the position: its low 32 bits, or the
// failure value where it cannot be had or those cannot hold it.
unsigned int CT_Files::n_GetSeek()
{
    unsigned long long n_position = n_blockstart + n_blockcursor;
    if (n_blocklength == 0 && !b_MovePointer(h_file, 0, FILE_CURRENT, n_position))
        return INVALID_SET_FILE_POINTER;
    return n_position > 0xFFFFFFFFu ? INVALID_SET_FILE_POINTER : static_cast<unsigned int>(n_position);
}
