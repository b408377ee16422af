#include "BenchCases.h"

#include "CT_LogStream.h"
#include "CT_String.h"

#include <algorithm>
#include <string>
#include <vector>

namespace bench
{
namespace
{
// A size whose single run would take longer than this is not run: a log that
// grows quadratically would keep the program busy for hours at 10^6 lines.
double const d_LongestRunMs = 120000.0;
// Bytes a line adds to the log: 60 characters and CR LF.
unsigned int const n_LineBytes = 62;

double d_OursMs(CT_String const &co_line, unsigned int n_lines, bool &b_correct)
{
    CT_LogStream co_log;
    CT_Stopwatch co_watch;
    for (unsigned int n_line = 0; n_line < n_lines; ++n_line)
        co_log << co_line << co_log.cco_Eof();
    double const d_ms = co_watch.d_Ms();
    b_correct = b_correct && co_log.cco_GetText().n_GetStringSize() == n_lines * n_LineBytes;
    return d_ms;
}

double d_ReferenceMs(std::string const &co_line, unsigned int n_lines, bool &b_correct)
{
    std::string co_log;
    CT_Stopwatch co_watch;
    for (unsigned int n_line = 0; n_line < n_lines; ++n_line)
    {
        co_log += co_line;
        co_log += "\r\n";
    }
    v_Use(co_log.data());
    double const d_ms = co_watch.d_Ms();
    b_correct = b_correct && co_log.size() == n_lines * n_LineBytes;
    return d_ms;
}

// The next size's time if the time keeps growing as between the last two.
double d_Projected(std::vector<CT_Median> const &co_times, double d_size_factor)
{
    if (co_times.size() < 2)
        return co_times.empty() ? 0.0 : co_times.back().d_ms * d_size_factor;
    double const d_last = co_times.back().d_ms;
    double const d_growth = d_last / co_times[co_times.size() - 2].d_ms;
    return d_last * std::max(d_growth, d_size_factor);
}
} // namespace

void v_BenchLog(CT_Table &co_table)
{
    std::string const co_text = co_Line(0);
    CT_String const co_line(co_text.c_str());
    unsigned int const n_counts[] = {10000, 100000, 1000000};
    std::vector<CT_Median> co_ours_times;
    std::vector<CT_Median> co_reference_times;
    for (unsigned int n_lines : n_counts)
    {
        double const d_projected = d_Projected(co_ours_times, 10.0);
        if (d_projected > d_LongestRunMs)
        {
            co_table.v_AddNote("Log with " + co_Count(n_lines) + " lines not run: one run was projected at "
                               + std::to_string(static_cast<long>(d_projected / 1000)) + " s.");
            break;
        }
        bool b_correct = true;
        CT_Median const co_ours = co_Measure([&] { return d_OursMs(co_line, n_lines, b_correct); });
        CT_Median const co_reference =
            co_Measure([&] { return d_ReferenceMs(co_text, n_lines, b_correct); });
        CT_Row co_row{"Log <<", co_Count(n_lines) + " lines", co_ours, "std::string +=", co_reference,
                      e_AtMost, 3.0, ""};
        co_row.b_correct = b_correct;
        co_table.v_Add(co_row);
        if (!co_ours_times.empty())
            co_table.v_Add(CT_Growth{"Log <<", co_Count(n_lines / 10) + " -> " + co_Count(n_lines), 10.0,
                                     co_ours.d_ms / co_ours_times.back().d_ms,
                                     co_reference.d_ms / co_reference_times.back().d_ms, 12.0});
        co_ours_times.push_back(co_ours);
        co_reference_times.push_back(co_reference);
    }
}
} // namespace bench
