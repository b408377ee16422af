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

// Elements of 16 characters, file_1000000.txt on.
std::string co_Element(int64_t n_element)
{
    return "file_" + std::to_string(1000000 + n_element) + ".txt";
}

void v_AddElement(benchmark::State &co_state)
{
    std::vector<CT_String> co_elements;
    for (int64_t n_element = 0; n_element < co_state.range(0); ++n_element)
        co_elements.emplace_back(co_Element(n_element).c_str());
    for (auto _ : co_state)
    {
        CT_String co_list;
        for (CT_String const &co_element : co_elements)
            co_list.v_AddElement(co_element);
        if (co_list.n_GetNumberOfElement() != co_elements.size())
            co_state.SkipWithError("the list lost elements");
    }
}

// Walk to the closing zero and copy the element with its terminator; the zeroed
// room closes the list.
void v_AddElementWithC(benchmark::State &co_state)
{
    std::string const co_element = co_Element(0);
    for (auto _ : co_state)
    {
        std::unique_ptr<char[]> p_list(new char[co_state.range(0) * (co_element.size() + 1) + 1]());
        for (int64_t n_element = 0; n_element < co_state.range(0); ++n_element)
        {
            char *p_end = p_list.get();
            while (*p_end)
                p_end += std::strlen(p_end) + 1;
            std::memcpy(p_end, co_element.c_str(), co_element.size() + 1);
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
    bool b_quadratic; // by design: reported, not judged
};

CT_Case const s_Cases[] = {
    {"v_Replace", v_Replace, "std::string find+append", v_ReplaceReference, false},
    {"co_GetMid", v_GetMid, "std::string substr", v_Substr, false},
    {"String +=", v_Append, "strlen+memcpy", v_AppendWithC, true},
    {"v_AddElement", v_AddElement, "strlen walk", v_AddElementWithC, true},
};

// Medians of five runs, on CPU time: the machine is shared, and waiting for
// it is not our cost.
void v_Register(std::string const &co_name, void (*f_case)(benchmark::State &), bool b_quadratic)
{
    benchmark::RegisterBenchmark(co_name.c_str(),
                                 [f_case](benchmark::State &co_state) {
                                     f_case(co_state);
                                     co_state.SetComplexityN(co_state.range(0));
                                 })
        ->RangeMultiplier(10)
        ->Range(b_quadratic ? 1000 : 100000, b_quadratic ? 10000 : 10000000)
        ->Complexity(b_quadratic ? benchmark::oNSquared : benchmark::oN)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

// Keeps each run's median CPU time per iteration, by name and size.
class CT_Collector : public benchmark::ConsoleReporter
{
public:
    CT_Collector() : ConsoleReporter(OO_Tabular) {}

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
} // namespace

int main(int i_argc, char **p_argv)
{
    for (CT_Case const &co_case : s_Cases)
    {
        v_Register(std::string(co_case.p_name) + "/ours", co_case.f_ours, co_case.b_quadratic);
        v_Register(std::string(co_case.p_name) + "/reference", co_case.f_reference, co_case.b_quadratic);
    }
    benchmark::Initialize(&i_argc, p_argv);
    CT_Collector co_collector;
    benchmark::RunSpecifiedBenchmarks(&co_collector);
    std::printf("\n");
    CT_Targets co_targets;
    for (CT_Case const &co_case : s_Cases)
    {
        std::map<int64_t, double> &co_reference = co_collector.co_ms[std::string(co_case.p_name) + "/reference"];
        std::vector<CT_Timing> co_sizes;
        for (auto const &co_ours : co_collector.co_ms[std::string(co_case.p_name) + "/ours"])
            co_sizes.push_back(CT_Timing{co_case.p_name, co_ours.first, co_ours.second, co_case.p_reference,
                                         co_reference[co_ours.first]});
        co_targets.v_Case(co_sizes, co_case.b_quadratic ? 0 : d_RatioLimit, co_case.b_quadratic ? 0 : d_GrowthLimit);
    }
    return co_targets.n_Misses() ? 1 : 0;
}
