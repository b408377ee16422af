// The disk steps of a safe rewrite. Each puts what it makes on disk before
// it reports success, and none overwrites or deletes a file that may hold the
// only whole copy of something; the file class and the log build on them.
#ifndef DISK_STEPS_H
#define DISK_STEPS_H

#include <windows.h>

#include "CT_String.h"

/// Whether an entry lies at a path. Only "no such file or folder" means
/// absent: any other failure tells nothing.
enum et_Presence
{
    e_NotThere,
    e_There,
    e_NotKnown
};

/// A handle owned for a moment, closed on every way out.
class CT_OwnedHandle
{
public:
    explicit CT_OwnedHandle(HANDLE h_handle) : h_handle(h_handle) {}
    ~CT_OwnedHandle();
    CT_OwnedHandle(CT_OwnedHandle const &) = delete;
    CT_OwnedHandle &operator=(CT_OwnedHandle const &) = delete;

    int b_IsOpen() const { return h_handle != INVALID_HANDLE_VALUE; }
    HANDLE h_Get() const { return h_handle; }

private:
    HANDLE h_handle;
};

/// Keeps the thread's last error across cleanup after a failure, so that the
/// failure is raised with its own reason.
class CT_KeepLastError
{
public:
    CT_KeepLastError() : n_error(GetLastError()) {}
    ~CT_KeepLastError() { SetLastError(n_error); }
    CT_KeepLastError(CT_KeepLastError const &) = delete;
    CT_KeepLastError &operator=(CT_KeepLastError const &) = delete;

private:
    DWORD n_error;
};

/// Whether a directory search finds an entry (a file or a folder).
et_Presence e_FindEntry(char const *p_path);
/// Whether a file lies at the path; a folder there is not known to be one.
et_Presence e_FileAt(char const *p_path);
/// 1 when the path names a device (NUL, COM1, ...), which holds nothing a
/// backup could keep.
int b_IsDevice(char const *p_path);
/// Puts what was written to the file at the path on disk; 0 if it cannot.
int b_FlushFile(char const *p_path);
/// A whole copy of the file, on disk, under a name that no file had: it is
/// made under the partial name, made writable, put on disk and then moved.
/// 0 when that cannot be done; no partial copy is left.
int b_CopyWhole(char const *p_from, char const *p_partial, char const *p_to);
/// Moves the file to the first free name among the path + ".1", ".2", ...,
/// on disk, into co_aside; 0 when it cannot be moved. Out of memory, it
/// throws only before the move.
int b_SetAside(CT_String const &co_path, CT_String &co_aside);
/// Moves a file set aside back to its name, on disk, when that name is free;
/// nothing when none was set aside.
void v_PutBack(CT_String const &co_aside, CT_String const &co_name);
/// Moves the file at the first path over the second, on disk; 0 if it cannot.
int b_MoveOver(char const *p_from, char const *p_to);
/// A new empty file beside the path, named by the platform from the prefix
/// "vl", into co_name; 0 when none can be made there.
int b_MakeFileBeside(CT_String const &co_path, CT_String &co_name);

#endif
