// GuideSnippets: every C++ snippet of docs/guide.md, word for word, and a
// main that runs them and checks what they give. The test run builds and
// runs it, and checks that the guide's snippets are still these.
//
//   GuideSnippets.exe          runs the snippets that need no user
//   GuideSnippets.exe --gui    also shows the message box and the dialogs
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_FilesDialog.h"
#include "CT_LogStream.h"
#include "CT_String.h"

namespace
{
// guide: the error pattern
// The message a failed open gives, for a log or a status line.
CT_String co_OpenFailure(CT_String const &co_path)
{
    try
    {
        CT_Files co_file;
        co_file.v_Open(co_path, CT_Files::e_Read, 0);
    }
    catch (et_ErrorCode)
    {
        CT_String co_message = CT_Errors::cco_GetLastError(); // code 17 with the path
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
// the library's or the module's own, puts the old content back.
void v_SaveLines(CT_String const &co_path, CT_String co_lines)
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
void v_SaveLinesOrKeepBackup(CT_String const &co_path, CT_String co_lines)
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

// Before reading the file: a ".old" beside it is the last committed content
// of a save that never committed; it is copied back, then deleted.
void v_RecoverFile(CT_String const &co_path)
{
    if (!CT_Files::sb_Exist(co_path + ".old"))
        return;
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Write, 1); // the ".old" there is kept as the backup
    co_file.v_Cancel();
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

// The elements of a list, one per line.
CT_String co_JoinLines(CT_String co_list)
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
// The non-empty lines of a file written by v_Writeln, as a list.
CT_String co_ReadLines(CT_String const &co_path)
{
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Read, 0);
    CT_String co_lines, co_line;
    CT_String const co_lineend("\r\n");
    try
    {
        for (;;)
        {
            co_file.v_ReadUntil(co_line, co_lineend);
            co_lines.v_AddElement(co_line); // an empty line adds nothing
        }
    }
    catch (et_ErrorCode e_code)
    {
        if (e_code != e_FileRead)
            throw;
        CT_Errors::v_ResetError(); // no line end after the last line: the end of the file
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
std::string co_Elements(CT_String co_list)
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

std::string co_Units(std::string const &co_text)
{
    std::string co_units;
    for (char c_char : co_text)
        co_units += std::string(1, c_char) + '\0';
    return co_units;
}

void v_CheckErrorPattern(std::string const &co_folder)
{
    std::string const co_missing = co_folder + "no such file.txt";
    v_Expect(co_Text(co_OpenFailure(CT_String(co_missing.c_str()))) ==
                 "An error occured when opening the file\n \"" + co_missing + "\"",
             "a failed open gives message 17 with the path");
    v_Expect(CT_Errors::set_GetLastError() == e_Unknown, "the record is reset to code 1");
}

// The code v_SaveLinesOrKeepBackup raised, 0 for none.
int n_SaveOrKeep(std::string const &co_path, CT_String const &co_lines)
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
    v_Expect(co_Text(co_JoinLines(co_ReadLines(CT_String(co_path.c_str())))) == "first\r\nsecond\r\n",
             "the saved lines read back");
    std::string const co_cut = co_Units("third\r\n");
    v_Expect(n_SaveOrKeep(co_path, co_broken) == e_InvalidCharacter && co_OnDisk(co_path) == co_cut &&
                 co_OnDisk(co_path + ".old") == co_saved,
             "a propagated failure commits nothing: the part written, the old content whole in the backup");
    n_SaveOrKeep(co_path, co_broken);
    v_Expect(co_OnDisk(co_path) == co_cut && co_OnDisk(co_path + ".old") == co_saved,
             "a second save that fails keeps the left backup, not a copy of the cut file");
    v_RecoverFile(CT_String(co_path.c_str()));
    v_Expect(co_OnDisk(co_path) == co_saved && co_OnDisk(co_path + ".old") == "-",
             "recovery puts the last committed content back and removes the backup");
    v_RecoverFile(CT_String(co_path.c_str()));
    v_Expect(co_OnDisk(co_path) == co_saved, "recovery without a backup changes nothing");
    DeleteFileA((co_path + ".old").c_str());
    CT_Errors::v_ResetError();
    DeleteFileA(co_path.c_str());
}

void v_CheckLists()
{
    CT_String const co_list = co_MakeList();
    v_Expect(co_Elements(co_list) == "a.txt|b.txt|c.txt", "the list holds three names");
    v_Expect(co_Text(co_JoinLines(co_list)) == "a.txt\r\nb.txt\r\nc.txt\r\n", "the list joins into lines");
    v_Expect(co_Text(co_JoinLines(CT_String())) == "", "an empty list joins into nothing");
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
    std::printf("picked: %s\n", co_Elements(co_PickFiles(co_log.cco_GetFilter())).c_str());
}
} // namespace

int main(int argc, char **argv)
{
    char ac_folder[MAX_PATH + 1] = {0};
    std::string const co_folder(ac_folder, GetTempPathA(sizeof ac_folder, ac_folder));
    try
    {
        v_CheckErrorPattern(co_folder);
        v_CheckSafeSave(co_folder);
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
