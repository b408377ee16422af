#include "DelimiterScan.h"

CT_DelimiterScan::CT_DelimiterScan(unsigned char const *p_pattern, unsigned int n_length)
    : co_pattern(p_pattern, p_pattern + n_length), co_fallback(n_length + 1, 0), n_matched(0)
{
    v_BuildFallbacks();
}

// The failure table of Knuth, Morris and Pratt: co_fallback[n] is the length
// of the longest proper prefix of the pattern's first n bytes that is also
// their suffix.
void CT_DelimiterScan::v_BuildFallbacks()
{
    unsigned int n_border = 0;
    for (unsigned int n_index = 1; n_index < co_pattern.size(); ++n_index)
    {
        while (n_border > 0 && co_pattern[n_index] != co_pattern[n_border])
            n_border = co_fallback[n_border];
        if (co_pattern[n_index] == co_pattern[n_border])
            ++n_border;
        co_fallback[n_index + 1] = n_border;
    }
}

unsigned int CT_DelimiterScan::n_Feed(unsigned char const *p_bytes, unsigned int n_count)
{
    if (b_Found())
        return 0;
    for (unsigned int n_index = 0; n_index < n_count; ++n_index)
    {
        unsigned char const c_byte = p_bytes[n_index];
        while (n_matched > 0 && c_byte != co_pattern[n_matched])
            n_matched = co_fallback[n_matched];
        if (c_byte == co_pattern[n_matched])
            ++n_matched;
        if (b_Found())
            return n_index + 1;
    }
    return n_count;
}

int CT_DelimiterScan::b_Found() const
{
    return n_matched == co_pattern.size() ? 1 : 0;
}

void CT_DelimiterScan::v_Reset()
{
    n_matched = 0;
}
