// GuideSnippets: every C++ snippet of docs/guide.md, word for word, and a
// main that runs them and checks what they give. The test run builds and
// runs it, and checks that the guide's snippets are still these.
//
//   GuideSnippets.exe          runs the snippets that need no user
//   GuideSnippets.exe --gui    also shows the message box and the dialogs
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_FilesDialog.h"
#include "CT_LogStream.h"
#include "CT_String.h"

namespace
{
// guide: building a module
// The version of the Common.dll that this module runs with, as "1.0.0", from
// the DLL's version block; empty when it cannot be read. Needs the system's
// version library (in CMake: target_link_libraries(app PRIVATE version)).
CT_String co_GetCommonVersion()
{
    char ac_path[MAX_PATH + 1] = {0};
    HMODULE const h_common = GetModuleHandleA("Common.dll");
    if (h_common == 0 || GetModuleFileNameA(h_common, ac_path, MAX_PATH) == 0)
        return CT_String();
    DWORD n_zero = 0;
    DWORD const n_size = GetFileVersionInfoSizeA(ac_path, &n_zero);
    std::vector<char> co_block(n_size + 1);
    VS_FIXEDFILEINFO *p_info = 0;
    UINT n_length = 0;
    if (n_size == 0 || !GetFileVersionInfoA(ac_path, 0, n_size, &co_block[0]) ||
        !VerQueryValueA(&co_block[0], "\\", reinterpret_cast<void **>(&p_info), &n_length))
        return CT_String();
    unsigned int const n_major = HIWORD(p_info->dwFileVersionMS), n_minor = LOWORD(p_info->dwFileVersionMS),
                       n_patch = HIWORD(p_info->dwFileVersionLS);
    return CT_String() + n_major + "." + n_minor + "." + n_patch;
}
// guide: end

// guide: the error pattern
// The message a failed open gives, with the system's reason, for a log or a
// status line: code 17 with the path, then " (Windows error 2)" for a
// missing file, 3 for a missing folder, 5 for no access or a folder.
CT_String co_OpenFailure(CT_String const &co_path)
{
    try
    {
        CT_Files co_file;
        co_file.v_Open(co_path, CT_Files::e_Read, 0);
    }
    catch (et_ErrorCode)
    {
        // Kept at the raise: GetLastError() here may have been changed by
        // the unwinding.
        unsigned int const n_reason = CT_Errors::sn_GetSystemError();
        CT_String co_message = CT_Errors::cco_GetLastError() + " (Windows error " + n_reason + ")";
        CT_Errors::v_ResetError();
        return co_message;
    }
    return CT_String();
}

// Opens the settings; on failure the user is told why and 0 is returned.
int b_LoadSettings(CT_String const &co_path, CT_String &co_first)
{
    try
    {
        CT_Files co_file;
        co_file.v_Open(co_path, CT_Files::e_Read, 0);
        co_file.v_ReadUntil(co_first, CT_String("\r\n"));
        return 1;
    }
    catch (et_ErrorCode)
    {
        CT_Errors::v_DisplayError(); // the recorded code's message, then a reset
        return 0;
    }
}
// guide: end

// guide: the safe save
// Rewrites the file with the elements of a list, one per line. Any failure,
// the library's or the module's own, puts the old content back. The list is
// taken by reference: a copy holds only the elements from the cursor on.
void v_SaveLines(CT_String const &co_path, CT_String &co_lines)
{
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Write, 1); // the old content is on disk as co_path + ".old"
    try
    {
        co_lines.v_ResetArray();
        do
        {
            if (co_lines.i_Search(CT_String("\r"), 0) != -1)
                CT_Errors::v_ThrowError(e_InvalidCharacter, co_lines);
            co_file.v_Writeln(co_lines);
        } while (co_lines.b_NextElement());
    }
    catch (et_ErrorCode)
    {
        co_file.v_Cancel(); // the old content is back, the backup gone
        throw;
    }
    co_file.v_Close(); // the new content is on disk, then the backup goes
}

// Rewrites the file and lets a failure propagate: the old content then stays
// whole in co_path + ".old", and the file holds the lines written before.
void v_SaveLinesOrKeepBackup(CT_String const &co_path, CT_String &co_lines)
{
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Write, 1);
    co_lines.v_ResetArray();
    do
    {
        if (co_lines.i_Search(CT_String("\r"), 0) != -1)
            CT_Errors::v_ThrowError(e_InvalidCharacter, co_lines); // no commit
        co_file.v_Writeln(co_lines);
    } while (co_lines.b_NextElement());
    co_file.v_Close();
}

// After a save that did not commit: the ".old" holds the content from before
// it, whole, and the file what the save wrote, perhaps cut short. When the
// module cannot load the file, the two swap names, so that the earlier
// content is the file again and nothing is lost. 1 when they were swapped.
int b_PutOldBack(CT_String const &co_path)
{
    CT_String const co_old = co_path + ".old", co_swap = co_path + ".swap";
    return CT_Files::sb_Exist(co_old) && MoveFileExA(co_path, co_swap, MOVEFILE_WRITE_THROUGH) &&
           MoveFileExA(co_old, co_path, MOVEFILE_WRITE_THROUGH) &&
           MoveFileExA(co_swap, co_old, MOVEFILE_WRITE_THROUGH);
}
// guide: end

// guide: element lists
// A list of three names in one string.
CT_String co_MakeList()
{
    CT_String co_list("a.txt");
    co_list.v_AddElement(CT_String("b.txt"));
    co_list.v_PutArray("c.txt\0"); // a list: elements ended by a zero, and one more zero
    return co_list;
}

// The elements of a list, one per line; the cursor ends on the last.
CT_String co_JoinLines(CT_String &co_list)
{
    CT_String co_text;
    if (co_list.n_GetNumberOfElement() == 0) // counting puts the cursor on the first
        return co_text;
    do
    {
        co_text += co_list; // the element at the cursor
        co_text += "\r\n";
    } while (co_list.b_NextElement());
    return co_text;
}

// A dialog filter with bars, split into its elements.
unsigned int n_CountFilterParts(CT_String co_filter)
{
    co_filter.v_ReplaceChar('|', 0); // "Text|*.txt||" becomes "Text", "*.txt"
    return co_filter.n_GetNumberOfElement();
}
// guide: end

// guide: reading lines
// The narrow text of a line's 16-bit units (ended by a zero unit): 1 when it
// is exact, that is when v_Writeln() would write those units back in the
// current locale; 0 for a unit with no narrow form or a zero unit.
int b_NarrowExactly(std::vector<wchar_t> const &co_units, CT_String &co_line)
{
    size_t const n_size = std::wcstombs(0, &co_units[0], 0);
    if (n_size == static_cast<size_t>(-1))
        return 0;
    co_line.v_SetSize(n_size); // room for the text and its zero
    std::wcstombs(co_line, &co_units[0], co_line.n_GetSize());
    std::vector<wchar_t> co_back(co_units.size(), 0);
    return std::mbstowcs(&co_back[0], co_line, co_back.size()) == co_units.size() - 1 && co_back == co_units;
}

// The bytes of the line that starts at n_start: up to its line end, whose 4
// bytes then go to n_end, or, for a last line without one, up to the end of
// the file (n_size). Code 19 anywhere else than at the end is a failed read.
unsigned int n_LineBytes(CT_Files &co_file, unsigned int n_start, unsigned int n_size, unsigned int &n_end)
{
    co_file.v_Seek(n_start);
    n_end = 0;
    try
    {
        unsigned int const n_bytes = co_file.n_CountUntil(CT_String("\r\n"));
        n_end = 4; // CR LF: two units
        return n_bytes;
    }
    catch (et_ErrorCode e_code)
    {
        if (e_code != e_FileRead || co_file.n_GetSeek() != n_size)
            throw;
        CT_Errors::v_ResetError(); // no line end up to the end of the file
        return n_size - n_start;
    }
}

// The non-empty lines of a file of 16-bit units, as a list, a last line
// without a line end too. A file whose lines would not be saved back
// unchanged raises code 27 with the path: an 8-bit (ANSI) file, a
// byte-order mark, a unit the locale cannot narrow, a unit cut in half.
CT_String co_LoadLines(CT_String const &co_path)
{
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Read, 0);
    WIN32_FILE_ATTRIBUTE_DATA o_data; // the size, from the folder's entry
    if (!GetFileAttributesExA(co_path, GetFileExInfoStandard, &o_data) || o_data.nFileSizeHigh != 0)
        CT_Errors::v_ThrowError(e_FileOpen, co_path);
    CT_String co_lines, co_line;
    unsigned int n_start = 0, n_end = 0;
    while (n_start < o_data.nFileSizeLow)
    {
        unsigned int const n_bytes = n_LineBytes(co_file, n_start, o_data.nFileSizeLow, n_end);
        std::vector<wchar_t> co_units(n_bytes / 2 + 1, 0); // ended by a zero unit
        co_file.v_Seek(n_start);
        co_file.v_Read(reinterpret_cast<char *>(&co_units[0]), n_bytes); // 0 bytes read nothing
        if (n_bytes % 2 != 0 || !b_NarrowExactly(co_units, co_line))
            CT_Errors::v_ThrowError(e_InvalidCharacter, co_path);
        co_lines.v_AddElement(co_line); // an empty line adds nothing
        n_start += n_bytes + n_end;
    }
    return co_lines;
}
// guide: end

// guide: the dialogs
// Asks where to save the log: 1 with the chosen full path in co_path.
int b_AskLogPath(CT_LogStream const &co_log, CT_String &co_path)
{
    co_path.v_SetSize(MAX_PATH); // the room bounds the path the dialog can give
    co_path = co_log.cco_GetName() + ".log"; // the name offered
    return CT_FilesDialog::b_ChooseSaveFile(co_path, co_log.cco_GetFilter(), 0, CT_ResString());
}

// The files the user picks, each with its full path, as a list.
CT_String co_PickFiles(CT_String const &co_filter)
{
    CT_String co_folder, co_names, co_paths;
    co_folder.v_SetSize(32000); // room for many names
    if (!CT_FilesDialog::b_ChooseOpenMultipleFile(co_folder, co_names, co_filter, 0))
        return co_paths;
    do
        co_paths.v_AddElement(co_folder + co_names);
    while (co_names.b_NextElement());
    return co_paths;
}
// guide: end

// guide: the log
// Logs a run and saves it: 1 when the whole text reached the file.
int b_LogRun(CT_String const &co_path, unsigned int n_documents)
{
    CT_LogStream co_log;
    co_log.v_PrintTime();
    co_log << CT_String(": converted ") << CT_String() + n_documents << co_log.cco_Eof();
    co_log.v_Separator();
    CT_Errors::v_ResetError();
    co_log.v_Save(co_path); // raises 17 when the file cannot be opened
    return CT_Errors::set_GetLastError() != e_FileWrite; // a failed write is only recorded
}
// guide: end

// The checks below are the program's own, not the guide's.

int n_failures = 0;

void v_Expect(bool b_holds, char const *p_what)
{
    std::printf("%s: %s\n", b_holds ? "ok" : "FAILED", p_what);
    n_failures += b_holds ? 0 : 1;
}

std::string co_Text(CT_String const &co_text)
{
    return static_cast<char const *>(co_text);
}

// The elements of a list, joined by '|'.
std::string co_Elements(CT_String &co_list)
{
    std::string co_joined;
    unsigned int const n_count = co_list.n_GetNumberOfElement();
    for (unsigned int n = 0; n < n_count; ++n, co_list.b_NextElement())
        co_joined += (n ? "|" : "") + co_Text(co_list);
    return co_joined;
}

// The file's bytes, read without the library; "-" when there is none.
std::string co_OnDisk(std::string const &co_path)
{
    HANDLE h_file = CreateFileA(co_path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h_file == INVALID_HANDLE_VALUE)
        return "-";
    char ac_bytes[4096];
    DWORD n_read = 0;
    ReadFile(h_file, ac_bytes, sizeof ac_bytes, &n_read, NULL);
    CloseHandle(h_file);
    return std::string(ac_bytes, n_read);
}

// Writes the bytes as the file's whole content, without the library.
void v_PutOnDisk(std::string const &co_path, std::string const &co_bytes)
{
    HANDLE h_file = CreateFileA(co_path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD n_written = 0;
    WriteFile(h_file, co_bytes.data(), static_cast<DWORD>(co_bytes.size()), &n_written, NULL);
    CloseHandle(h_file);
}

std::string co_Units(std::string const &co_text)
{
    std::string co_units;
    for (char c_char : co_text)
        co_units += std::string(1, c_char) + '\0';
    return co_units;
}

void v_CheckVersion()
{
    v_Expect(co_Text(co_GetCommonVersion()) == COMMON_EXPECTED_VERSION,
             "the DLL's version block holds the project's version, " COMMON_EXPECTED_VERSION);
}

void v_CheckErrorPattern(std::string const &co_folder)
{
    std::string const co_opening = "An error occured when opening the file\n \"";
    std::string const co_missing = co_folder + "no such file.txt";
    v_Expect(co_Text(co_OpenFailure(CT_String(co_missing.c_str()))) ==
                 co_opening + co_missing + "\" (Windows error 2)",
             "a failed open gives message 17 with the path, and the system's reason: not found");
    v_Expect(CT_Errors::set_GetLastError() == e_Unknown && CT_Errors::sn_GetSystemError() == 0,
             "the record is reset to code 1 and system error 0");
    std::string const co_nofolder = co_folder + "no such folder\\x.txt";
    v_Expect(co_Text(co_OpenFailure(CT_String(co_nofolder.c_str()))) ==
                 co_opening + co_nofolder + "\" (Windows error 3)",
             "a file in a missing folder: path not found");
    std::string const co_self = co_folder.substr(0, co_folder.size() - 1); // without the closing separator
    v_Expect(co_Text(co_OpenFailure(CT_String(co_self.c_str()))) == co_opening + co_self + "\" (Windows error 5)",
             "a folder: access denied");
    // A module's own raise keeps the thread's value as it was at the raise,
    // though the parameter's copy allocates a buffer.
    SetLastError(ERROR_DISK_FULL);
    try
    {
        CT_Errors::v_ThrowError(e_Conversion, std::string(600, 'x').c_str());
    }
    catch (et_ErrorCode)
    {
    }
    v_Expect(CT_Errors::sn_GetSystemError() == ERROR_DISK_FULL, "the system error is kept at a module's raise");
    CT_Errors::v_ResetError();
}

// The code co_LoadLines raised, 0 for none; the lines in co_lines.
int n_Load(std::string const &co_path, CT_String &co_lines)
{
    try
    {
        co_lines = co_LoadLines(CT_String(co_path.c_str()));
    }
    catch (et_ErrorCode e_code)
    {
        return e_code;
    }
    return 0;
}

// Each file is loaded, edited and saved as the guide does it, or refused
// whole: none is damaged without a word.
void v_CheckSettingsFiles(std::string const &co_folder)
{
    std::string const co_path = co_folder + "settings.txt";
    CT_String co_lines;
    struct
    {
        std::string co_bytes;
        char const *p_what;
    } const ao_refused[] = {
        {"volume=7\r\nname=Cafe\xE9\r\n", "an 8-bit (ANSI) file is refused and left as it was"},
        {"\xFF\xFE" + co_Units("v=7\r\n"), "a file with a byte-order mark is refused and left as it was"},
        {co_Units("v=") + std::string("\x00\x4E", 2) + co_Units("\r\n"), "a unit the locale cannot narrow is refused"},
        {co_Units("v=7").substr(0, 5), "a file cut inside a unit is refused"}};
    for (auto const &o_file : ao_refused)
    {
        v_PutOnDisk(co_path, o_file.co_bytes);
        v_Expect(n_Load(co_path, co_lines) == e_InvalidCharacter &&
                     co_Text(CT_Errors::co_GetLastParameter()) == co_path && co_OnDisk(co_path) == o_file.co_bytes,
                 o_file.p_what);
    }
    v_PutOnDisk(co_path, co_Units("volume=7\r\n\r\nname=last"));
    v_Expect(n_Load(co_path, co_lines) == 0 && co_Elements(co_lines) == "volume=7|name=last" &&
                 CT_Errors::set_GetLastError() == e_Unknown,
             "a last line without a line end is read; the empty line is not kept");
    co_lines.v_AddElement(CT_String("mode=2"));
    co_JoinLines(co_lines); // walks the list to its last element
    v_SaveLines(CT_String(co_path.c_str()), co_lines);
    v_Expect(co_OnDisk(co_path) == co_Units("volume=7\r\nname=last\r\nmode=2\r\n"),
             "a walked list is saved whole, every line ended");
    DeleteFileA(co_path.c_str());
    CT_Errors::v_ResetError();
}

// The code v_SaveLinesOrKeepBackup raised, 0 for none.
int n_SaveOrKeep(std::string const &co_path, CT_String &co_lines)
{
    try
    {
        v_SaveLinesOrKeepBackup(CT_String(co_path.c_str()), co_lines);
    }
    catch (et_ErrorCode e_code)
    {
        return e_code;
    }
    return 0;
}

void v_CheckSafeSave(std::string const &co_folder)
{
    std::string const co_path = co_folder + "lines.txt";
    CT_String co_lines("first");
    co_lines.v_AddElement(CT_String("second"));
    v_SaveLines(CT_String(co_path.c_str()), co_lines);
    std::string const co_saved = co_Units("first\r\nsecond\r\n");
    v_Expect(co_OnDisk(co_path) == co_saved && co_OnDisk(co_path + ".old") == "-",
             "a save writes every line and leaves no backup");
    CT_String co_broken("third");
    co_broken.v_AddElement(CT_String("bad\r"));
    int n_caught = 0;
    try
    {
        v_SaveLines(CT_String(co_path.c_str()), co_broken);
    }
    catch (et_ErrorCode e_code)
    {
        n_caught = e_code;
    }
    v_Expect(n_caught == e_InvalidCharacter && co_Text(CT_Errors::co_GetLastParameter()) == "bad\r",
             "the module's own code 27 reaches the caller with its parameter");
    v_Expect(co_OnDisk(co_path) == co_saved && co_OnDisk(co_path + ".old") == "-",
             "a failed save leaves the old content and no backup");
    CT_String co_loaded = co_LoadLines(CT_String(co_path.c_str()));
    v_Expect(co_Text(co_JoinLines(co_loaded)) == "first\r\nsecond\r\n", "the saved lines read back");
    std::string const co_cut = co_Units("third\r\n");
    v_Expect(n_SaveOrKeep(co_path, co_broken) == e_InvalidCharacter && co_OnDisk(co_path) == co_cut &&
                 co_OnDisk(co_path + ".old") == co_saved,
             "a propagated failure commits nothing: the part written, the old content whole in the backup");
    n_SaveOrKeep(co_path, co_broken);
    v_Expect(co_OnDisk(co_path) == co_cut && co_OnDisk(co_path + ".old") == co_cut &&
                 co_OnDisk(co_path + ".old.1") == co_saved,
             "a second save that fails moves the left backup aside, whole, and backs up the cut file");
    v_Expect(b_PutOldBack(CT_String(co_path.c_str())) && co_OnDisk(co_path) == co_cut &&
                 co_OnDisk(co_path + ".old") == co_cut && b_PutOldBack(CT_String(co_path.c_str())),
             "the file and its backup swap names");
    MoveFileExA((co_path + ".old.1").c_str(), (co_path + ".old").c_str(), MOVEFILE_REPLACE_EXISTING);
    v_Expect(b_PutOldBack(CT_String(co_path.c_str())) && co_OnDisk(co_path) == co_saved &&
                 co_OnDisk(co_path + ".old") == co_cut,
             "putting the backup back keeps the cut file as the backup");
    v_Expect(!b_PutOldBack(CT_String((co_path + ".none").c_str())), "without a backup nothing is swapped");
    DeleteFileA((co_path + ".old.1").c_str());
    DeleteFileA((co_path + ".old").c_str());
    CT_Errors::v_ResetError();
    DeleteFileA(co_path.c_str());
}

void v_CheckLists()
{
    CT_String co_list = co_MakeList();
    v_Expect(co_Elements(co_list) == "a.txt|b.txt|c.txt", "the list holds three names");
    v_Expect(co_Text(co_JoinLines(co_list)) == "a.txt\r\nb.txt\r\nc.txt\r\n", "the list joins into lines");
    v_Expect(co_Text(co_JoinLines(co_list)) == "a.txt\r\nb.txt\r\nc.txt\r\n", "a walked list joins whole again");
    CT_String co_empty;
    v_Expect(co_Text(co_JoinLines(co_empty)) == "", "an empty list joins into nothing");
    v_Expect(n_CountFilterParts(CT_String("Text (*.txt)|*.txt|All files (*.*)|*.*||")) == 4,
             "a filter of two pairs splits into four elements");
}

void v_CheckLog(std::string const &co_folder)
{
    std::string const co_path = co_folder + "run.log";
    v_Expect(b_LogRun(CT_String(co_path.c_str()), 3) == 1, "the log is saved whole");
    std::string const co_saved = co_OnDisk(co_path);
    std::string const co_tail = co_Units(": converted 3\r\n" + std::string(22, '_') + "\r\n\r\n\r\n");
    v_Expect(co_saved.size() > co_tail.size() &&
                 co_saved.compare(co_saved.size() - co_tail.size(), co_tail.size(), co_tail) == 0,
             "the saved log ends with the line, the separator and the save's line end");
    DeleteFileA(co_path.c_str());
    v_Expect(b_LogRun(CT_String("Z:\\dev\\full"), 3) == 0, "a failed write is seen in the record");
    CT_Errors::v_ResetError();
}

void v_ShowGui(std::string const &co_folder)
{
    CT_String co_first;
    std::printf("settings loaded: %d\n", b_LoadSettings(CT_String((co_folder + "none.ini").c_str()), co_first));
    CT_LogStream const co_log;
    CT_String co_path;
    if (b_AskLogPath(co_log, co_path))
        std::printf("log path: %s\n", co_Text(co_path).c_str());
    CT_String co_picked = co_PickFiles(co_log.cco_GetFilter());
    std::printf("picked: %s\n", co_Elements(co_picked).c_str());
}
} // namespace

int main(int argc, char **argv)
{
    char ac_folder[MAX_PATH + 1] = {0};
    std::string const co_folder(ac_folder, GetTempPathA(sizeof ac_folder, ac_folder));
    try
    {
        v_CheckVersion();
        v_CheckErrorPattern(co_folder);
        v_CheckSafeSave(co_folder);
        v_CheckSettingsFiles(co_folder);
        v_CheckLists();
        v_CheckLog(co_folder);
        if (argc > 1 && std::strcmp(argv[1], "--gui") == 0)
            v_ShowGui(co_folder);
    }
    catch (et_ErrorCode e_code)
    {
        std::printf("FAILED: unexpected code %d: %s\n", static_cast<int>(e_code),
                    co_Text(CT_Errors::cco_GetLastError()).c_str());
        return 1;
    }
    std::printf(n_failures == 0 ? "All snippets behave as the guide says.\n" : "%d checks failed.\n", n_failures);
    return n_failures == 0 ? 0 : 1;
}
