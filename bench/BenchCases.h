// The benchmark cases; each adds its rows to the table.
#ifndef BENCH_CASES_H
#define BENCH_CASES_H

#include "BenchSupport.h"

namespace bench
{
/// Log appends against std::string.
void v_BenchLog(CT_Table &co_table);
/// Line reading against the naive one-byte reader and a whole-file split.
void v_BenchRead(CT_Table &co_table, CT_ScratchFolder &co_scratch);
/// Replacing markers and taking large middles against std::string.
void v_BenchReplace(CT_Table &co_table);
/// Appending to a plain string and adding list elements.
void v_BenchAppend(CT_Table &co_table);
/// A small safe save with the library's flushes against raw Win32 calls.
void v_BenchSave(CT_Table &co_table, CT_ScratchFolder &co_scratch);
} // namespace bench

#endif
