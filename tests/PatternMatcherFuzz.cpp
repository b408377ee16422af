// Fuzzes CT_PatternMatcher against the naive search that compares the pattern
// at every position. The streaming form must stop right after the same
// occurrences however the text is cut into blocks; the search in a whole text
// must report the same positions from any start.
#include "PatternMatcher.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
typedef std::basic_string<uint8_t> Bytes;

/// The first position at or after the start where the pattern begins and ends
/// within the text, or Bytes::npos when there is none.
size_t NaiveFind(Bytes const &co_text, Bytes const &co_pattern, size_t n_start)
{
    for (size_t n_at = n_start; n_at + co_pattern.size() <= co_text.size(); ++n_at)
        if (std::memcmp(co_text.data() + n_at, co_pattern.data(), co_pattern.size()) == 0)
            return n_at;
    return Bytes::npos;
}

/// Feeds the text from the start in blocks of 1 to 17 bytes until the
/// pattern ends; returns the offset just past it, or the text's size.
size_t StreamPast(CT_PatternMatcher &co_matcher, Bytes const &co_text, size_t n_start, uint32_t &n_state)
{
    co_matcher.v_Reset();
    size_t n_at = n_start;
    while (!co_matcher.b_Found() && n_at < co_text.size())
    {
        n_state = n_state * 1103515245u + 12345u;
        size_t const n_block = std::min<size_t>(1 + (n_state >> 16) % 17, co_text.size() - n_at);
        size_t const n_used = co_matcher.n_Feed(co_text.data() + n_at, static_cast<unsigned int>(n_block));
        if (n_used > n_block || (n_used < n_block && !co_matcher.b_Found()))
            std::abort(); // consumed bytes past the match end, or stopped short without a match
        n_at += n_used;
    }
    return n_at;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const *p_data, size_t n_size)
{
    if (n_size < 3 || n_size < 3u + p_data[0] % 9)
        return 0;
    // Up to 8 pattern bytes; folding onto three values makes partial and
    // overlapping matches common.
    size_t const n_length = p_data[0] % 9;
    uint32_t n_state = p_data[2];
    Bytes co_bytes(p_data + 3, p_data + n_size);
    for (uint8_t &c_byte : co_bytes)
        c_byte = (p_data[1] & 1) ? 'a' + c_byte % 3 : c_byte;
    Bytes const co_pattern = co_bytes.substr(0, n_length);
    Bytes const co_text = co_bytes.substr(n_length);
    CT_PatternMatcher co_matcher(co_pattern.data(), static_cast<unsigned int>(n_length));
    for (size_t n_start = 0; n_start <= co_text.size(); n_start += 1 + (p_data[1] >> 1) % 5)
    {
        size_t const n_expected = NaiveFind(co_text, co_pattern, n_start);
        unsigned int n_found = 0;
        int const b_found = co_matcher.b_Find(co_text.data(), static_cast<unsigned int>(co_text.size()),
                                              static_cast<unsigned int>(n_start), &n_found);
        if (b_found != (n_expected != Bytes::npos) || (b_found && n_found != n_expected))
            std::abort(); // the whole-text search disagrees with the naive one
        size_t const n_past = StreamPast(co_matcher, co_text, n_start, n_state);
        if (co_matcher.b_Found() != b_found || (b_found && n_past != n_expected + n_length))
            std::abort(); // the streaming form stopped elsewhere than past the first occurrence
    }
    return 0;
}
