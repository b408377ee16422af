// CT_Files: one file, opened without sharing, with an optional ".old" backup
// while it is rewritten; text is stored as 16-bit little-endian units.
//
//   CT_Files co_file;
//   co_file.v_Open(co_path, CT_Files::e_Write, 1); // backs up co_path + ".old"
//   co_file.v_Writeln(co_line);
//   co_file.v_Close();                             // commit; v_Cancel() rolls back
//
// The promise: no sequence of calls, failed system call, failed allocation
// or crash loses the last whole copy of any content that was on disk, except
// content that a committed save of the same file replaced. A file that may
// hold the only whole copy of something, a ".old" this object did not make
// included, is never cut, overwritten or deleted until that content is safe
// in another file.
#ifndef CT_FILES_H
#define CT_FILES_H

#include <windows.h>

#include <memory>

#include "CT_String.h"

class CT_ReadAhead;

/// @defgroup files Files
/// Files of 16-bit text units, with a backup while they are rewritten.

/// @ingroup files
/// One file, named by its path and opened without sharing, with an optional
/// backup (the path + ".old") while it is rewritten: end the write with
/// v_Close() (commit; the destructor does the same unless an exception is
/// passing through) or v_Cancel() (roll back). Text is stored as 16-bit
/// little-endian units, one per character as the current locale reads it,
/// without a byte-order mark; lines end with CR LF.
///
/// @code
/// CT_Files co_file;
/// co_file.v_Open(co_path, CT_Files::e_Write, 1); // backs up co_path + ".old"
/// co_file.v_Writeln(co_line);
/// co_file.v_Close();                             // commit; v_Cancel() rolls back
/// @endcode
///
/// **The promise.** No sequence of calls, failed system call, failed
/// allocation or crash loses the last whole copy of any content that was on
/// disk, except content that a committed save of the same file replaced. A
/// file that may hold the only whole copy of something is never cut,
/// overwritten or deleted until that content is safe in another file; that
/// includes a ".old" the object did not make.
///
/// **A ".old" found on disk** was left by a save that did not commit, or put
/// there by someone else: the object never takes it for its own backup. A
/// backup of an existing file first moves it aside, on disk, to the first
/// free name among the path + ".old.1", ".old.2", ..., where it stays for a
/// person to look at; an open for reading leaves it where it is and makes no
/// backup, as nothing can be written through it. Nothing else is renamed,
/// and with no ".old" on disk a save passes through the same states, under
/// the same names, as ever.
///
/// **States.** Each call's transition is decided in one place, by this table:
///
/// | State | Handle | Backup held | v_Close() | v_Cancel() |
/// |---|---|---|---|---|
/// | Closed | none | none | nothing | nothing: the file is spared |
/// | Closed with backup | none | made by v_SaveOldFile() | deletes the backup | deletes the backup; the file is spared |
/// | Reading | e_Read | none | closes | closes; the file is spared |
/// | Reading with backup | e_Read | made by the flag | closes, deletes the backup | closes, deletes the backup; the file is spared |
/// | Writing | created or cut | none | closes | closes, deletes the file |
/// | Writing with backup | created or cut | the content before the open | puts the file on disk, closes, deletes the backup | closes, copies the backup back, deletes it |
/// | Write failed | created or cut | the only whole copy | closes; the backup stays on disk | as Writing with backup |
///
/// | From | Event | To |
/// |---|---|---|
/// | Closed | v_Open() for reading; with the flag, a present file and no ".old" | Reading; Reading with backup |
/// | Closed | v_Open() for writing; with the flag and a present file | Writing; Writing with backup |
/// | Closed with backup | v_Open() of its own path without the flag, for reading; for writing | Reading with backup; Writing with backup |
/// | Closed, Closed with backup | v_SaveOldFile(), or v_Open() with the flag: a fresh backup of a present file | Closed with backup, then as above |
/// | Writing with backup | a write that fails or falls short; the destructor while an exception passes | Write failed |
/// | any open state, or a backup of another path | v_Open() | as v_Close(), then as from Closed |
/// | any | v_Close(), v_Cancel(), v_Delete(), the destructor | Closed |
/// | any | v_Open() raising 17 | as before the call; a backup that call made is deleted and a ".old" it moved aside moved back |
///
/// A roll back undoes what the object wrote: where it wrote nothing, the file
/// is spared, also when another writer changed it since the backup. A write
/// that fails raises 18 in every state; only Writing with backup changes by
/// it, to Write failed.
///
/// **Durability.** The backup is on disk before the open cuts the file; the
/// new content is on disk before v_Close() deletes the backup; a restored
/// file is on disk before v_Cancel() deletes the backup. Where a step fails,
/// the backup stays on disk. A backup is written under the name + ".tmp",
/// put on disk, then moved to its name, so any ".old" on disk is whole.
///
/// **Position.** Positions and counts are bytes from the start of the file.
/// The delimiter scans read ahead in blocks, but every result and
/// n_GetSeek() are what byte-by-byte reads would give.
///
/// **Failures** raise et_ErrorCode through CT_Errors::v_ThrowError(): 17
/// (open, or a backup that cannot be had), 18 (write, a short write
/// included) and 19 (read, also the end of the file), each with the path as
/// the parameter; 2 for the temporary folder and the path utilities. The
/// failing call's Windows error is the thread's last error at the raise, so
/// CT_Errors::sn_GetSystemError() gives it after the catch.
/// Running out of memory throws `std::bad_alloc`.
class COMMON_API CT_Files
{
public:
    /// The open modes: the platform's generic access rights, handed to
    /// CreateFileA unchanged. Only exactly e_Read opens an existing file;
    /// any other value, both bits together included, creates the file or
    /// cuts it to length 0.
    enum et_OpenMode : unsigned int
    {
        /// Read an existing file (GENERIC_READ); a missing one raises 17.
        e_Read = GENERIC_READ,
        /// Create the file, or cut it to length 0 (GENERIC_WRITE).
        e_Write = GENERIC_WRITE
    };

    /// @name Objects and copies
    ///@{

    /// A closed object with an empty path.
    CT_Files();
    /// A closed object naming the same path. The open handle and the backup
    /// stay with the other object, which alone closes and deletes them.
    CT_Files(CT_Files const &co_other);
    /// Commits what this object holds, as v_Close() does, then names the
    /// other's path, closed. Assigning an object to itself changes nothing.
    /// @return This object.
    CT_Files &operator=(CT_Files const &co_other);
    /// Commits, as v_Close() does, unless an exception that was not yet in
    /// flight when the file was opened is passing through: the writing was
    /// then cut short (Write failed), so the file is only closed and the
    /// backup stays on disk, holding the old content whole. Raises nothing.
    ~CT_Files();
    ///@}

    /// @name Path utilities
    ///@{

    /// 1 if a directory search finds an entry for the path (a file or a
    /// folder; wildcards match as in any search), else 0. Raises nothing.
    static int sb_Exist(CT_String const &co_path);
    /// Cuts the text at its first '.', also one in a folder name: every '.'
    /// becomes a zero byte (see CT_String::v_ReplaceChar()). Nothing grows.
    static void sv_RemoveExtension(CT_String &co_text);
    /// The file-name part of the path's full form (a bare name is resolved
    /// against the current folder); empty when the full path ends with a
    /// separator. Full paths longer than 511 characters are handled.
    /// @raises Code 2 (e_Windows) with the parameter `"GetFullPathName\r\n"`
    ///         (ending in CR LF) when GetFullPathNameA fails, for example
    ///         for an empty path.
    static CT_String sco_GetFileName(CT_String const &co_path);
    /// Writes the folder part of the path's full form, with its closing
    /// separator, into the folder string, as a one-element list. The same
    /// string may be passed as both arguments. A full path that ends with a
    /// separator is the folder itself.
    /// @raises As sco_GetFileName(); the folder string is then unchanged.
    static void sv_GetFolder(CT_String const &co_path, CT_String &co_folder);
    ///@}

    /// @name Opening, commit and roll back
    ///@{

    /// The path as last given to v_Open() (a relative path stays relative),
    /// or the temporary file's full name; it stays after closing. Empty for a
    /// new object.
    CT_String const &cco_GetFullPath() const;
    /// Opens the file without sharing: no other handle, in this process or
    /// another, can open it until it is closed.
    /// @param co_path The file; copied, so it may be this object's own path.
    /// @param e_mode e_Read opens an existing file; e_Write creates it or
    ///        cuts it to length 0.
    /// @param b_backup Non-zero: an existing file is first copied to the path
    ///        + ".old" and the copy put on disk, as v_SaveOldFile() does, a
    ///        ".old" found there being moved aside first. A missing file, or
    ///        a device such as NUL, needs no backup, and a ".old" beside a
    ///        missing file stays where it is. An open for reading goes on
    ///        without a backup where one cannot be had or a ".old" is there.
    /// @state See the class's state table. An object that holds an open
    ///        file, or a backup of another path, commits it first as
    ///        v_Close() does. A backup made by v_SaveOldFile() for this same
    ///        path stays for an open without the flag, so v_Cancel() can
    ///        restore it; with the flag a fresh backup replaces it.
    /// @raises Code 17 (e_FileOpen) with the path when CreateFileA fails
    ///         (a missing file in read mode, no access, the file in use, a bad
    ///         path): the file was not touched, so a backup this call made is
    ///         deleted and a ".old" it moved aside is moved back; where the
    ///         object held a backup before, it keeps the fresh one. Code 17 with the
    ///         path also when a write open asks for a backup that cannot be
    ///         had: the copy fails, a ".old" there cannot be moved aside, or
    ///         it cannot be established whether the file or its ".old" exists
    ///         (a search that fails other than with "not found", a folder
    ///         named as the ".old"). The file is then not touched.
    void v_Open(CT_String const &co_path, et_OpenMode e_mode, int b_backup);
    /// Creates a new empty temporary file in the temporary folder, named by
    /// the platform from the prefix "vl", and opens it for writing without a
    /// backup; cco_GetFullPath() gives its full name. v_Close() and the
    /// destructor leave it on disk; v_Cancel() and v_Delete() remove it.
    /// @state As v_Open(CT_String const &, et_OpenMode, int).
    /// @raises Code 2 (e_Windows) with the parameter "File::Open()" when the
    ///         temporary folder or name cannot be had (the object is then
    ///         unchanged); code 17 with the name when the new file cannot be
    ///         opened.
    void v_Open();
    /// Copies the file at the path to the path + ".old" and puts the copy on
    /// disk; a missing file needs none. A ".old" already there may be the
    /// only whole copy of something: it is first moved aside to the path +
    /// ".old.1" (or the first free number), where it stays. The copy is
    /// written under a temporary name and then moved, so a ".old" on disk is
    /// always whole. The object must be closed; a backup it already holds
    /// for the path is replaced by the fresh copy. A copy of a read-only file
    /// is made writable, so the commit can delete it.
    /// @state Closed with backup: v_Close() deletes the backup; so does
    ///        v_Cancel(), sparing the file; a write open then takes it as its
    ///        backup, which v_Cancel() restores.
    /// @raises Code 17 (e_FileOpen) with the path when the object holds the
    ///         file open or no whole backup can be had, also when it cannot
    ///         be established whether the file or its ".old" exists.
    void v_SaveOldFile();
    /// Commits: puts what was written on disk, closes the file and deletes
    /// the backup. If a write failed or fell short since the open (a later
    /// write that succeeds does not undo that), or the written content cannot
    /// be put on disk, the file is only closed: the backup stays on disk, no
    /// longer held by the object, and the next backup moves it aside.
    /// Raises nothing.
    void v_Close();
    /// Rolls back what this object wrote: closes the file, then copies the
    /// backup over it and deletes the backup; if the restore fails, the
    /// backup stays on disk. Without a backup it deletes the file only if this
    /// object created or cut it since its last commit (Writing). A file the
    /// object did not write (opened for reading, already committed, named only
    /// by a copy, never opened) is spared, and a backup of it deleted.
    /// Raises nothing.
    void v_Cancel();
    /// Commits as v_Close() does (deleting the backup, unless a write failed),
    /// then deletes the file at the path. Raises nothing.
    void v_Delete();
    ///@}

    /// @name Writing
    ///@{

    /// Writes the text as 16-bit units at the position: only the units the
    /// current locale's conversion gives (a double-byte character is one
    /// unit), no terminator, no byte-order mark.
    /// @raises Code 18 (e_FileWrite) with the path when WriteFile fails (no
    ///         file open, opened with e_Read, the disk full) or writes fewer
    ///         bytes than given, when the position cannot be set where the
    ///         write must start (after a failed v_Seek(), or behind a scan's
    ///         read-ahead), and when the text's units would take 4 GiB or
    ///         more; nothing is written then. A save with a backup is then
    ///         not committed (see v_Close()).
    void v_Write(CT_String const &co_text);
    /// Writes the text and CR LF as 16-bit units, in one write.
    /// @raises As v_Write(CT_String const &).
    void v_Writeln(CT_String const &co_text);
    /// Writes the bytes unchanged at the position.
    /// @raises As v_Write(CT_String const &).
    void v_Write(char const *p_buffer, unsigned int n_bytes);
    ///@}

    /// @name Reading and scanning
    ///@{

    /// Reads up to the byte count from the position. Fewer bytes, when the end
    /// of the file comes first, are no failure (the count read is not
    /// reported); a count of 0 reads nothing and raises nothing.
    /// @raises Code 19 (e_FileRead) with the path when ReadFile fails (no file
    ///         open, opened with e_Write) or reads nothing: at the end of the
    ///         file; also when the position cannot be set where the read must
    ///         start (after a failed v_Seek(), or behind a scan's read-ahead).
    void v_Read(char *p_buffer, unsigned int n_bytes);
    /// v_Read() for a buffer of 16-bit units; the count is in bytes.
    /// @raises As v_Read().
    void v_ReadUnicode(unsigned short *p_buffer, unsigned int n_bytes);
    /// Moves just past the next occurrence of the delimiter's units, which
    /// may begin at any byte, also inside a broken partial match (CR CR LF
    /// ends a scan for `"\r\n"`). An empty delimiter does nothing.
    /// @raises Code 19 (e_FileRead) with the path when the file ends before
    ///         an occurrence; the position is then the end of the file. Code
    ///         19 also when a read fails or the position cannot be had.
    void v_MoveUntil(CT_String const &co_delimiter);
    /// Bytes from the position to the next occurrence of the delimiter's
    /// units (twice the characters, for text); the position stays.
    /// @raises As v_MoveUntil(); code 19 also when the position cannot be
    ///         set back, and when the count would take 4 GiB or more (the
    ///         position is then set back).
    unsigned int n_CountUntil(CT_String const &co_delimiter);
    /// Puts the text from the position to the next occurrence of the
    /// delimiter into the text string and moves just past the delimiter,
    /// which is not part of the text. Units with no narrow form in the
    /// current locale read as '?'; an odd last byte reads as a unit of its
    /// own. The same string may be passed as text and as delimiter.
    /// @state The text string is assigned as by CT_String::operator=().
    /// @raises As n_CountUntil(); at the end of the file the text string is
    ///         unchanged.
    void v_ReadUntil(CT_String &co_text, CT_String const &co_delimiter);
    /// Sets the position, in bytes from the start of the file; offsets up to
    /// 4 GiB are reached. Raises nothing, so a rewind may stand in cleanup
    /// code: where the platform cannot set the position, the next read
    /// raises 19 and the next write 18, until a v_Seek() succeeds.
    void v_Seek(unsigned int n_offset);
    /// The position in bytes from the start of the file, or 0xFFFFFFFF when
    /// it cannot be had (no file open, the platform's call fails, a failed
    /// v_Seek()) or lies past 4 GiB. Raises nothing.
    unsigned int n_GetSeek();
    ///@}

private:
    /// The states of the class's table.
    enum et_State
    {
        e_Closed,
        e_ClosedWithBackup,
        e_Reading,
        e_ReadingWithBackup,
        e_Writing,
        e_WritingWithBackup,
        e_WriteFailed
    };

    void v_ClearOldFile();
    void v_CloseHandle();
    int b_HoldsBackup() const;
    int b_BackUp(CT_String &co_aside);
    void v_BackUpForOpen(int b_reading, CT_String &co_aside);
    [[noreturn]] void v_FailOpen(CT_String const &co_aside, int b_madebackup);
    void v_RestoreBackup();
    et_State e_BeginWrite();
    int b_AtPosition();
    unsigned int n_ScanPast(CT_String const &co_delimiter, unsigned long long n_keep);
    unsigned int n_CountBefore(CT_String const &co_delimiter, unsigned long long &n_after);

    CT_String co_path;
    CT_String co_oldfile;
    HANDLE h_file;
    et_State e_state;
    // Exceptions in flight at the open: more at destruction means the
    // writing was cut short.
    int n_unwinding;
    // 1 after a v_Seek the platform could not carry out: a read or write
    // would start elsewhere.
    int b_unplaced;
    std::unique_ptr<CT_ReadAhead> p_readahead;
};

#endif
