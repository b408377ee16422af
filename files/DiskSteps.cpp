#include "DiskSteps.h"

#include <vector>

namespace
{
// Left backups of one file beyond this many are not set aside further: such
// a folder needs a person's look before the next save.
unsigned int const n_MostSetAside = 999;
// What GetTempFileNameA writes at most, terminator included.
unsigned int const n_TempNameRoom = MAX_PATH;

et_Presence e_Failed()
{
    DWORD const n_error = GetLastError();
    return n_error == ERROR_FILE_NOT_FOUND || n_error == ERROR_PATH_NOT_FOUND ? e_NotThere : e_NotKnown;
}

// The copy takes the original's attributes: read-only, it could be neither
// flushed nor deleted at the commit.
int b_MakeWritable(char const *p_path)
{
    DWORD const n_attributes = GetFileAttributesA(p_path);
    if (n_attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return !(n_attributes & FILE_ATTRIBUTE_READONLY) ||
           SetFileAttributesA(p_path, n_attributes & ~FILE_ATTRIBUTE_READONLY);
}
} // namespace

// A failed close tells nothing to act on: the handle is gone either way.
CT_OwnedHandle::~CT_OwnedHandle()
{
    if (b_IsOpen())
        CloseHandle(h_handle);
}

et_Presence e_FindEntry(char const *p_path)
{
    WIN32_FIND_DATAA co_entry;
    HANDLE const h_search = FindFirstFileA(p_path, &co_entry);
    if (h_search == INVALID_HANDLE_VALUE)
        return e_Failed();
    FindClose(h_search); // a search handle holds nothing on disk
    return e_There;
}

et_Presence e_FileAt(char const *p_path)
{
    DWORD const n_attributes = GetFileAttributesA(p_path);
    if (n_attributes == INVALID_FILE_ATTRIBUTES)
        return e_Failed();
    return n_attributes & FILE_ATTRIBUTE_DIRECTORY ? e_NotKnown : e_There;
}

// Copying a device may never end.
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

int b_FlushFile(char const *p_path)
{
    CT_OwnedHandle const co_flush(CreateFileA(p_path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    return co_flush.b_IsOpen() && FlushFileBuffers(co_flush.h_Get()) ? 1 : 0;
}

// Only a copy on disk takes the name, and never over a file already there:
// a copy found under the name is whole.
int b_CopyWhole(char const *p_from, char const *p_partial, char const *p_to)
{
    if (CopyFileA(p_from, p_partial, FALSE) && b_MakeWritable(p_partial) && b_FlushFile(p_partial) &&
        MoveFileExA(p_partial, p_to, MOVEFILE_WRITE_THROUGH))
        return 1;
    CT_KeepLastError const co_reason;
    DeleteFileA(p_partial); // a partial copy, never read under this name
    return 0;
}

int b_SetAside(CT_String const &co_path, CT_String &co_aside)
{
    for (unsigned int n_number = 1; n_number <= n_MostSetAside; ++n_number)
    {
        CT_String const co_name = co_path + "." + n_number;
        co_aside.v_SetSize(co_name.n_GetStringSize()); // room first: the name then goes in without allocating
        if (MoveFileExA(co_path, co_name, MOVEFILE_WRITE_THROUGH))
        {
            co_aside = static_cast<char const *>(co_name);
            return 1;
        }
        DWORD const n_error = GetLastError();
        if (n_error != ERROR_ALREADY_EXISTS && n_error != ERROR_FILE_EXISTS)
            return 0;
    }
    return 0;
}

void v_PutBack(CT_String const &co_aside, CT_String const &co_name)
{
    if (!co_aside.b_IsEmpty())
        MoveFileExA(co_aside, co_name, MOVEFILE_WRITE_THROUGH); // if it fails, it stays aside, whole
}

int b_MoveOver(char const *p_from, char const *p_to)
{
    return MoveFileExA(p_from, p_to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int b_MakeFileBeside(CT_String const &co_path, CT_String &co_name)
{
    DWORD const n_needed = GetFullPathNameA(co_path, 0, NULL, NULL);
    if (n_needed == 0)
        return 0;
    std::vector<char> co_folder(n_needed + 1, 0);
    char *p_filepart = 0;
    DWORD const n_length = GetFullPathNameA(co_path, n_needed + 1, co_folder.data(), &p_filepart);
    if (n_length == 0 || n_length > n_needed || p_filepart == 0)
        return 0;
    *p_filepart = 0; // the folder, with its closing separator
    co_name.v_SetSize(n_TempNameRoom);
    return GetTempFileNameA(co_folder.data(), "vl", 0, co_name) != 0;
}
