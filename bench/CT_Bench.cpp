// CommonBench: times the library's bulk operations beside a reference for
// each and prints the results as Markdown tables (see README.md).
//
//   CommonBench.exe                 every case
//   CommonBench.exe read save       only the cases named
#include "BenchCases.h"

#include "CT_Errors.h"
#include "CT_String.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace
{
struct CT_Case
{
    char const *p_name;
    void (*f_run)(bench::CT_Table &, bench::CT_ScratchFolder &);
};

CT_Case const s_Cases[] = {
    {"log", [](bench::CT_Table &co_table, bench::CT_ScratchFolder &) { bench::v_BenchLog(co_table); }},
    {"read", bench::v_BenchRead},
    {"replace", [](bench::CT_Table &co_table, bench::CT_ScratchFolder &) { bench::v_BenchReplace(co_table); }},
    {"append", [](bench::CT_Table &co_table, bench::CT_ScratchFolder &) { bench::v_BenchAppend(co_table); }},
    {"save", bench::v_BenchSave},
};

bool b_Selected(char const *p_name, int i_argc, char **p_argv)
{
    if (i_argc < 2)
        return true;
    for (int i_arg = 1; i_arg < i_argc; ++i_arg)
        if (std::strcmp(p_argv[i_arg], p_name) == 0)
            return true;
    return false;
}

void v_PrintMachine()
{
    SYSTEMTIME co_now;
    GetLocalTime(&co_now);
    SYSTEM_INFO co_system;
    GetSystemInfo(&co_system);
    std::printf("CommonBench, %u-bit, %lu processors, %04u-%02u-%02u %02u:%02u\n\n",
                static_cast<unsigned int>(sizeof(void *) * 8), co_system.dwNumberOfProcessors,
                co_now.wYear, co_now.wMonth, co_now.wDay, co_now.wHour, co_now.wMinute);
}
} // namespace

int main(int i_argc, char **p_argv)
{
    bench::CT_Table co_table;
    try
    {
        bench::CT_ScratchFolder co_scratch;
        for (CT_Case const &co_case : s_Cases)
        {
            if (!b_Selected(co_case.p_name, i_argc, p_argv))
                continue;
            bench::v_Progress("== %s", co_case.p_name);
            co_case.f_run(co_table, co_scratch);
        }
    }
    catch (et_ErrorCode e_code)
    {
        std::fprintf(stderr, "The library raised code %d with the parameter \"%s\".\n", static_cast<int>(e_code),
                     static_cast<char const *>(CT_Errors::co_GetLastParameter()));
        return 2;
    }
    catch (std::exception const &co_error)
    {
        std::fprintf(stderr, "Benchmark failed: %s\n", co_error.what());
        return 2;
    }
    v_PrintMachine();
    co_table.v_Print();
    std::printf("\nTargets missed or results wrong: %u\n", co_table.n_Misses());
    return 0;
}
