// Judges benchmark figures against their targets and prints them as rows of
// one Markdown table; both benchmark programs exit non-zero on a miss.
//
//   CT_Targets co_targets;
//   co_targets.v_Case({{"v_Replace", 100000, 0.8, "std::string", 0.4}, {"v_Replace", 1000000, 9.3, ...}},
//                     d_RatioLimit, d_GrowthLimit); // a row for each size, and one for the growth between
#ifndef BENCH_TARGETS_H
#define BENCH_TARGETS_H

#include <cmath>
#include <cstdio>
#include <vector>

/// Ours at most three times the reference at every size.
double const d_RatioLimit = 3.0;
/// For 10x the size, our time grows at most 1.5 times as much as the
/// reference's: a quadratic step would show as 10, while a shared machine
/// moves a quotient of four medians by up to a third.
double const d_GrowthLimit = 1.5;

/// One case at one size: our milliseconds and the reference's (NaN: wrong result).
struct CT_Timing
{
    char const *p_case;
    long long n_size;
    double d_ours_ms;
    char const *p_reference;
    double d_reference_ms;
};

class CT_Targets
{
public:
    CT_Targets()
    {
        std::printf("| Case | Size | Ours | Reference | Ref | Ours/Ref | Target | Met |\n");
        std::printf("|---|---:|---:|---|---:|---:|---|---|\n");
    }

    /// Each size against the reference, and each step's growth against the
    /// reference's growth; a limit of 0 only reports.
    void v_Case(std::vector<CT_Timing> const &co_sizes, double d_ratio_limit, double d_growth_limit)
    {
        for (size_t n_at = 0; n_at < co_sizes.size(); ++n_at)
        {
            CT_Timing const &co_to = co_sizes[n_at];
            std::printf("| %s | %lld | %.3f ms | %s | %.3f ms | ", co_to.p_case, co_to.n_size, co_to.d_ours_ms,
                        co_to.p_reference, co_to.d_reference_ms);
            v_Judge(co_to.d_ours_ms / co_to.d_reference_ms, "<= %gx", d_ratio_limit);
            if (n_at == 0)
                continue;
            CT_Timing const &co_from = co_sizes[n_at - 1];
            double const d_ours = co_to.d_ours_ms / co_from.d_ours_ms;
            double const d_reference = co_to.d_reference_ms / co_from.d_reference_ms;
            std::printf("| %s | %lld -> %lld | x%.1f | %s | x%.1f | ", co_to.p_case, co_from.n_size, co_to.n_size,
                        d_ours, co_to.p_reference, d_reference);
            v_Judge(d_ours / d_reference, "growth <= %gx ref's", d_growth_limit);
        }
    }

    int n_Misses() const { return n_misses; }

private:
    // The last three cells of a row.
    void v_Judge(double d_ratio, char const *p_target, double d_limit)
    {
        bool const b_miss = std::isnan(d_ratio) || (d_limit > 0 && d_ratio > d_limit);
        n_misses += b_miss;
        std::printf("%.3g | ", d_ratio);
        std::printf(d_limit > 0 ? p_target : "info", d_limit);
        std::printf(" | %s |\n", std::isnan(d_ratio) ? "WRONG RESULT"
                                : d_limit == 0       ? "info"
                                : b_miss             ? "MISS"
                                                     : "PASS");
        std::fflush(stdout);
    }

    int n_misses = 0;
};

#endif
