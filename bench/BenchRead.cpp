#include "BenchCases.h"
#include "NaiveLineReader.h"

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_String.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench
{
namespace
{
// The naive reader makes about four system calls per byte (1.7 to 2.8 us each
// under Wine): beyond this many lines it is timed on the first lines of the
// file only, and its time scaled to the whole file.
unsigned int const n_NaiveMaxLines = 10000;

// What a reader saw: enough to tell that it read every line, and right.
struct CT_Lines
{
    unsigned int n_lines = 0;
    size_t n_characters = 0;
    std::string co_last;
};

void v_WriteLines(std::string const &co_path, unsigned int n_lines)
{
    CT_Files co_file;
    co_file.v_Open(CT_String(co_path.c_str()), CT_Files::e_Write, 0);
    for (unsigned int n_line = 0; n_line < n_lines; ++n_line)
        co_file.v_Writeln(CT_String(co_Line(n_line).c_str()));
    co_file.v_Close();
}

// The library's reader: v_ReadUntil until the end of the file raises code 19.
CT_Lines co_ReadWithLibrary(std::string const &co_path)
{
    CT_Lines co_seen;
    CT_Files co_file;
    co_file.v_Open(CT_String(co_path.c_str()), CT_Files::e_Read, 0);
    CT_String const co_delimiter("\r\n");
    CT_String co_text;
    try
    {
        for (;;)
        {
            co_file.v_ReadUntil(co_text, co_delimiter);
            ++co_seen.n_lines;
            co_seen.n_characters += co_text.n_GetLength();
        }
    }
    catch (et_ErrorCode e_code)
    {
        if (e_code != e_FileRead)
            throw;
    }
    co_seen.co_last = static_cast<char const *>(co_text);
    return co_seen;
}

CT_Lines co_ReadNaive(std::string const &co_path, unsigned int n_maxLines)
{
    CT_Lines co_seen;
    CT_NaiveLineReader co_reader(co_path);
    std::string co_text;
    while (co_seen.n_lines < n_maxLines && co_reader.b_ReadUntil(co_text, "\r\n"))
    {
        ++co_seen.n_lines;
        co_seen.n_characters += co_text.size();
    }
    co_seen.co_last = co_text;
    return co_seen;
}

// The best one can do without positions kept exact: one ReadFile of the whole
// file, then the lines cut out in memory and converted as the library does.
CT_Lines co_ReadWhole(std::string const &co_path)
{
    CT_Handle co_file(CreateFileA(co_path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    if (!co_file.b_IsValid())
        throw std::runtime_error("cannot open " + co_path);
    DWORD const n_size = GetFileSize(co_file.h_Get(), NULL);
    std::vector<char> co_bytes(n_size + 2);
    DWORD n_read = 0;
    if (!ReadFile(co_file.h_Get(), co_bytes.data(), n_size, &n_read, NULL))
        throw std::runtime_error("cannot read " + co_path);
    wchar_t *p_units = reinterpret_cast<wchar_t *>(co_bytes.data());
    size_t const n_units = n_read / 2;
    std::vector<char> co_narrow(n_units + 1);
    CT_Lines co_seen;
    size_t n_start = 0;
    for (size_t n_unit = 0; n_unit + 1 < n_units; ++n_unit)
    {
        if (p_units[n_unit] != L'\r' || p_units[n_unit + 1] != L'\n')
            continue;
        p_units[n_unit] = 0;
        std::wcstombs(co_narrow.data(), p_units + n_start, n_unit - n_start + 1);
        co_seen.co_last.assign(co_narrow.data());
        ++co_seen.n_lines;
        co_seen.n_characters += co_seen.co_last.size();
        n_start = ++n_unit + 1;
    }
    return co_seen;
}

bool b_Complete(CT_Lines const &co_seen, unsigned int n_lines)
{
    return co_seen.n_lines == n_lines && co_seen.n_characters == n_lines * co_Line(0).size()
        && co_seen.co_last == co_Line(n_lines - 1);
}

CT_Median co_MeasureReader(CT_Lines (*f_read)(std::string const &), std::string const &co_path,
                           unsigned int n_lines, bool &b_correct)
{
    return co_Measure([&] {
        CT_Stopwatch co_watch;
        CT_Lines const co_seen = f_read(co_path);
        double const d_ms = co_watch.d_Ms();
        b_correct = b_correct && b_Complete(co_seen, n_lines);
        return d_ms;
    });
}

// Timed on at most n_NaiveMaxLines lines; a larger file's time is scaled up
// line for line (every line has the same length), and the row says so.
CT_Median co_MeasureNaive(std::string const &co_path, unsigned int n_lines, bool &b_correct,
                          std::string &co_note)
{
    unsigned int const n_sample = n_lines < n_NaiveMaxLines ? n_lines : n_NaiveMaxLines;
    CT_Median const co_sample = co_Measure([&] {
        CT_Stopwatch co_watch;
        CT_Lines const co_seen = co_ReadNaive(co_path, n_sample);
        double const d_ms = co_watch.d_Ms();
        b_correct = b_correct && b_Complete(co_seen, n_sample);
        return d_ms;
    });
    if (n_sample < n_lines)
        co_note = " (timed on the first " + co_Count(n_sample) + " lines, scaled x"
            + std::to_string(n_lines / n_sample) + ")";
    return co_Scaled(co_sample, static_cast<double>(n_lines) / n_sample);
}
} // namespace

void v_BenchRead(CT_Table &co_table, CT_ScratchFolder &co_scratch)
{
    unsigned int const n_counts[] = {10000, 100000};
    for (unsigned int n_lines : n_counts)
    {
        std::string const co_size = co_Count(n_lines) + " lines";
        std::string const co_path = co_scratch.co_File(("lines" + co_Count(n_lines) + ".txt").c_str());
        v_WriteLines(co_path, n_lines);

        bool b_correct = true;
        CT_Median const co_ours = co_MeasureReader(co_ReadWithLibrary, co_path, n_lines, b_correct);
        bool b_naive_correct = true;
        std::string co_note;
        CT_Median const co_naive = co_MeasureNaive(co_path, n_lines, b_naive_correct, co_note);
        bool b_whole_correct = true;
        CT_Median const co_whole = co_MeasureReader(co_ReadWhole, co_path, n_lines, b_whole_correct);

        CT_Row co_against_naive{"v_ReadUntil", co_size, co_ours, "(a) naive 1-byte reads", co_naive,
                                e_FasterBy, 50.0, co_note};
        co_against_naive.b_correct = b_correct && b_naive_correct;
        co_table.v_Add(co_against_naive);
        CT_Row co_against_whole{"v_ReadUntil", co_size, co_ours, "(b) one ReadFile + split", co_whole,
                                e_AtMost, 3.0, ""};
        co_against_whole.b_correct = b_correct && b_whole_correct;
        co_table.v_Add(co_against_whole);
    }
}
} // namespace bench
