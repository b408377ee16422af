#include "BenchCases.h"

#include "CT_Files.h"
#include "CT_String.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench
{
namespace
{
// A save costs a few milliseconds and varies with the disk: more runs than
// elsewhere keep the median steady.
unsigned int const n_SaveRuns = 15;

std::string co_Units(std::string const &co_text)
{
    std::string co_units;
    for (char c_char : co_text)
    {
        co_units += c_char;
        co_units += '\0';
    }
    return co_units;
}

std::string co_ReadFile(std::string const &co_path)
{
    CT_Handle co_file(CreateFileA(co_path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    if (!co_file.b_IsValid())
        return "";
    std::vector<char> co_bytes(GetFileSize(co_file.h_Get(), NULL));
    DWORD n_read = 0;
    if (!co_bytes.empty() && !ReadFile(co_file.h_Get(), co_bytes.data(), co_bytes.size(), &n_read, NULL))
        return "";
    return std::string(co_bytes.data(), n_read);
}

void v_Check(BOOL b_ok, char const *p_call)
{
    if (!b_ok)
        throw std::runtime_error(std::string(p_call) + " failed in the raw save");
}

void v_WriteFile(std::string const &co_path, std::string const &co_bytes)
{
    CT_Handle co_file(CreateFileA(co_path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    v_Check(co_file.b_IsValid(), "CreateFileA");
    DWORD n_written = 0;
    v_Check(WriteFile(co_file.h_Get(), co_bytes.data(), co_bytes.size(), &n_written, NULL), "WriteFile");
}

// What the hardware must have before the original is cut: the backup copy.
void v_FlushFile(std::string const &co_path)
{
    CT_Handle co_file(CreateFileA(co_path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    v_Check(co_file.b_IsValid(), "CreateFileA");
    v_Check(FlushFileBuffers(co_file.h_Get()), "FlushFileBuffers");
}

// The library's sequence with bare Win32 calls: backup, rewrite, drop the
// backup; with b_flush, the backup and the new content are flushed first.
double d_RawSaveMs(std::string const &co_path, std::string const &co_units, bool b_flush)
{
    std::string const co_old = co_path + ".old";
    CT_Stopwatch co_watch;
    v_Check(CopyFileA(co_path.c_str(), co_old.c_str(), FALSE), "CopyFileA");
    if (b_flush)
        v_FlushFile(co_old);
    {
        CT_Handle co_file(CreateFileA(co_path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        v_Check(co_file.b_IsValid(), "CreateFileA");
        DWORD n_written = 0;
        v_Check(WriteFile(co_file.h_Get(), co_units.data(), co_units.size(), &n_written, NULL), "WriteFile");
        // The new content must be on disk before the backup goes.
        if (b_flush)
            v_Check(FlushFileBuffers(co_file.h_Get()), "FlushFileBuffers");
    }
    v_Check(DeleteFileA(co_old.c_str()), "DeleteFileA");
    return co_watch.d_Ms();
}

double d_LibrarySaveMs(std::string const &co_path, CT_String const &co_line)
{
    CT_Stopwatch co_watch;
    CT_Files co_file;
    co_file.v_Open(CT_String(co_path.c_str()), CT_Files::e_Write, 1);
    co_file.v_Writeln(co_line);
    co_file.v_Close();
    return co_watch.d_Ms();
}

// The file holds exactly the new line, and no backup is left beside it.
bool b_Saved(std::string const &co_path, std::string const &co_units)
{
    return co_ReadFile(co_path) == co_units && GetFileAttributesA((co_path + ".old").c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string co_Ms(double d_ms)
{
    char s_text[32];
    std::snprintf(s_text, sizeof s_text, "%.3f ms", d_ms);
    return s_text;
}
} // namespace

void v_BenchSave(CT_Table &co_table, CT_ScratchFolder &co_scratch)
{
    std::string const co_path = co_scratch.co_File("save.txt");
    std::string const co_text = co_Line(1);
    std::string const co_units = co_Units(co_text + "\r\n");
    v_WriteFile(co_path, co_Units("previous content\r\n")); // a safe save rewrites an existing file
    CT_String const co_line(co_text.c_str());

    // The three saves take turns, so that a busy disk or machine weighs on
    // each of them alike.
    std::vector<double> co_library_times, co_raw_times, co_flushed_times;
    bool b_library_correct = true;
    bool b_raw_correct = true;
    for (unsigned int n_run = 0; n_run < n_SaveRuns; ++n_run)
    {
        co_library_times.push_back(d_LibrarySaveMs(co_path, co_line));
        b_library_correct = b_library_correct && b_Saved(co_path, co_units);
        co_raw_times.push_back(d_RawSaveMs(co_path, co_units, false));
        co_flushed_times.push_back(d_RawSaveMs(co_path, co_units, true));
        b_raw_correct = b_raw_correct && b_Saved(co_path, co_units);
    }
    CT_Median const co_library = co_MedianOf(co_library_times);
    CT_Median const co_raw = co_MedianOf(co_raw_times);
    CT_Median const co_flushed = co_MedianOf(co_flushed_times);

    std::string const co_size = "1 line, 124 bytes";
    CT_Row co_row{"Safe save (library, flushes)", co_size, co_library, "raw Win32, no flush", co_raw,
                  e_Info, 0.0, ""};
    co_row.b_correct = b_library_correct && b_raw_correct;
    co_table.v_Add(co_row);
    co_row = CT_Row{"Safe save (raw Win32, 2 flushes)", co_size, co_flushed, "raw Win32, no flush", co_raw,
                    e_Info, 0.0, ""};
    co_row.b_correct = b_raw_correct;
    co_table.v_Add(co_row);
    co_table.v_AddNote("Flush cost per small save: library minus raw without flush = "
                       + co_Ms(co_library.d_ms - co_raw.d_ms) + "; raw with the two FlushFileBuffers minus "
                       + "raw without = " + co_Ms(co_flushed.d_ms - co_raw.d_ms) + ".");
}
} // namespace bench
