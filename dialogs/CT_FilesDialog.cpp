#include "CT_FilesDialog.h"

#include <commdlg.h>
#include <cstddef>
#include <shlobj.h>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "Module.h"

namespace
{
// Titles in the library's string table.
unsigned int const n_FolderPromptId = 1;
unsigned int const n_SaveTitleId = 2;
unsigned int const n_OpenTitleId = 3;
unsigned int const n_MultipleTitleId = 4;

DWORD const n_SaveFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_SHOWHELP;
DWORD const n_OpenFlags = OFN_HIDEREADONLY | OFN_SHOWHELP | OFN_FILEMUSTEXIST;
DWORD const n_MultipleFlags =
    OFN_HIDEREADONLY | OFN_SHOWHELP | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_EXPLORER;
UINT const n_BrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
static_assert(n_SaveFlags == 0x16 && n_OpenFlags == 0x1014 && n_MultipleFlags == 0x81214, "dialog flags");
static_assert(n_BrowseFlags == 0x41, "browse flags");

// Callers built against the older structure pass 76 bytes on i686; the
// fields Windows 2000 added at its end are left out.
DWORD const n_FileDialogSize = OPENFILENAME_SIZE_VERSION_400A;
static_assert(sizeof(void *) != 4 || offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the 76-byte structure on i686");

// The most SHGetPathFromIDListA writes, terminator included.
unsigned int const n_ShellPathRoom = MAX_PATH;

char const co_noextension[] = "";

// The shell's task allocator, released in one place whatever happens.
class CT_ShellAllocator
{
public:
    CT_ShellAllocator() : p_malloc(0)
    {
        HRESULT n_result = SHGetMalloc(&p_malloc);
        if (n_result != S_OK) CT_Errors::v_ThrowError(e_Unknown, 0);
    }
    ~CT_ShellAllocator() { p_malloc->Release(); }
    CT_ShellAllocator(CT_ShellAllocator const &) = delete;
    CT_ShellAllocator &operator=(CT_ShellAllocator const &) = delete;

    void v_Free(void *p_block) { p_malloc->Free(p_block); }

private:
    IMalloc *p_malloc;
};

// The identifier list the browser hands back, freed through the allocator.
class CT_ItemList
{
public:
    CT_ItemList(CT_ShellAllocator &co_allocator, LPITEMIDLIST p_list)
        : co_allocator(co_allocator), p_list(p_list)
    {
    }
    ~CT_ItemList()
    {
        if (p_list)
            co_allocator.v_Free(p_list);
    }
    CT_ItemList(CT_ItemList const &) = delete;
    CT_ItemList &operator=(CT_ItemList const &) = delete;

    LPITEMIDLIST p_Get() const { return p_list; }

private:
    CT_ShellAllocator &co_allocator;
    LPITEMIDLIST p_list;
};

HWND h_Owner(HWND h_owner) { return h_owner ? h_owner : GetActiveWindow(); }

// The platform's filter list: every bar of the copy becomes a NUL; the
// copy's zero-filled remainder closes the list.
CT_String co_FilterList(CT_String const &co_filter)
{
    CT_String co_list(co_filter);
    co_list.v_ReplaceChar('|', 0);
    return co_list;
}

// The fields the three file dialogs share; the file buffer is the caller's
// string, so the dialog offers its text and writes its answer there.
void v_FillFileDialog(OPENFILENAMEA &so_dialog, HWND h_owner, CT_String &co_list, CT_String &co_file,
                      char const *p_title, DWORD n_flags)
{
    ZeroMemory(&so_dialog, sizeof so_dialog);
    so_dialog.lStructSize = n_FileDialogSize;
    so_dialog.hwndOwner = h_Owner(h_owner);
    so_dialog.hInstance = h_module;
    so_dialog.lpstrFilter = co_list;
    so_dialog.lpstrFile = co_file;
    so_dialog.nMaxFile = co_file.n_GetSize();
    so_dialog.lpstrTitle = p_title;
    so_dialog.Flags = n_flags;
    so_dialog.lpstrDefExt = co_noextension;
}

// The platform leaves the size it would have needed in the buffer's first two
// bytes; the caller gets back the text it offered, then the raise.
[[noreturn]] void v_TooManyFiles(CT_String &co_folder, CT_String const &co_offered)
{
    co_folder = static_cast<char const *>(co_offered);
    CT_Errors::v_ThrowError(e_TooManyFiles, 0);
}

// Save and open share everything but the platform call, the default title
// and the flags.
typedef BOOL(WINAPI *et_FileDialogCall)(LPOPENFILENAMEA);

int b_RunSingle(et_FileDialogCall p_call, unsigned int n_defaultId, DWORD n_flags, CT_String &co_file,
                CT_String const &co_filter, HWND h_owner, CT_ResString const &co_title)
{
    CT_String co_list(co_FilterList(co_filter));
    CT_ResString const co_default(h_module, n_defaultId, co_marker);
    CT_String const &co_text = co_title.b_IsValid() ? co_title.cco_Get() : co_default.cco_Get();
    OPENFILENAMEA so_dialog;
    v_FillFileDialog(so_dialog, h_owner, co_list, co_file, co_text, n_flags);
    return p_call(&so_dialog);
}
} // namespace

CT_FilesDialog &CT_FilesDialog::operator=(CT_FilesDialog const &) = default;

// The platform writes up to MAX_PATH bytes, more than a string built from a
// short text has room for: the path lands in a buffer of ours and is then
// assigned, which grows the caller's string when it must. The caller's
// string changes only when a folder is handed back.
int CT_FilesDialog::b_BrowseForFolder(CT_String &co_folder, HWND h_owner)
{
    CT_ResString const co_prompt(h_module, n_FolderPromptId, co_marker);
    CT_ShellAllocator co_allocator;
    char s_display[MAX_PATH] = {0};
    BROWSEINFOA so_browse;
    ZeroMemory(&so_browse, sizeof so_browse);
    so_browse.hwndOwner = h_Owner(h_owner);
    so_browse.pszDisplayName = s_display;
    so_browse.lpszTitle = co_prompt.cco_Get();
    so_browse.ulFlags = n_BrowseFlags;
    CT_ItemList co_list(co_allocator, SHBrowseForFolderA(&so_browse));
    if (!co_list.p_Get())
        return 0;
    char s_path[n_ShellPathRoom] = {0};
    if (!SHGetPathFromIDListA(co_list.p_Get(), s_path) || s_path[0] == 0)
        return 0;
    co_folder = s_path;
    return 1;
}

int CT_FilesDialog::b_ChooseSaveFile(CT_String &co_file, CT_String const &co_filter, HWND h_owner,
                                     CT_ResString const &co_title)
{
    return b_RunSingle(GetSaveFileNameA, n_SaveTitleId, n_SaveFlags, co_file, co_filter, h_owner, co_title);
}

int CT_FilesDialog::b_ChooseOpenFile(CT_String &co_file, CT_String const &co_filter, HWND h_owner,
                                     CT_ResString const &co_title)
{
    return b_RunSingle(GetOpenFileNameA, n_OpenTitleId, n_OpenFlags, co_file, co_filter, h_owner, co_title);
}

int CT_FilesDialog::b_ChooseOpenMultipleFile(CT_String &co_folder, CT_String &co_names,
                                             CT_String const &co_filter, HWND h_owner)
{
    CT_ResString const co_title(h_module, n_MultipleTitleId, co_marker);
    CT_String co_list(co_FilterList(co_filter));
    CT_String const co_offered(static_cast<char const *>(co_folder));
    OPENFILENAMEA so_dialog;
    v_FillFileDialog(so_dialog, h_owner, co_list, co_folder, co_title.cco_Get(), n_MultipleFlags);
    if (GetOpenFileNameA(&so_dialog))
    {
        v_BuildResult(co_folder, co_names);
        return 1;
    }
    DWORD n_error = CommDlgExtendedError();
    if (n_error == FNERR_BUFFERTOOSMALL) v_TooManyFiles(co_folder, co_offered);
    return 0;
}

// One file: the buffer holds its full path. Several: the folder, then the
// names, each ended by a NUL and the list by one more.
void CT_FilesDialog::v_BuildResult(CT_String &co_buffer, CT_String &co_names)
{
    CT_String co_answer(co_buffer);
    if (co_buffer.n_GetNumberOfElement() == 1)
    {
        co_names = CT_Files::sco_GetFileName(co_buffer);
        CT_Files::sv_GetFolder(co_buffer, co_buffer);
        return;
    }
    co_buffer.v_ResetArray();
    CT_String const co_folder(co_answer + "\\");
    co_buffer.v_Empty();
    while (co_answer.b_NextElement())
        co_names.v_AddElement(co_answer);
    co_buffer = co_folder;
}
