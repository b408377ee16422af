#include "CT_Files.h"

#include <exception>
#include <vector>

#include "CT_Errors.h"
#include "DiskSteps.h"
#include "Module.h"
#include "PatternMatcher.h"
#include "ReadAhead.h"
#include "TextUnits.h"

static_assert(sizeof(wchar_t) == 2, "text units in files are 16 bits, as wchar_t on Windows");

namespace
{
// Room for the temporary folder and file names: beyond any path the ANSI
// functions accept, so GetTempPathA never reports a short buffer in practice.
unsigned int const n_TempPathRoom = 32000;
// What a scan that needs none of the bytes it passes asks the read-ahead to keep.
unsigned long long const n_KeepNothing = ~0ull;

char const *p_Chars(std::vector<wchar_t> const &co_units)
{
    return reinterpret_cast<char const *>(co_units.data());
}

unsigned int n_ByteCount(std::vector<wchar_t> const &co_units)
{
    return static_cast<unsigned int>(co_units.size() * sizeof(wchar_t));
}

// The text's units, one per character; a text whose units no 32-bit count
// can hold raises the code before anything is allocated or written.
std::vector<wchar_t> co_UnitsOf(CT_String const &co_text, et_ErrorCode e_failure, CT_String const &co_path)
{
    unsigned int const n_bytes = co_text.n_GetStringSize();
    if (!b_FitsOneWrite(n_bytes)) // never more units than bytes
        CT_Errors::v_ThrowError(e_failure, co_path);
    return co_Widen(co_text, n_bytes);
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
    : h_file(INVALID_HANDLE_VALUE), e_state(e_Closed), n_unwinding(0), b_unplaced(0), p_readahead(new CT_ReadAhead)
{
}

// A copy names the same file but holds neither the handle nor the backup.
CT_Files::CT_Files(CT_Files const &co_other)
    : co_path(co_other.co_path), h_file(INVALID_HANDLE_VALUE), e_state(e_Closed), n_unwinding(0), b_unplaced(0),
      p_readahead(new CT_ReadAhead)
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
    if (e_state == e_WritingWithBackup && std::uncaught_exceptions() > n_unwinding)
        e_state = e_WriteFailed;
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
    if (e_state != e_Closed && !(e_state == e_ClosedWithBackup && co_path == co_given))
        v_Close();
    co_path = co_given;
    int const b_reading = e_mode == e_Read;
    int const b_held = b_HoldsBackup();
    CT_String co_aside;
    if (b_backup)
        v_BackUpForOpen(b_reading, co_aside);
    h_file = CreateFileA(co_path, e_mode, 0, NULL, b_reading ? OPEN_EXISTING : CREATE_ALWAYS, 0, NULL);
    if (h_file == INVALID_HANDLE_VALUE)
        v_FailOpen(co_aside, b_backup && b_HoldsBackup() && !b_held);
    // Closed and Closed with backup open into the states of their rows.
    if (b_reading)
        e_state = b_HoldsBackup() ? e_ReadingWithBackup : e_Reading;
    else
        e_state = b_HoldsBackup() ? e_WritingWithBackup : e_Writing;
    n_unwinding = std::uncaught_exceptions();
    b_unplaced = 0;
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
    CT_String co_aside;
    if ((e_state != e_Closed && e_state != e_ClosedWithBackup) || !b_BackUp(co_aside))
        CT_Errors::v_ThrowError(e_FileOpen, co_path);
}

int CT_Files::b_HoldsBackup() const
{
    return e_state == e_ClosedWithBackup || e_state == e_ReadingWithBackup || e_state == e_WritingWithBackup ||
           e_state == e_WriteFailed;
}

// A write open never cuts a file whose backup cannot be had. Nothing can be
// written through an open for reading: it goes on without a backup, and
// leaves a ".old" it finds where it is.
void CT_Files::v_BackUpForOpen(int b_reading, CT_String &co_aside)
{
    if (!b_reading && !b_BackUp(co_aside))
        CT_Errors::v_ThrowError(e_FileOpen, co_path);
    if (b_reading && (b_HoldsBackup() || e_FileAt(co_path + ".old") == e_NotThere))
        b_BackUp(co_aside);
}

// 1 when the file may be cut: it is absent, a device, or its whole copy now
// lies at the path + ".old" (Closed with backup). 0 when that cannot be had;
// nothing else has changed on disk then. A backup is a copy of the file as it
// is now: one held from before goes first. A ".old" found there may be the
// only whole copy of something: it is moved aside, never replaced.
int CT_Files::b_BackUp(CT_String &co_aside)
{
    v_ClearOldFile();
    e_state = e_Closed;
    if (b_IsDevice(co_path))
        return 1;
    et_Presence const e_file = e_FindEntry(co_path);
    if (e_file != e_There)
        return e_file == e_NotThere;
    // Every name is made before anything moves: running out of memory then
    // leaves the disk as it was.
    CT_String const co_backup = co_path + ".old";
    CT_String const co_partial = co_backup + ".tmp";
    co_oldfile.v_SetSize(co_backup.n_GetStringSize());
    et_Presence const e_found = e_FileAt(co_backup);
    if (e_found == e_NotKnown || (e_found == e_There && !b_SetAside(co_backup, co_aside)))
        return 0;
    if (!b_CopyWhole(co_path, co_partial, co_backup))
    {
        CT_KeepLastError const co_reason;
        v_PutBack(co_aside, co_backup);
        return 0;
    }
    co_oldfile = static_cast<char const *>(co_backup);
    e_state = e_ClosedWithBackup;
    return 1;
}

// The file was not touched: a backup this open made goes, and a ".old" it
// moved aside goes back, so that no stray copy is left. Nothing here
// allocates, so the raise is the open's own.
void CT_Files::v_FailOpen(CT_String const &co_aside, int b_madebackup)
{
    {
        CT_KeepLastError const co_reason;
        if (b_madebackup)
        {
            DeleteFileA(co_oldfile);
            v_PutBack(co_aside, co_oldfile);
            co_oldfile.v_Empty();
            e_state = e_Closed;
        }
    }
    CT_Errors::v_ThrowError(e_FileOpen, co_path);
}

// Raises nothing, whatever fails: what cannot be deleted stays on disk.
void CT_Files::v_Close()
{
    // The new content must be on disk before its backup goes; after a failed
    // write the backup is the only whole copy of the old content.
    int b_commit = e_state != e_WriteFailed;
    if (e_state == e_WritingWithBackup)
        b_commit = FlushFileBuffers(h_file) ? 1 : 0;
    v_CloseHandle();
    if (b_commit)
        v_ClearOldFile();
    else
        co_oldfile.v_Empty(); // left on disk, where the next backup moves it aside
    e_state = e_Closed;
}

// Undoes what this object wrote. Where it wrote nothing, the file is spared,
// also when another writer changed it since the backup.
void CT_Files::v_Cancel()
{
    v_CloseHandle();
    if (e_state == e_WritingWithBackup || e_state == e_WriteFailed)
        v_RestoreBackup();
    else if (e_state == e_Writing)
        DeleteFileA(co_path);
    else
        v_ClearOldFile();
    e_state = e_Closed;
}

// Copies the backup over the file; the backup goes only once the restored
// file is on disk, and stays there if the copy fails.
void CT_Files::v_RestoreBackup()
{
    if (CopyFileA(co_oldfile, co_path, FALSE) && b_FlushFile(co_path))
        v_ClearOldFile();
    else
        co_oldfile.v_Empty();
}

void CT_Files::v_Delete()
{
    v_Close();
    DeleteFileA(co_path);
}

// A backup that cannot be deleted stays on disk, whole; the next backup
// moves it aside.
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
    p_readahead->v_Forget();
    b_unplaced = 0;
    if (h_file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(h_file);
    h_file = INVALID_HANDLE_VALUE;
}

// Until a write is whole, a save with a backup counts as failed: any failure
// on the way, an allocation's too, leaves it so. The caller puts the state it
// gets back once the write succeeded.
CT_Files::et_State CT_Files::e_BeginWrite()
{
    et_State const e_before = e_state;
    if (e_state == e_WritingWithBackup)
        e_state = e_WriteFailed;
    return e_before;
}

void CT_Files::v_Write(CT_String const &co_text)
{
    et_State const e_before = e_BeginWrite();
    std::vector<wchar_t> const co_units = co_UnitsOf(co_text, e_FileWrite, co_path);
    v_Write(p_Chars(co_units), n_ByteCount(co_units));
    e_state = e_before;
}

void CT_Files::v_Writeln(CT_String const &co_text)
{
    et_State const e_before = e_BeginWrite();
    v_Write(co_text + static_cast<char const *>(co_lineend));
    e_state = e_before;
}

// A short count is a failure too: a disk that is full takes part of the bytes.
void CT_Files::v_Write(char const *p_buffer, unsigned int n_bytes)
{
    et_State const e_before = e_BeginWrite();
    DWORD n_done = 0;
    if (!b_AtPosition() || !WriteFile(h_file, p_buffer, n_bytes, &n_done, NULL))
        CT_Errors::v_ThrowError(e_FileWrite, co_path);
    if (n_done != n_bytes)
    {
        SetLastError(ERROR_DISK_FULL);
        CT_Errors::v_ThrowError(e_FileWrite, co_path);
    }
    e_state = e_before;
}

// 1 when the platform's file pointer stands at the position, where a read or
// write starts: not after a failed v_Seek, and with the read-ahead given up.
int CT_Files::b_AtPosition()
{
    return !b_unplaced && p_readahead->b_Drop(h_file);
}

void CT_Files::v_Read(char *p_buffer, unsigned int n_bytes)
{
    if (n_bytes == 0)
        return;
    // Bytes the scans read ahead are the file's bytes at the position.
    if (!b_unplaced && p_readahead->b_Take(p_buffer, n_bytes))
        return;
    DWORD n_done = 0;
    if (!b_AtPosition() || !ReadFile(h_file, p_buffer, n_bytes, &n_done, NULL))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    if (n_done == 0)
    {
        SetLastError(ERROR_HANDLE_EOF);
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    }
}

void CT_Files::v_ReadUnicode(unsigned short *p_buffer, unsigned int n_bytes)
{
    v_Read(reinterpret_cast<char *>(p_buffer), n_bytes);
}

void CT_Files::v_MoveUntil(CT_String const &co_delimiter)
{
    n_ScanPast(co_delimiter, n_KeepNothing);
}

unsigned int CT_Files::n_CountUntil(CT_String const &co_delimiter)
{
    unsigned long long n_after = 0;
    return n_CountBefore(co_delimiter, n_after);
}

// One scan finds the delimiter; the line is then read and the position set
// past the delimiter without scanning it again. The delimiter may be the very
// string filled: it is read before the text is assigned.
void CT_Files::v_ReadUntil(CT_String &co_text, CT_String const &co_delimiter)
{
    unsigned long long n_after = 0;
    unsigned int const n_before = n_CountBefore(co_delimiter, n_after);
    // Zero units behind the bytes end the text, also after an odd byte count.
    std::vector<wchar_t> co_units(n_before / 2 + 2, 0);
    v_Read(reinterpret_cast<char *>(co_units.data()), n_before);
    v_AssignNarrowed(co_text, co_units.data(), n_before);
    if (!p_readahead->b_Place(h_file, n_after))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
}

// Reads on to just past the first place where the delimiter's units end and
// returns their byte count; the bytes from n_keep on stay in the read-ahead
// where they fit. At the end of the file code 19 is raised with the position
// there.
unsigned int CT_Files::n_ScanPast(CT_String const &co_delimiter, unsigned long long n_keep)
{
    std::vector<wchar_t> const co_pattern = co_UnitsOf(co_delimiter, e_FileRead, co_path);
    CT_PatternMatcher co_scan(reinterpret_cast<unsigned char const *>(co_pattern.data()), n_ByteCount(co_pattern));
    if (b_unplaced || !p_readahead->b_ScanPast(h_file, co_scan, n_keep))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    return n_ByteCount(co_pattern);
}

// The position stays; n_after gets the position just past the occurrence.
unsigned int CT_Files::n_CountBefore(CT_String const &co_delimiter, unsigned long long &n_after)
{
    unsigned long long n_start = 0;
    if (b_unplaced || !p_readahead->b_Position(h_file, n_start))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    unsigned int const n_found = n_ScanPast(co_delimiter, n_start);
    if (!p_readahead->b_Position(h_file, n_after) || !p_readahead->b_Place(h_file, n_start))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    unsigned int n_count = 0;
    if (!b_CountBefore(n_start, n_after, n_found, n_count))
        CT_Errors::v_ThrowError(e_FileRead, co_path);
    return n_count;
}

// Raises nothing, so a rewind may stand in cleanup code: a position that
// cannot be set is remembered, and the next read or write raises instead of
// starting elsewhere. Offsets from 2 GiB to 4 GiB are reached too.
void CT_Files::v_Seek(unsigned int n_offset)
{
    b_unplaced = p_readahead->b_Place(h_file, n_offset) ? 0 : 1;
}

// The platform's answer: the position's low 32 bits, or the failure value
// where it cannot be had or those cannot hold it.
unsigned int CT_Files::n_GetSeek()
{
    unsigned long long n_position = 0;
    if (b_unplaced || !p_readahead->b_Position(h_file, n_position) || n_position > 0xFFFFFFFFu)
        return INVALID_SET_FILE_POINTER;
    return static_cast<unsigned int>(n_position);
}
