#include "DelimiterScan.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Feeds the text in blocks of the given size; returns the bytes consumed when
// the pattern was found, or -1.
int i_StopAfter(std::string const &co_pattern, std::string const &co_text, unsigned int n_block)
{
    CT_DelimiterScan co_scan(reinterpret_cast<unsigned char const *>(co_pattern.data()),
                             static_cast<unsigned int>(co_pattern.size()));
    unsigned int n_position = 0;
    while (!co_scan.b_Found() && n_position < co_text.size())
    {
        unsigned int n_count = static_cast<unsigned int>(co_text.size()) - n_position;
        if (n_count > n_block)
            n_count = n_block;
        n_position += co_scan.n_Feed(reinterpret_cast<unsigned char const *>(co_text.data()) + n_position, n_count);
    }
    return co_scan.b_Found() ? static_cast<int>(n_position) : -1;
}

std::string Units(std::string const &co_narrow)
{
    std::string co_units;
    for (char c_char : co_narrow)
    {
        co_units += c_char;
        co_units += '\0';
    }
    return co_units;
}
} // namespace

TEST(DelimiterScanTest, StopsRightAfterFirstOccurrence)
{
    EXPECT_EQ(5, i_StopAfter("cd", "abXcdcd", 100));
    EXPECT_EQ(2, i_StopAfter("ab", "ab", 1));
    EXPECT_EQ(-1, i_StopAfter("ab", "aXbba", 3));
}

TEST(DelimiterScanTest, FindsOccurrenceStartingInsideBrokenPartialMatch)
{
    // CR CR LF as 16-bit units: the second CR begins the line end.
    std::string const co_text = Units("x\r\r\n");
    for (unsigned int n_block = 1; n_block <= co_text.size(); ++n_block)
        EXPECT_EQ(8, i_StopAfter(Units("\r\n"), co_text, n_block)) << "block " << n_block;
    EXPECT_EQ(7, i_StopAfter("aab", "aaaaaab", 2));
    EXPECT_EQ(7, i_StopAfter("abab", "abaabab", 4));
    EXPECT_EQ(10, i_StopAfter("aabaab", "aabaaabaab", 1));
}

TEST(DelimiterScanTest, MatchesAtOddOffsetsOfUnitText)
{
    // Bytes 0D 00 0A 00 straddle a unit boundary when they begin at byte 1.
    std::string const co_text = std::string("\x41\x0D\x00\x0A\x00", 5);
    EXPECT_EQ(5, i_StopAfter(std::string("\x0D\x00\x0A\x00", 4), co_text, 2));
}

TEST(DelimiterScanTest, MatchSpanningBlocksIsResumed)
{
    std::string const co_text = "0123456789--END--tail";
    for (unsigned int n_block = 1; n_block <= 8; ++n_block)
        EXPECT_EQ(17, i_StopAfter("--END--", co_text, n_block)) << "block " << n_block;
}

TEST(DelimiterScanTest, EmptyPatternIsFoundWithoutConsuming)
{
    CT_DelimiterScan co_scan(reinterpret_cast<unsigned char const *>(""), 0);
    EXPECT_EQ(1, co_scan.b_Found());
    EXPECT_EQ(0u, co_scan.n_Feed(reinterpret_cast<unsigned char const *>("abc"), 3));
}

TEST(DelimiterScanTest, ResetStartsAFreshScanAfterAMatch)
{
    unsigned char const ac_text[] = {'a', 'b', 'a', 'b'};
    CT_DelimiterScan co_scan(reinterpret_cast<unsigned char const *>("ab"), 2);
    EXPECT_EQ(2u, co_scan.n_Feed(ac_text, 4));
    EXPECT_EQ(0u, co_scan.n_Feed(ac_text + 2, 2));
    co_scan.v_Reset();
    EXPECT_EQ(0, co_scan.b_Found());
    EXPECT_EQ(1u, co_scan.n_Feed(ac_text, 1));
    EXPECT_EQ(0, co_scan.b_Found());
    EXPECT_EQ(1u, co_scan.n_Feed(ac_text + 1, 3));
    EXPECT_EQ(1, co_scan.b_Found());
}
