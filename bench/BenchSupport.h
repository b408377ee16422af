// Timing, scratch files and the result tables shared by the benchmark cases.
//
//   CT_Median co_ours = co_Measure([&] { CT_Stopwatch co_watch; work(); return co_watch.d_Ms(); });
//   co_table.v_Add(CT_Row{"Log", "10^4 lines", co_ours, "std::string", co_ref, e_AtMost, 3.0});
#ifndef BENCH_SUPPORT_H
#define BENCH_SUPPORT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench
{
/// Milliseconds since the watch was made, from the performance counter.
class CT_Stopwatch
{
public:
    CT_Stopwatch();
    double d_Ms() const;

private:
    LARGE_INTEGER n_start;
};

/// One run of a measurement: does its own set-up, times only the work with a
/// CT_Stopwatch and returns those milliseconds.
typedef std::function<double()> ft_Run;

/// The median of a measurement's runs, and how many runs there were.
struct CT_Median
{
    double d_ms;
    unsigned int n_runs;
};

/// Up to n_maxRuns runs, stopping early once the next run would overrun the
/// time budget (a run that takes minutes is measured once, not seven times).
CT_Median co_Measure(ft_Run const &f_run, unsigned int n_maxRuns = 7);
/// The median of runs timed elsewhere (at least one).
CT_Median co_MedianOf(std::vector<double> co_times);
/// A median scaled by a factor, for figures extrapolated from a smaller run.
CT_Median co_Scaled(CT_Median co_median, double d_factor);

/// How a row's ratio (ours / reference) is judged.
enum et_Target
{
    e_Info,      // no target: figures only
    e_AtMost,    // ours / reference <= the limit
    e_FasterBy   // reference / ours >= the limit
};

/// One line of the main table.
struct CT_Row
{
    std::string co_case;
    std::string co_size;
    CT_Median co_ours;
    std::string co_reference;
    CT_Median co_reference_time;
    et_Target e_target;
    double d_limit;
    std::string co_note; // a wrong result, an extrapolation...
    bool b_correct = true;
};

/// One line of the growth table: the time factor between two sizes.
struct CT_Growth
{
    std::string co_case;
    std::string co_sizes;
    double d_size_factor;
    double d_ours_factor;
    double d_reference_factor;
    double d_limit; // 0: no target
};

/// Collects the rows and prints them as Markdown tables.
class CT_Table
{
public:
    void v_Add(CT_Row const &co_row);
    void v_Add(CT_Growth const &co_growth);
    void v_AddNote(std::string const &co_note);
    void v_Print() const;
    /// The number of rows whose target was missed or whose result was wrong.
    unsigned int n_Misses() const;

private:
    void v_PrintRows() const;
    void v_PrintGrowth() const;

    std::vector<CT_Row> co_rows;
    std::vector<CT_Growth> co_growth;
    std::vector<std::string> co_notes;
};

/// A fresh folder under the temporary folder; removed with the files named
/// through it (and their ".old" copies) when it goes.
class CT_ScratchFolder
{
public:
    CT_ScratchFolder();
    ~CT_ScratchFolder();
    CT_ScratchFolder(CT_ScratchFolder const &) = delete;
    CT_ScratchFolder &operator=(CT_ScratchFolder const &) = delete;

    /// The full path of a file in the folder.
    std::string co_File(char const *p_name);

private:
    std::string co_folder;
    std::vector<std::string> co_files;
};

/// Owns a Win32 handle and closes it in one place.
class CT_Handle
{
public:
    explicit CT_Handle(HANDLE h_handle) : h_handle(h_handle) {}
    ~CT_Handle()
    {
        if (b_IsValid())
            CloseHandle(h_handle);
    }
    CT_Handle(CT_Handle const &) = delete;
    CT_Handle &operator=(CT_Handle const &) = delete;

    HANDLE h_Get() const { return h_handle; }
    bool b_IsValid() const { return h_handle != INVALID_HANDLE_VALUE && h_handle != NULL; }

private:
    HANDLE h_handle;
};

/// Hands a result to code the compiler cannot see into, so that the work
/// that made it is not optimised away or moved past the stopwatch.
void v_Use(void const *p_result);

/// A line of 60 printable characters; the number makes each line different.
std::string co_Line(unsigned int n_number);
/// "10^4" for 10000, else the plain number.
std::string co_Count(unsigned int n_count);
/// Prints progress to stderr, so that a long run shows what it is doing.
void v_Progress(char const *p_format, ...);
} // namespace bench

#endif
