#include "BenchSupport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace bench
{
namespace
{
// Time one measurement may take over all its runs: seven runs of everything
// linear, three of the naive reader's 10^4 lines (about 7 s each under Wine),
// and a single run of anything that takes minutes.
double const d_RunBudgetMs = 25000.0;
// Length of every benchmark line, without its line end.
unsigned int const n_LineLength = 60;

double d_Frequency()
{
    LARGE_INTEGER n_frequency;
    QueryPerformanceFrequency(&n_frequency);
    return static_cast<double>(n_frequency.QuadPart);
}

std::string co_Format(char const *p_format, double d_value)
{
    char s_text[64];
    std::snprintf(s_text, sizeof s_text, p_format, d_value);
    return s_text;
}

std::string co_Ms(double d_ms)
{
    if (d_ms < 10.0)
        return co_Format("%.3f", d_ms);
    if (d_ms < 1000.0)
        return co_Format("%.1f", d_ms);
    return co_Format("%.0f", d_ms);
}

std::string co_Timing(CT_Median const &co_median)
{
    return co_Ms(co_median.d_ms) + " (" + std::to_string(co_median.n_runs) + ")";
}

// A ratio below 0.1 reads better as "1/312" than as "0.00x".
std::string co_Ratio(double d_ratio)
{
    if (d_ratio < 0.1)
        return co_Format("1/%.0f", 1.0 / d_ratio);
    return co_Format("%.2fx", d_ratio);
}

std::string co_Target(CT_Row const &co_row)
{
    switch (co_row.e_target)
    {
    case e_AtMost:
        return co_Format("<= %gx", co_row.d_limit);
    case e_FasterBy:
        return co_Format(">= %gx faster", co_row.d_limit);
    default:
        return "info";
    }
}

bool b_Met(CT_Row const &co_row)
{
    double const d_ratio = co_row.co_ours.d_ms / co_row.co_reference_time.d_ms;
    if (co_row.e_target == e_AtMost)
        return d_ratio <= co_row.d_limit;
    if (co_row.e_target == e_FasterBy)
        return 1.0 / d_ratio >= co_row.d_limit;
    return true;
}

std::string co_Verdict(CT_Row const &co_row)
{
    if (!co_row.b_correct)
        return "WRONG RESULT";
    if (co_row.e_target == e_Info)
        return "info";
    return b_Met(co_row) ? "PASS" : "MISS";
}
} // namespace

CT_Stopwatch::CT_Stopwatch()
{
    QueryPerformanceCounter(&n_start);
}

double CT_Stopwatch::d_Ms() const
{
    static double const d_frequency = d_Frequency();
    LARGE_INTEGER n_now;
    QueryPerformanceCounter(&n_now);
    return static_cast<double>(n_now.QuadPart - n_start.QuadPart) * 1000.0 / d_frequency;
}

CT_Median co_Measure(ft_Run const &f_run, unsigned int n_maxRuns)
{
    std::vector<double> co_times;
    CT_Stopwatch co_total;
    while (co_times.size() < n_maxRuns)
    {
        co_times.push_back(f_run());
        if (co_total.d_Ms() + co_times.back() > d_RunBudgetMs)
            break;
    }
    return co_MedianOf(co_times);
}

CT_Median co_MedianOf(std::vector<double> co_times)
{
    std::sort(co_times.begin(), co_times.end());
    size_t const n_middle = co_times.size() / 2;
    double const d_median = co_times.size() % 2
        ? co_times[n_middle]
        : (co_times[n_middle - 1] + co_times[n_middle]) / 2.0;
    return CT_Median{d_median, static_cast<unsigned int>(co_times.size())};
}

CT_Median co_Scaled(CT_Median co_median, double d_factor)
{
    co_median.d_ms *= d_factor;
    return co_median;
}

void CT_Table::v_Add(CT_Row const &co_row)
{
    co_rows.push_back(co_row);
    v_Progress("  %s, %s: %s ms against %s ms", co_row.co_case.c_str(), co_row.co_size.c_str(),
               co_Ms(co_row.co_ours.d_ms).c_str(), co_Ms(co_row.co_reference_time.d_ms).c_str());
}

void CT_Table::v_Add(CT_Growth const &co_row)
{
    co_growth.push_back(co_row);
}

void CT_Table::v_AddNote(std::string const &co_note)
{
    co_notes.push_back(co_note);
}

void CT_Table::v_Print() const
{
    v_PrintRows();
    std::printf("\n");
    v_PrintGrowth();
    if (!co_notes.empty())
        std::printf("\n");
    for (std::string const &co_note : co_notes)
        std::printf("- %s\n", co_note.c_str());
    std::fflush(stdout);
}

unsigned int CT_Table::n_Misses() const
{
    unsigned int n_misses = 0;
    for (CT_Row const &co_row : co_rows)
        n_misses += !co_row.b_correct || !b_Met(co_row);
    for (CT_Growth const &co_row : co_growth)
        n_misses += co_row.d_limit > 0 && co_row.d_ours_factor > co_row.d_limit;
    return n_misses;
}

void CT_Table::v_PrintRows() const
{
    std::printf("| Case | Size | Ours ms (runs) | Reference | Ref ms (runs) | Ours/Ref | Target | Met |\n");
    std::printf("|---|---|---:|---|---:|---:|---|---|\n");
    for (CT_Row const &co_row : co_rows)
    {
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s |\n", co_row.co_case.c_str(),
                    co_row.co_size.c_str(), co_Timing(co_row.co_ours).c_str(),
                    (co_row.co_reference + co_row.co_note).c_str(),
                    co_Timing(co_row.co_reference_time).c_str(),
                    co_Ratio(co_row.co_ours.d_ms / co_row.co_reference_time.d_ms).c_str(),
                    co_Target(co_row).c_str(), co_Verdict(co_row).c_str());
    }
}

void CT_Table::v_PrintGrowth() const
{
    std::printf("| Growth | Sizes | Size x | Ours time x | Ref time x | Ours x / Ref x | Target | Met |\n");
    std::printf("|---|---|---:|---:|---:|---:|---|---|\n");
    for (CT_Growth const &co_row : co_growth)
    {
        bool const b_target = co_row.d_limit > 0;
        std::printf("| %s | %s | %.0f | %.1f | %.1f | %.2f | %s | %s |\n", co_row.co_case.c_str(),
                    co_row.co_sizes.c_str(), co_row.d_size_factor, co_row.d_ours_factor,
                    co_row.d_reference_factor, co_row.d_ours_factor / co_row.d_reference_factor,
                    b_target ? co_Format("<= %gx", co_row.d_limit).c_str() : "info",
                    !b_target ? "info" : co_row.d_ours_factor <= co_row.d_limit ? "PASS" : "MISS");
    }
}

CT_ScratchFolder::CT_ScratchFolder()
{
    char s_temp[MAX_PATH + 1];
    DWORD const n_length = GetTempPathA(sizeof s_temp, s_temp);
    if (n_length == 0 || n_length > MAX_PATH)
        throw std::runtime_error("GetTempPathA failed");
    co_folder = std::string(s_temp) + "CommonBench." + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(co_folder.c_str(), NULL))
        throw std::runtime_error("CreateDirectoryA failed for " + co_folder);
}

CT_ScratchFolder::~CT_ScratchFolder()
{
    for (std::string const &co_file : co_files)
    {
        DeleteFileA(co_file.c_str());
        DeleteFileA((co_file + ".old").c_str());
    }
    RemoveDirectoryA(co_folder.c_str());
}

std::string CT_ScratchFolder::co_File(char const *p_name)
{
    co_files.push_back(co_folder + "\\" + p_name);
    return co_files.back();
}

void const *volatile p_Sink = 0;

void v_Use(void const *p_result)
{
    p_Sink = p_result;
}

std::string co_Line(unsigned int n_number)
{
    char s_head[32];
    std::snprintf(s_head, sizeof s_head, "line %07u ", n_number);
    std::string co_line(s_head);
    while (co_line.size() < n_LineLength)
        co_line += static_cast<char>('a' + co_line.size() % 26);
    return co_line;
}

std::string co_Count(unsigned int n_count)
{
    unsigned int n_power = 0;
    unsigned int n_rest = n_count;
    while (n_rest >= 10 && n_rest % 10 == 0)
    {
        n_rest /= 10;
        ++n_power;
    }
    if (n_rest == 1 && n_power > 1)
        return "10^" + std::to_string(n_power);
    return std::to_string(n_count);
}

void v_Progress(char const *p_format, ...)
{
    va_list p_arguments;
    va_start(p_arguments, p_format);
    std::vfprintf(stderr, p_format, p_arguments);
    va_end(p_arguments);
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
}
} // namespace bench
