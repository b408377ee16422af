// Operation sequences on CT_String drawn from libFuzzer's input, checked after
// every step against the model of support/StringModel.h.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "StringModel.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    FuzzedDataProvider co_data(p_data, n_size);
    if (!FirstDifference(co_data).empty())
        std::abort(); // the string left its model: the input shows how
    return 0;
}
