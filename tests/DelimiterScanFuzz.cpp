// Fuzzes CT_DelimiterScan against the plain one-byte-at-a-time scan: after
// every byte, does the text read so far end with the pattern? Both must stop
// at the same bytes, scan after scan, however the text is cut into blocks.
#include "DelimiterScan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
// Longest pattern tried: long enough for nested borders such as "aabaab".
unsigned int const n_MaxPattern = 8;

struct FuzzInput
{
    std::vector<unsigned char> co_pattern;
    std::vector<unsigned char> co_text;
    uint32_t n_seed;
};

// A few distinct byte values make partial and overlapping matches common.
unsigned char c_Fold(unsigned char c_byte, int b_small)
{
    return b_small ? static_cast<unsigned char>('\n' + c_byte % 3) : c_byte;
}

bool b_Parse(uint8_t const *p_data, size_t n_size, FuzzInput &co_input)
{
    if (n_size < 3)
        return false;
    unsigned int const n_length = p_data[0] % (n_MaxPattern + 1);
    int const b_small = p_data[1] & 1;
    co_input.n_seed = p_data[2];
    p_data += 3;
    n_size -= 3;
    if (n_size < n_length)
        return false;
    for (unsigned int n_index = 0; n_index < n_length; ++n_index)
        co_input.co_pattern.push_back(c_Fold(p_data[n_index], b_small));
    for (size_t n_index = n_length; n_index < n_size; ++n_index)
        co_input.co_text.push_back(c_Fold(p_data[n_index], b_small));
    return true;
}

// Where one scan from n_start stops (one past the occurrence), or 0 if none.
size_t n_ReferenceStop(FuzzInput const &co_input, size_t n_start)
{
    size_t const n_length = co_input.co_pattern.size();
    if (n_length == 0)
        return n_start;
    for (size_t n_end = n_start + 1; n_end <= co_input.co_text.size(); ++n_end)
    {
        if (n_end - n_start < n_length)
            continue;
        if (std::memcmp(&co_input.co_text[n_end - n_length], co_input.co_pattern.data(), n_length) == 0)
            return n_end;
    }
    return 0;
}

// The same scan through the matcher, fed blocks of pseudo-random sizes.
size_t n_ChunkedStop(FuzzInput const &co_input, size_t n_start, uint32_t &n_state)
{
    CT_DelimiterScan co_scan(co_input.co_pattern.data(), static_cast<unsigned int>(co_input.co_pattern.size()));
    size_t n_position = n_start;
    if (co_scan.b_Found())
        return n_position;
    while (n_position < co_input.co_text.size())
    {
        n_state = n_state * 1103515245u + 12345u;
        size_t n_block = 1 + (n_state >> 16) % 17;
        if (n_block > co_input.co_text.size() - n_position)
            n_block = co_input.co_text.size() - n_position;
        unsigned int const n_used = co_scan.n_Feed(&co_input.co_text[n_position], static_cast<unsigned int>(n_block));
        if (n_used > n_block)
            std::abort();
        n_position += n_used;
        if (co_scan.b_Found())
            return n_position;
        if (n_used != n_block)
            std::abort();
    }
    return 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    FuzzInput co_input;
    if (!b_Parse(p_data, n_size, co_input))
        return 0;
    uint32_t n_state = co_input.n_seed;
    size_t n_start = 0;
    // Successive scans, as repeated reads up to a delimiter make them.
    for (;;)
    {
        size_t const n_expected = n_ReferenceStop(co_input, n_start);
        size_t const n_actual = n_ChunkedStop(co_input, n_start, n_state);
        if (n_expected != n_actual)
            std::abort();
        if (n_expected == 0 || n_expected == n_start)
            return 0;
        n_start = n_expected;
    }
}
