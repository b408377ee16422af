// Fuzzes CT_DelimiterScan against the plain scan that checks, after every
// byte, whether the text so far ends with the pattern. Repeated scans must
// stop at the same bytes however the text is cut into blocks.
#include "DelimiterScan.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
        c_byte = (p_data[1] & 1) ? '\n' + c_byte % 3 : c_byte;
    uint8_t const *const p_text = co_bytes.data() + n_length;
    size_t const n_text = co_bytes.size() - n_length;
    for (size_t n_start = 0;;)
    {
        size_t n_expected = n_start + n_length; // one past the first occurrence; beyond the text if none
        while (n_expected <= n_text && std::memcmp(p_text + n_expected - n_length, co_bytes.data(), n_length) != 0)
            ++n_expected;
        CT_DelimiterScan co_scan(co_bytes.data(), static_cast<unsigned int>(n_length));
        size_t n_at = n_start;
        while (!co_scan.b_Found() && n_at < n_text)
        {
            n_state = n_state * 1103515245u + 12345u;
            size_t const n_block = std::min<size_t>(1 + (n_state >> 16) % 17, n_text - n_at);
            size_t const n_used = co_scan.n_Feed(p_text + n_at, static_cast<unsigned int>(n_block));
            if (n_used > n_block || (n_used < n_block && !co_scan.b_Found()))
                std::abort();
            n_at += n_used;
        }
        if (co_scan.b_Found() != (n_expected <= n_text) || (co_scan.b_Found() && n_at != n_expected))
            std::abort();
        if (!co_scan.b_Found() || n_at == n_start)
            return 0;
        n_start = n_at;
    }
}
