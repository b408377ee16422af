// The platform-free string cases on Google Benchmark, each beside a reference
// written with the standard library; after the runs the targets are judged
// (see README.md) and the program exits with 1 if one was missed.
#include "CT_String.h"
#include "Targets.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
// One marker every 100 characters: 10^4 markers in 1 MB.
unsigned int const n_MarkerSpacing = 100;
char const c_Marker = '%';
char const s_Replacement[] = "abcde";
std::string const co_Line(60, 'a');

std::string co_MarkedText(int64_t n_size)
{
    std::string co_text(static_cast<size_t>(n_size), ' ');
    for (size_t n_at = 0; n_at < co_text.size(); ++n_at)
        co_text[n_at] = n_at % n_MarkerSpacing == n_MarkerSpacing - 1 ? c_Marker : 'a' + n_at % 26;
    return co_text;
}

// Replace-all as one writes it with std::string: room reserved ahead, one pass.
std::string co_ReplaceAll(std::string const &co_text)
{
    size_t const n_new = std::strlen(s_Replacement);
    std::string co_result;
    co_result.reserve(co_text.size() + std::count(co_text.begin(), co_text.end(), c_Marker) * n_new);
    size_t n_from = 0;
    for (size_t n_at; (n_at = co_text.find(c_Marker, n_from)) != std::string::npos; n_from = n_at + 1)
        co_result.append(co_text, n_from, n_at - n_from).append(s_Replacement, n_new);
    return co_result.append(co_text, n_from, std::string::npos);
}

void v_Replace(benchmark::State &co_state)
{
    std::string const co_source = co_MarkedText(co_state.range(0));
    CT_String co_once(co_source.c_str());
    co_once.v_Replace(c_Marker, s_Replacement);
    if (co_ReplaceAll(co_source) != static_cast<char const *>(co_once))
        co_state.SkipWithError("v_Replace gave another text than the reference");
    for (auto _ : co_state)
    {
        co_state.PauseTiming();
        CT_String co_text(co_source.c_str());
        co_state.ResumeTiming();
        co_text.v_Replace(c_Marker, s_Replacement);
        benchmark::DoNotOptimize(co_text);
    }
}

void v_ReplaceReference(benchmark::State &co_state)
{
    std::string const co_source = co_MarkedText(co_state.range(0));
    for (auto _ : co_state)
        benchmark::DoNotOptimize(co_ReplaceAll(co_source));
}

// The middle eight tenths of the text.
void v_GetMid(benchmark::State &co_state)
{
    std::string const co_source = co_MarkedText(co_state.range(0));
    int const i_start = static_cast<int>(co_source.size() / 10);
    int const i_count = static_cast<int>(co_source.size() * 8 / 10);
    CT_String co_text(co_source.c_str());
    if (co_source.substr(i_start, i_count) != static_cast<char const *>(co_text.co_GetMid(i_start, i_count)))
        co_state.SkipWithError("co_GetMid gave another text than substr");
    for (auto _ : co_state)
        benchmark::DoNotOptimize(co_text.co_GetMid(i_start, i_count));
}

void v_Substr(benchmark::State &co_state)
{
    std::string const co_source = co_MarkedText(co_state.range(0));
    for (auto _ : co_state)
        benchmark::DoNotOptimize(co_source.substr(co_source.size() / 10, co_source.size() * 8 / 10));
}

// Appending walks the whole text to find its end, and adding an element walks
// the list: both are quadratic by design. The references make the same walks
// with strlen and memcpy into room reserved ahead, the least the rules allow.
void v_Append(benchmark::State &co_state)
{
    size_t const n_appends = static_cast<size_t>(co_state.range(0));
    for (auto _ : co_state)
    {
        CT_String co_text;
        for (size_t n_append = 0; n_append < n_appends; ++n_append)
            co_text += co_Line.c_str();
        if (co_text.n_GetStringSize() != n_appends * co_Line.size())
            co_state.SkipWithError("appending lost text");
    }
}

void v_AppendWithC(benchmark::State &co_state)
{
    size_t const n_appends = static_cast<size_t>(co_state.range(0));
    for (auto _ : co_state)
    {
        std::unique_ptr<char[]> p_text(new char[n_appends * co_Line.size() + 1]());
        for (size_t n_append = 0; n_append < n_appends; ++n_append)
            std::memcpy(p_text.get() + std::strlen(p_text.get()), co_Line.c_str(), co_Line.size() + 1);
        benchmark::DoNotOptimize(p_text.get());
        benchmark::ClobberMemory();
    }
}

std::vector<std::string> co_Elements(int64_t n_elements)
{
    std::vector<std::string> co_elements;
    for (int64_t n_element = 0; n_element < n_elements; ++n_element)
        co_elements.push_back("file_" + std::to_string(1000000 + n_element) + ".txt");
    return co_elements;
}

void v_AddElement(benchmark::State &co_state)
{
    std::vector<CT_String> co_elements;
    for (std::string const &co_name : co_Elements(co_state.range(0)))
        co_elements.emplace_back(co_name.c_str());
    for (auto _ : co_state)
    {
        CT_String co_list;
        for (CT_String const &co_element : co_elements)
            co_list.v_AddElement(co_element);
        if (co_list.n_GetNumberOfElement() != co_elements.size())
            co_state.SkipWithError("the list lost elements");
    }
}

// Walk to the closing zero, copy the element with its terminator, close the list.
void v_AddElementWithC(benchmark::State &co_state)
{
    std::vector<std::string> const co_elements = co_Elements(co_state.range(0));
    for (auto _ : co_state)
    {
        std::unique_ptr<char[]> p_list(new char[co_elements.size() * 17 + 2]());
        for (std::string const &co_element : co_elements)
        {
            char *p_end = p_list.get();
            while (*p_end)
                p_end += std::strlen(p_end) + 1;
            std::memcpy(p_end, co_element.c_str(), co_element.size() + 1);
            p_end[co_element.size() + 1] = 0;
        }
        benchmark::DoNotOptimize(p_list.get());
        benchmark::ClobberMemory();
    }
}

struct CT_Case
{
    char const *p_name;
    void (*f_ours)(benchmark::State &);
    char const *p_reference;
    void (*f_reference)(benchmark::State &);
    std::vector<int64_t> co_sizes;
    benchmark::BigO e_order;
    double d_ratio_limit;  // 0: quadratic by design, reported only
    double d_growth_limit; // ours over the reference's, for 10x the size
};

std::vector<CT_Case> const co_Cases = {
    {"v_Replace", v_Replace, "std::string find+append", v_ReplaceReference, {100000, 1000000, 10000000},
     benchmark::oN, d_RatioLimit, d_GrowthLimit},
    {"co_GetMid", v_GetMid, "std::string substr", v_Substr, {100000, 1000000, 10000000}, benchmark::oN, d_RatioLimit, d_GrowthLimit},
    {"String +=", v_Append, "strlen+memcpy", v_AppendWithC, {1000, 10000}, benchmark::oNSquared, 0, 0},
    {"v_AddElement", v_AddElement, "strlen walk", v_AddElementWithC, {1000, 10000}, benchmark::oNSquared, 0, 0},
};

void v_Register(std::string const &co_name, void (*f_case)(benchmark::State &), CT_Case const &co_case)
{
    benchmark::internal::Benchmark *p_benchmark =
        benchmark::RegisterBenchmark(co_name.c_str(), [f_case](benchmark::State &co_state) {
            f_case(co_state);
            co_state.SetComplexityN(co_state.range(0));
        });
    for (int64_t n_size : co_case.co_sizes)
        p_benchmark->Arg(n_size);
    // Medians of five, on CPU time: the machine is shared, and waiting for it is not our cost.
    p_benchmark->Complexity(co_case.e_order)->Unit(benchmark::kMillisecond)->Repetitions(5);
    p_benchmark->ReportAggregatesOnly(true);
}

// Keeps each case's median CPU time per iteration, by name and size.
class CT_Collector : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(std::vector<Run> const &co_runs) override
    {
        for (Run const &co_run : co_runs)
            if (co_run.aggregate_name == "median" || co_run.error_occurred)
                co_ms[co_run.run_name.function_name][std::stoll(co_run.run_name.args)] =
                    co_run.error_occurred ? NAN : co_run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(co_runs);
    }

    std::map<std::string, std::map<int64_t, double>> co_ms;
};

void v_Judge(CT_Case const &co_case, CT_Collector &co_collector, CT_Targets &co_targets)
{
    std::map<int64_t, double> &co_ours = co_collector.co_ms[std::string(co_case.p_name) + "/ours"];
    std::map<int64_t, double> &co_reference = co_collector.co_ms[std::string(co_case.p_name) + "/reference"];
    std::vector<CT_Timing> co_timings;
    for (int64_t n_size : co_case.co_sizes)
        if (co_ours.count(n_size) && co_reference.count(n_size))
            co_timings.push_back(
                CT_Timing{co_case.p_name, n_size, co_ours[n_size], co_case.p_reference, co_reference[n_size]});
    co_targets.v_Case(co_timings, co_case.d_ratio_limit, co_case.d_growth_limit);
}
} // namespace

int main(int i_argc, char **p_argv)
{
    for (CT_Case const &co_case : co_Cases)
    {
        v_Register(std::string(co_case.p_name) + "/ours", co_case.f_ours, co_case);
        v_Register(std::string(co_case.p_name) + "/reference", co_case.f_reference, co_case);
    }
    benchmark::Initialize(&i_argc, p_argv);
    CT_Collector co_collector;
    benchmark::RunSpecifiedBenchmarks(&co_collector);
    std::printf("\n");
    CT_Targets co_targets;
    for (CT_Case const &co_case : co_Cases)
        v_Judge(co_case, co_collector, co_targets);
    return co_targets.n_Misses() ? 1 : 0;
}
