// Operation sequences on CT_String drawn from libFuzzer's input, checked after
// every step against the model of support/StringModel.h.
#include <fuzzer/FuzzedDataProvider.h>

#include "StringModel.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    if (!FirstDifference(FuzzedDataProvider(p_data, n_size)).empty())
        __builtin_trap(); // the string left its model: the input shows how
    return 0;
}
