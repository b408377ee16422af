// Fuzzes CT_PatternMatcher against the naive search (std::search compares the
// pattern at every position). From any start, the search in a whole text must
// report the same occurrence, and the streaming form must stop right after it
// however the text is cut into blocks.
#include "PatternMatcher.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    if (n_size < 3 || n_size < 3u + p_data[0] % 9)
        return 0;
    // Up to 8 pattern bytes; folding onto three values makes partial and
    // overlapping matches common.
    size_t const n_length = p_data[0] % 9;
    uint32_t n_state = p_data[2];
    std::basic_string<uint8_t> co_bytes(p_data + 3, p_data + n_size);
    for (uint8_t &c_byte : co_bytes)
        c_byte = (p_data[1] & 1) ? 'a' + c_byte % 3 : c_byte;
    uint8_t const *const p_text = co_bytes.data() + n_length;
    unsigned int const n_text = static_cast<unsigned int>(co_bytes.size() - n_length);
    CT_PatternMatcher co_matcher(co_bytes.data(), static_cast<unsigned int>(n_length));
    for (unsigned int n_start = 0; n_start <= n_text; n_start += 1 + (p_data[1] >> 1) % 5)
    {
        size_t const n_expected = std::search(p_text + n_start, p_text + n_text, co_bytes.data(),
                                              co_bytes.data() + n_length) - p_text;
        int const b_expected = n_expected + n_length <= n_text;
        unsigned int n_found = 0;
        if (co_matcher.b_Find(p_text, n_text, n_start, &n_found) != b_expected || (b_expected && n_found != n_expected))
            std::abort(); // the whole-text search disagrees with the naive one
        co_matcher.v_Reset();
        unsigned int n_at = n_start;
        while (!co_matcher.b_Found() && n_at < n_text)
        {
            n_state = n_state * 1103515245u + 12345u;
            unsigned int const n_block = std::min(1 + (n_state >> 16) % 17, n_text - n_at);
            unsigned int const n_used = co_matcher.n_Feed(p_text + n_at, n_block);
            if (n_used > n_block || (n_used < n_block && !co_matcher.b_Found()))
                std::abort(); // consumed past the match's end, or stopped short without a match
            n_at += n_used;
        }
        if (co_matcher.b_Found() != b_expected || (b_expected && n_at != n_expected + n_length))
            std::abort(); // the streaming form stopped elsewhere than just past the first occurrence
    }
    return 0;
}
