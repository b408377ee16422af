// Judges benchmark figures against their targets and prints them as rows of
// one Markdown table; both benchmark programs exit non-zero on a miss.
//
//   CT_Targets co_targets;
//   co_targets.v_Ratio(CT_Timing{"v_Replace", 1000000, 9.3, "std::string", 4.6}, 3.0);
//   co_targets.v_Case({co_at100kB, co_at1MB}, d_RatioLimit, d_GrowthLimit); // and the growth
#ifndef BENCH_TARGETS_H
#define BENCH_TARGETS_H

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

/// Ours at most three times the reference at every size.
double const d_RatioLimit = 3.0;
/// For 10x the size, our time grows at most 1.5 times as much as the
/// reference's: a quadratic step would show as 10 times, while the noise of a
/// shared machine moves the quotient of four medians by up to a third.
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

    /// Ours at most d_limit times the reference; a limit of 0 only reports.
    void v_Ratio(CT_Timing const &co_at, double d_limit)
    {
        double const d_ratio = co_at.d_ours_ms / co_at.d_reference_ms;
        v_Row(co_at, std::to_string(co_at.n_size), co_Text("%.3f ms", co_at.d_ours_ms),
              co_Text("%.3f ms", co_at.d_reference_ms), d_ratio, co_Text("<= %gx", d_limit), d_limit);
    }

    /// From one size to the next, our time grows at most d_limit times as
    /// much as the reference's; a limit of 0 only reports.
    void v_Growth(CT_Timing const &co_from, CT_Timing const &co_to, double d_limit)
    {
        double const d_ours = co_to.d_ours_ms / co_from.d_ours_ms;
        double const d_reference = co_to.d_reference_ms / co_from.d_reference_ms;
        v_Row(co_to, std::to_string(co_from.n_size) + " -> " + std::to_string(co_to.n_size),
              co_Text("x%.1f", d_ours), co_Text("x%.1f", d_reference), d_ours / d_reference,
              co_Text("growth <= %gx ref's", d_limit), d_limit);
    }

    /// One case size by size: each against its reference, and its growth
    /// from the size before.
    void v_Case(std::vector<CT_Timing> const &co_sizes, double d_ratio_limit, double d_growth_limit)
    {
        for (size_t n_at = 0; n_at < co_sizes.size(); ++n_at)
        {
            v_Ratio(co_sizes[n_at], d_ratio_limit);
            if (n_at > 0)
                v_Growth(co_sizes[n_at - 1], co_sizes[n_at], d_growth_limit);
        }
    }

    int n_Misses() const { return n_misses; }

private:
    static std::string co_Text(char const *p_format, double d_value)
    {
        char s_text[48];
        std::snprintf(s_text, sizeof s_text, p_format, d_value);
        return s_text;
    }

    void v_Row(CT_Timing const &co_at, std::string const &co_size, std::string const &co_ours,
               std::string const &co_reference, double d_ratio, std::string co_target, double d_limit)
    {
        char const *p_met = std::isnan(d_ratio) ? "WRONG RESULT"
            : d_limit == 0                       ? "info"
            : d_ratio <= d_limit                 ? "PASS"
                                                 : "MISS";
        if (d_limit == 0)
            co_target = "info";
        n_misses += p_met[0] == 'W' || p_met[0] == 'M';
        std::printf("| %s | %s | %s | %s | %s | %.3g | %s | %s |\n", co_at.p_case, co_size.c_str(),
                    co_ours.c_str(), co_at.p_reference, co_reference.c_str(), d_ratio, co_target.c_str(), p_met);
        std::fflush(stdout);
    }

    int n_misses = 0;
};

#endif
