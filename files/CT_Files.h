// CT_Files: one file, opened without sharing, with an optional ".old" backup
// while it is rewritten; text is stored as 16-bit little-endian units.
//
//   CT_Files co_file;
//   co_file.v_Open(co_path, CT_Files::e_Write, 1); // backs up co_path + ".old"
//   co_file.v_Writeln(co_line);
//   co_file.v_Close();                             // commit; v_Cancel() rolls back
//
// Copies: a copy (construction or assignment) names the same path but starts
// Closed. The open handle and the backup stay with the original, which alone
// closes the one and deletes the other, so no handle is closed twice and no
// backup deleted twice. Assigning to an object that holds a file open first
// commits that file, as v_Close does.
//
// A save that did not end well is never committed: after a failed or short
// write, or in the destructor while an exception passes through, the backup
// stays on disk, and the next save with a backup keeps it as its own.
//
// Reading: the scans read ahead in blocks and keep the block between calls;
// every other operation settles the platform's file pointer first, so
// n_GetSeek and every result are what byte-by-byte reads would give.
#ifndef CT_FILES_H
#define CT_FILES_H

#include <windows.h>

#include <memory>

#include "CT_String.h"

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
/// **Ownership.** The object owns its open handle and its backup file: it
/// closes the one and, at a commit that is whole or a roll back that
/// succeeds, deletes the other; otherwise the backup is left on disk. It
/// deletes the file at its path only in v_Cancel(), when it created or cut
/// that file since its last commit and has no backup, and in v_Delete(). A
/// copy (construction or assignment) names the same path but starts closed;
/// the handle and the backup stay with the original.
///
/// **Durability.** The backup is on disk before the open cuts the file; the
/// new content is on disk before v_Close() deletes the backup; a restored
/// file is on disk before v_Cancel() deletes the backup. Where a step fails,
/// the backup stays on disk. A backup is written under a temporary name, put
/// on disk, then moved to the path + ".old", so any ".old" on disk is whole.
///
/// **A save that did not end well is not committed.** After a write that
/// failed or fell short, v_Close() and the destructor keep the backup on disk
/// (the file holds the part written); so does the destructor while an
/// exception that was not yet in flight at the open passes through. A
/// ".old" left so is kept as the backup by the next open with a backup, until
/// a save commits.
///
/// **Position.** Positions and counts are bytes from the start of the file.
/// The delimiter scans read ahead in blocks, but every result and
/// n_GetSeek() are what byte-by-byte reads would give.
///
/// **Failures** raise et_ErrorCode through CT_Errors::v_ThrowError(): 17
/// (open, or a backup that cannot be had), 18 (write, a short write
/// included) and 19 (read, also the end of the file, and a position the
/// platform cannot set), each with the path as the parameter; 2 for the
/// temporary folder and the path utilities. Running out of memory throws
/// `std::bad_alloc`.
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
    /// then cut short, so the file is only closed and the backup stays on
    /// disk, holding the old content whole. Raises nothing.
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
    ///        + ".old" and the copy put on disk, as v_SaveOldFile() does; a
    ///        ".old" already there, left by a save that never committed, is
    ///        kept as the backup instead, also beside a missing file (one
    ///        deleted after such a save). A missing file, or a device such
    ///        as NUL, needs no backup.
    /// @state An object that holds an open file, or a backup of another
    ///        path, commits it first as v_Close() does. A backup made for
    ///        this same path while closed stays, so v_Cancel() can restore
    ///        it.
    /// @raises Code 17 (e_FileOpen) with the path when CreateFileA fails
    ///         (a missing file in read mode, no access, the file in use, a bad
    ///         path); a backup made before stays and is restored by
    ///         v_Cancel() or deleted by v_Close(); the destructor, reached
    ///         by that exception, leaves it on disk. Code 17 with the path also
    ///         when a write open asks for a backup that cannot be had: the
    ///         copy fails, or it cannot be established whether the file or
    ///         its ".old" exists (a search that fails other than with "not
    ///         found", a folder named as the ".old"). The file is then not
    ///         touched.
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
    /// disk; a missing file needs none. A ".old" already there, left by a
    /// save that never committed, may be the only whole copy: it is kept as
    /// the backup instead. The copy is written under a temporary name and
    /// then moved, so a ".old" on disk is always whole. The object must be
    /// closed. A copy of a read-only file is made writable, so the commit can
    /// delete it.
    /// @state v_Close() deletes the backup, v_Cancel() restores it.
    /// @raises Code 17 (e_FileOpen) with the path when the object holds the
    ///         file open or no whole backup can be had, also when it cannot
    ///         be established whether the file or its ".old" exists.
    void v_SaveOldFile();
    /// Commits: puts what was written on disk, closes the file and deletes
    /// the backup. If a write failed or fell short since the open (a later
    /// write that succeeds does not undo that), or the written content cannot
    /// be put on disk, the file is only closed: the backup stays on disk, no
    /// longer held by the object, and the next open with a backup keeps it.
    /// Raises nothing.
    void v_Close();
    /// Rolls back: closes the file, then copies the backup over it and
    /// deletes the backup; if the restore fails, the backup stays on disk.
    /// Without a backup it deletes the file only if this object created or
    /// cut it since its last commit: a file opened for reading, one already
    /// committed, one named only by a copy, or one never opened is spared.
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
    ///         bytes than given, or when the position left by a scan's
    ///         read-ahead cannot be set back. The save is then not committed
    ///         (see v_Close()).
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
    ///         file; also when the position left by a scan's read-ahead
    ///         cannot be set back.
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
    ///         set back.
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
    /// 4 GiB are reached.
    /// @raises Code 19 (e_FileRead) with the path when the platform cannot
    ///         set the position.
    void v_Seek(unsigned int n_offset);
    /// The position in bytes from the start of the file, or 0xFFFFFFFF when
    /// it cannot be had (no file open, the platform's call fails) or lies
    /// past 4 GiB. Raises nothing.
    unsigned int n_GetSeek();
    ///@}

private:
    void v_ClearOldFile();
    void v_CloseHandle();
    int b_MakeBackup();
    void v_RestoreBackup();
    void v_ScanPast(unsigned char const *p_pattern, unsigned int n_length, unsigned long long n_keep);
    unsigned int n_CountBefore(unsigned char const *p_pattern, unsigned int n_length, unsigned long long &n_after);
    void v_FillBlock(unsigned long long n_keep);
    unsigned int n_KeepFrom(unsigned long long n_keep);
    int b_DropBlock();
    unsigned long long n_GetPosition();
    int b_SetPosition(unsigned long long n_position);

    CT_String co_path;
    CT_String co_oldfile;
    HANDLE h_file;
    // 1 while the file at co_path holds what this object created or cut to
    // length 0 since its last commit: only then may v_Cancel remove it.
    int b_written;
    // 1 once a write failed or was cut short: the content is not whole, so
    // v_Close keeps the backup.
    int b_broken;
    // Exceptions in flight at the open: more at destruction means the
    // writing was cut short.
    int n_unwinding;
    // Read-ahead of the scans: the file's bytes from n_blockstart on. While it
    // holds bytes (n_blocklength > 0) the platform's file pointer stands at
    // its end and the object's position is n_blockstart + n_blockcursor.
    std::unique_ptr<unsigned char[]> p_block;
    unsigned long long n_blockstart;
    unsigned int n_blocklength;
    unsigned int n_blockcursor;
};

#endif
