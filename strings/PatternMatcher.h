// CT_PatternMatcher: finds a byte pattern in a text, or where it first ends
// in a stream of bytes fed in pieces of any size. Both the string's search
// and the file scans use it; it needs no platform, so the native build tests
// and fuzzes it.
//
//   CT_PatternMatcher co_matcher(p_pattern, n_length);
//   unsigned int n_used = co_matcher.n_Feed(p_block, n_count); // bytes up to the match end
//   if (co_matcher.b_Found()) ...                              // else feed the next block
#ifndef PATTERN_MATCHER_H
#define PATTERN_MATCHER_H

#include <vector>

class CT_PatternMatcher
{
public:
    /// A matcher for the pattern's bytes, which must outlive it; an empty
    /// pattern is found at once.
    CT_PatternMatcher(unsigned char const *p_pattern, unsigned int n_length);

    /// Consumes bytes up to and including the end of the first occurrence,
    /// or all of them; returns how many it consumed.
    unsigned int n_Feed(unsigned char const *p_bytes, unsigned int n_count);
    /// 1 once an occurrence has ended; later feeds consume nothing.
    int b_Found() const;
    /// Forgets any partial match, so the next feed starts a new scan.
    void v_Reset();

    /// A new scan of the text from the start: 1 and the position of the first
    /// occurrence that begins there or later and ends within the length; else 0.
    int b_Find(unsigned char const *p_text, unsigned int n_textlength, unsigned int n_start,
               unsigned int *p_found);

private:
    void v_BuildFallbacks();
    void v_Step(unsigned char c_byte);

    unsigned char const *p_pattern;
    unsigned int n_length;
    // For each matched length, the longest proper border of that prefix: where
    // a broken partial match resumes, so an occurrence that begins inside it
    // is still found and no byte is read twice.
    std::vector<unsigned int> no_fallback;
    unsigned int n_matched;
};

#endif
