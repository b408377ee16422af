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
// Reading: the scans read ahead in blocks and keep the block between calls;
// every other operation settles the platform's file pointer first, so
// n_GetSeek and every result are what byte-by-byte reads would give.
#ifndef CT_FILES_H
#define CT_FILES_H

#include <windows.h>

#include <memory>

#include "CT_String.h"

class COMMON_API CT_Files
{
public:
    /// The platform's generic access rights, handed to CreateFileA unchanged.
    enum et_OpenMode : unsigned int
    {
        e_Read = 0x80000000u,
        e_Write = 0x40000000u
    };

    CT_Files();
    CT_Files(CT_Files const &co_other);
    CT_Files &operator=(CT_Files const &co_other);
    /// Commits, as v_Close does, unless an exception is passing through.
    /// Raises nothing.
    ~CT_Files();

    /// 1 if a directory search finds an entry for the path.
    static int sb_Exist(CT_String const &co_path);
    /// Cuts the text at its first '.'.
    static void sv_RemoveExtension(CT_String &co_text);
    /// The file-name part of the path's full form.
    static CT_String sco_GetFileName(CT_String const &co_path);
    /// The folder part of the path's full form, with its closing separator.
    static void sv_GetFolder(CT_String const &co_path, CT_String &co_folder);

    /// The path as last given to v_Open, or the temporary file's full name.
    CT_String const &cco_GetFullPath() const;
    /// Opens the file; a non-zero flag backs an existing file up first.
    void v_Open(CT_String const &co_path, et_OpenMode e_mode, int b_backup);
    /// Creates a new temporary file ("vl" prefix) and opens it for writing.
    void v_Open();
    /// Copies the file at the path to path + ".old", if it exists; a ".old"
    /// already there, left by a save that never committed, is kept instead.
    /// Raises code 17 with the path when no whole backup can be had.
    void v_SaveOldFile();
    /// Commits: closes the file and deletes the backup. A backup of a file
    /// whose writing failed stays on disk.
    void v_Close();
    /// Rolls back: closes the file, then restores the backup, or removes the
    /// file if this object created or truncated it since its last commit.
    void v_Cancel();
    /// Closes, then deletes the file and its backup.
    void v_Delete();

    /// Writes the text as 16-bit units.
    void v_Write(CT_String const &co_text);
    /// Writes the text and CR LF as 16-bit units, in one write.
    void v_Writeln(CT_String const &co_text);
    /// Writes the bytes unchanged.
    void v_Write(char const *p_buffer, unsigned int n_bytes);
    /// Reads up to the byte count; raises code 19 at the end of the file.
    void v_Read(char *p_buffer, unsigned int n_bytes);
    /// v_Read for a buffer of 16-bit units; the count is in bytes.
    void v_ReadUnicode(unsigned short *p_buffer, unsigned int n_bytes);
    /// Moves just past the next occurrence of the delimiter.
    void v_MoveUntil(CT_String const &co_delimiter);
    /// Bytes before the next occurrence of the delimiter; the position stays.
    unsigned int n_CountUntil(CT_String const &co_delimiter);
    /// The text before the next delimiter; moves past the delimiter.
    void v_ReadUntil(CT_String &co_text, CT_String const &co_delimiter);
    /// Sets the position, in bytes from the start of the file; raises code
    /// 19 when the platform cannot.
    void v_Seek(unsigned int n_offset);
    /// The position, or 0xFFFFFFFF when it cannot be had.
    unsigned int n_GetSeek();

private:
    void v_ClearOldFile();
    void v_CloseHandle();
    int b_MakeBackup();
    void v_RestoreBackup();
    void v_ScanPast(unsigned char const *p_pattern, unsigned int n_length);
    unsigned int n_CountBefore(unsigned char const *p_pattern, unsigned int n_length);
    void v_FillBlock();
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
