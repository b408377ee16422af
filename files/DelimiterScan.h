// CT_DelimiterScan: finds where a byte pattern first ends in a stream of bytes
// fed in pieces of any size. Free of any platform call, so the native build
// can test and fuzz it.
//
//   CT_DelimiterScan co_scan(p_pattern, n_length);
//   unsigned int n_used = co_scan.n_Feed(p_block, n_count); // bytes up to the match end
//   if (co_scan.b_Found()) ...                              // else feed the next block
#ifndef DELIMITER_SCAN_H
#define DELIMITER_SCAN_H

#include <vector>

class CT_DelimiterScan
{
public:
    /// A scan for the pattern's bytes; an empty pattern is found at once.
    CT_DelimiterScan(unsigned char const *p_pattern, unsigned int n_length);

    /// Consumes bytes up to and including the end of the first occurrence,
    /// or all of them; returns how many it consumed.
    unsigned int n_Feed(unsigned char const *p_bytes, unsigned int n_count);
    /// 1 once an occurrence has ended; later feeds consume nothing.
    int b_Found() const;
    /// Forgets any partial match, so the next feed starts a new scan.
    void v_Reset();

private:
    void v_BuildFallbacks();

    std::vector<unsigned char> co_pattern;
    // For each matched length, the longest proper border of that prefix: where
    // a broken partial match resumes, so an occurrence that begins inside it
    // is still found.
    std::vector<unsigned int> co_fallback;
    unsigned int n_matched;
};

#endif
