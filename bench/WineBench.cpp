// The cases bound to Wine, each beside a reference: the log, line reading and
// co_GetMid on Wine's heap. Prints the table and exits with 1 if a target was
// missed (see README.md).
#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_LogStream.h"
#include "CT_String.h"
#include "Targets.h"
#include "TestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
// The naive reader makes about four system calls per byte: it reads this many
// lines, and its time is scaled to the whole file.
long long const n_NaiveLines = 10000;

/// The milliseconds of one call of f_work, or NaN if b_Right rejects its
/// result (checked once the clock has stopped).
template <class F, class R> double d_RunMs(F const &f_work, R const &b_Right)
{
    auto const co_start = std::chrono::steady_clock::now();
    auto const co_result = f_work();
    double const d_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - co_start).count();
    return b_Right(co_result) ? d_ms : NAN;
}

double d_Median(std::vector<double> co_ms)
{
    if (std::any_of(co_ms.begin(), co_ms.end(), [](double d_ms) { return std::isnan(d_ms); }))
        return NAN;
    std::nth_element(co_ms.begin(), co_ms.begin() + co_ms.size() / 2, co_ms.end());
    return co_ms[co_ms.size() / 2];
}

/// Medians of n_runs runs of ours and the reference, taking turns so that a
/// machine busy with other work weighs on both alike.
template <class F, class R, class G, class S>
CT_Timing co_Compare(CT_Timing co_at, F const &f_ours, R const &b_OursRight, G const &f_reference,
                     S const &b_ReferenceRight, int n_runs)
{
    std::vector<double> co_ours, co_reference;
    for (int n_run = 0; n_run < n_runs; ++n_run)
    {
        co_ours.push_back(d_RunMs(f_ours, b_OursRight));
        co_reference.push_back(d_RunMs(f_reference, b_ReferenceRight));
    }
    co_at.d_ours_ms = d_Median(co_ours);
    co_at.d_reference_ms = d_Median(co_reference);
    return co_at;
}

/// 60 characters, numbered so that every line differs.
std::string co_Line(long long n_number)
{
    std::string co_line = "line " + std::to_string(10000000 + n_number);
    return co_line.append(60 - co_line.size(), 'a');
}

char const *p_Text(CT_String const &co_text) { return co_text; }
char const *p_Text(CT_LogStream const &co_log) { return co_log.cco_GetText(); }
char const *p_Text(std::string const &co_text) { return co_text.c_str(); }

void v_BenchLog(CT_Targets &co_targets)
{
    std::string const co_text = co_Line(0);
    CT_String const co_line(co_text.c_str());
    std::vector<CT_Timing> co_sizes;
    for (long long n_lines : {10000, 100000, 1000000})
    {
        auto const f_Ours = [&] {
            CT_LogStream co_log;
            for (long long n_line = 0; n_line < n_lines; ++n_line)
                co_log << co_line << co_log.cco_Eof();
            return co_log;
        };
        auto const f_Reference = [&] {
            std::string co_log;
            for (long long n_line = 0; n_line < n_lines; ++n_line)
                co_log.append(co_text).append("\r\n");
            return co_log;
        };
        auto const b_All = [&](auto const &co_log) {
            return std::strlen(p_Text(co_log)) == static_cast<size_t>(n_lines) * (co_text.size() + 2);
        };
        co_sizes.push_back(
            co_Compare(CT_Timing{"Log <<", n_lines, 0, "std::string +=", 0}, f_Ours, b_All, f_Reference, b_All, 7));
    }
    co_targets.v_Case(co_sizes, d_RatioLimit, d_GrowthLimit);
}

/// What a reader saw: enough to tell that it read every line, and right.
struct CT_Lines
{
    long long n_lines = 0;
    std::string co_last;
};

CT_Lines co_ReadWithLibrary(std::string const &co_path)
{
    CT_Files co_file;
    co_file.v_Open(CT_String(co_path.c_str()), CT_Files::e_Read, 0);
    CT_String const co_delimiter("\r\n");
    CT_String co_line;
    CT_Lines co_seen;
    try
    {
        for (;; ++co_seen.n_lines)
            co_file.v_ReadUntil(co_line, co_delimiter);
    }
    catch (et_ErrorCode e_code)
    {
        if (e_code != e_FileRead)
            throw;
    }
    co_seen.co_last = static_cast<char const *>(co_line);
    return co_seen;
}

// The best one can do without exact positions: the whole file read in large
// blocks, the lines cut out in memory and converted as the library does.
CT_Lines co_ReadWhole(std::string const &co_path)
{
    std::string co_bytes = test::ReadBytes(co_path);
    co_bytes.append(2, '\0');
    wchar_t *p_units = reinterpret_cast<wchar_t *>(co_bytes.data());
    std::vector<char> co_narrow(co_bytes.size() / 2);
    CT_Lines co_seen;
    for (size_t n_unit = 0, n_start = 0; n_unit + 1 < co_bytes.size() / 2; ++n_unit)
        if (p_units[n_unit] == L'\r' && p_units[n_unit + 1] == L'\n')
        {
            p_units[n_unit] = 0;
            std::wcstombs(co_narrow.data(), p_units + n_start, co_narrow.size());
            co_seen.co_last = co_narrow.data();
            ++co_seen.n_lines;
            n_start = ++n_unit + 1;
        }
    return co_seen;
}

// The line reader as the file rules read at face value: every byte of both
// scans for the line end is a ReadFile of its own. A byte that breaks a partial
// match sets the match back to its start.
bool b_SkipLineEnd(HANDLE h_file)
{
    static char const s_LineEnd[] = {'\r', 0, '\n', 0};
    char c_byte = 0;
    DWORD n_read = 0;
    for (size_t n_matched = 0; n_matched < sizeof s_LineEnd;)
    {
        if (!ReadFile(h_file, &c_byte, 1, &n_read, NULL) || n_read != 1)
            return false;
        n_matched = c_byte == s_LineEnd[n_matched] ? n_matched + 1 : 0;
    }
    return true;
}

// The count sets the pointer back, then the line is read in one call and its
// end scanned again. The files here stay far below 4 GB: the low word is the
// position.
CT_Lines co_ReadNaive(std::string const &co_path)
{
    std::unique_ptr<void, BOOL(WINAPI *)(HANDLE)> h_file(
        CreateFileA(co_path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL), CloseHandle);
    CT_Lines co_seen;
    for (; co_seen.n_lines < n_NaiveLines; ++co_seen.n_lines)
    {
        DWORD const n_start = SetFilePointer(h_file.get(), 0, NULL, FILE_CURRENT);
        if (!b_SkipLineEnd(h_file.get()))
            break;
        DWORD const n_bytes = SetFilePointer(h_file.get(), 0, NULL, FILE_CURRENT) - n_start - 4;
        SetFilePointer(h_file.get(), static_cast<LONG>(n_start), NULL, FILE_BEGIN);
        std::vector<wchar_t> co_units(n_bytes / 2 + 1);
        DWORD n_read = 0;
        ReadFile(h_file.get(), co_units.data(), n_bytes, &n_read, NULL);
        std::vector<char> co_narrow(co_units.size());
        std::wcstombs(co_narrow.data(), co_units.data(), co_narrow.size());
        co_seen.co_last = co_narrow.data();
        b_SkipLineEnd(h_file.get());
    }
    return co_seen;
}

void v_BenchRead(CT_Targets &co_targets)
{
    test::ScratchFolder const co_folder;
    std::vector<CT_Timing> co_sizes;
    for (long long n_lines : {10000, 100000})
    {
        std::string const co_path = co_folder.File(std::to_string(n_lines) + ".txt");
        std::string co_text;
        for (long long n_line = 0; n_line < n_lines; ++n_line)
            co_text.append(co_Line(n_line)).append("\r\n");
        test::WriteBytes(co_path, test::Units(co_text));

        auto const f_Ours = [&] { return co_ReadWithLibrary(co_path); };
        auto const b_All = [](long long n_expected) {
            return [n_expected](CT_Lines const &co_seen) {
                return co_seen.n_lines == n_expected && co_seen.co_last == co_Line(n_expected - 1);
            };
        };
        CT_Timing co_naive =
            co_Compare(CT_Timing{"v_ReadUntil", n_lines, 0, "1-byte ReadFile scan (10^4 lines, scaled)", 0}, f_Ours,
                       b_All(n_lines), [&] { return co_ReadNaive(co_path); }, b_All(n_NaiveLines), 3);
        co_naive.d_reference_ms *= static_cast<double>(n_lines) / n_NaiveLines;
        co_targets.v_Case({co_naive}, 1.0 / 50, 0);
        co_sizes.push_back(co_Compare(CT_Timing{"v_ReadUntil", n_lines, 0, "whole file, split in memory", 0}, f_Ours,
                                      b_All(n_lines), [&] { return co_ReadWhole(co_path); }, b_All(n_lines), 15));
    }
    co_targets.v_Case(co_sizes, d_RatioLimit, d_GrowthLimit);
}

// The middle eight tenths of the text: one allocation and one copy, so the
// heap's cost for a fresh block shows as it is.
void v_BenchMid(CT_Targets &co_targets)
{
    std::vector<CT_Timing> co_sizes;
    for (long long n_size : {100000, 1000000, 10000000})
    {
        std::string const co_source(n_size, 'm');
        int const i_start = static_cast<int>(n_size / 10);
        int const i_count = static_cast<int>(n_size * 8 / 10);
        CT_String co_text(co_source.c_str());
        std::string const co_expected = co_source.substr(i_start, i_count);
        auto const b_Mid = [&](auto const &co_mid) { return co_expected == p_Text(co_mid); };
        co_sizes.push_back(co_Compare(CT_Timing{"co_GetMid on Wine's heap", n_size, 0, "std::string substr", 0},
                                      [&] { return co_text.co_GetMid(i_start, i_count); }, b_Mid,
                                      [&] { return co_source.substr(i_start, i_count); }, b_Mid, 15));
    }
    co_targets.v_Case(co_sizes, d_RatioLimit, d_GrowthLimit);
}
} // namespace

// With arguments, only the cases named: log, read, mid.
int main(int argc, char **argv)
{
    std::vector<std::string> const co_only(argv + 1, argv + argc);
    auto const b_Runs = [&](char const *p_name) {
        return co_only.empty() || std::find(co_only.begin(), co_only.end(), p_name) != co_only.end();
    };
    CT_Targets co_targets;
    try
    {
        if (b_Runs("log"))
            v_BenchLog(co_targets);
        if (b_Runs("read"))
            v_BenchRead(co_targets);
        if (b_Runs("mid"))
            v_BenchMid(co_targets);
    }
    catch (et_ErrorCode e_code)
    {
        std::printf("The library raised code %d (\"%s\").\n", static_cast<int>(e_code),
                    static_cast<char const *>(CT_Errors::co_GetLastParameter()));
        return 1;
    }
    return co_targets.n_Misses() ? 1 : 0;
}
