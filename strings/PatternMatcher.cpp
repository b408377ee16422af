#include "PatternMatcher.h"

#include <cstring>

CT_PatternMatcher::CT_PatternMatcher(unsigned char const *p_pattern, unsigned int n_length)
    : p_pattern(p_pattern), n_length(n_length), no_fallback(n_length + 1, 0), n_matched(0)
{
    v_BuildFallbacks();
}

// The failure table of Knuth, Morris and Pratt: no_fallback[n] is the length
// of the longest proper prefix of the pattern's first n bytes that is also
// their suffix.
void CT_PatternMatcher::v_BuildFallbacks()
{
    unsigned int n_border = 0;
    for (unsigned int n_index = 1; n_index < n_length; ++n_index)
    {
        while (n_border > 0 && p_pattern[n_index] != p_pattern[n_border])
            n_border = no_fallback[n_border];
        if (p_pattern[n_index] == p_pattern[n_border])
            ++n_border;
        no_fallback[n_index + 1] = n_border;
    }
}

void CT_PatternMatcher::v_Step(unsigned char c_byte)
{
    while (n_matched > 0 && c_byte != p_pattern[n_matched])
        n_matched = no_fallback[n_matched];
    if (c_byte == p_pattern[n_matched])
        ++n_matched;
}

unsigned int CT_PatternMatcher::n_Feed(unsigned char const *p_bytes, unsigned int n_count)
{
    if (b_Found())
        return 0;
    unsigned int n_at = 0;
    while (n_at < n_count)
    {
        if (n_matched == 0)
        {
            // Nothing matched yet: let the library skip to the next first byte.
            void const *p_hit = std::memchr(p_bytes + n_at, p_pattern[0], n_count - n_at);
            if (p_hit == 0)
                return n_count;
            n_at = static_cast<unsigned int>(static_cast<unsigned char const *>(p_hit) - p_bytes) + 1;
            n_matched = 1;
        }
        else
            v_Step(p_bytes[n_at++]);
        if (b_Found())
            return n_at;
    }
    return n_count;
}

int CT_PatternMatcher::b_Found() const
{
    return n_matched == n_length ? 1 : 0;
}

void CT_PatternMatcher::v_Reset()
{
    n_matched = 0;
}

int CT_PatternMatcher::b_Find(unsigned char const *p_text, unsigned int n_textlength, unsigned int n_start,
                              unsigned int *p_found)
{
    v_Reset();
    if (n_start > n_textlength)
        return 0;
    unsigned int const n_used = n_Feed(p_text + n_start, n_textlength - n_start);
    if (!b_Found())
        return 0;
    *p_found = n_start + n_used - n_length;
    return 1;
}
