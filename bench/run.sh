#!/usr/bin/env bash
# Builds and runs the benchmark: the string cases natively on Google Benchmark,
# the log, file and heap cases under Wine. Leaves both tables in build-bench/,
# draws bench/growth.png, and exits non-zero if a target was missed.
source "$(dirname "$0")/../cmake/setup.sh"
common_require_build_tools
common_require clang++:clang /usr/include/benchmark/benchmark.h:libbenchmark-dev gnuplot:gnuplot-nox

out="$COMMON_ROOT/build-bench"
cmake -S "$COMMON_ROOT" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
    -DCOMMON_BUILD_BENCH=ON >/dev/null
cmake --build "$out" -j "$COMMON_JOBS" --target StringBench
common_build build-win64 x86_64 -DCOMMON_BUILD_TESTS=ON -DCOMMON_BUILD_BENCH=ON

status=0
echo "== String cases (native, Google Benchmark)"
"$out/bench/StringBench" | tee "$out/strings.md" || status=1
echo "== Log, file and heap cases (Wine)"
trap common_wine_stop EXIT
common_wine_env
(cd "$COMMON_ROOT/build-win64/bin" && "$COMMON_WINE64_LOADER" ./WineBench.exe) | tee "$out/wine.md" || status=1

# One panel per case and reference: time per unit against size, on log
# scales, so that linear work draws a flat line and quadratic work a rising one.
awk -F' *[|] *' -v png="$COMMON_ROOT/bench/growth.png" '
    /^[|] / && $3 ~ /^[0-9]+$/ {
        key = $2 " vs " $5 (FILENAME ~ /wine/ ? " (Wine)" : " (native)")
        if (!(key in ours)) order[++n] = key
        ours[key] = ours[key] $3 " " $4 * 1e6 / $3 "\n"
        reference[key] = reference[key] $3 " " $6 * 1e6 / $3 "\n"
    }
    END {
        print "set terminal pngcairo size 1600,800 font \",10\" noenhanced"
        print "set output \"" png "\""
        print "set multiplot layout 2," int((n + 1) / 2) \
            " title \"ns per byte, line or element against size (flat: linear)\""
        print "set logscale xy; set format x \"%.0e\"; set key top left; set grid"
        for (i = 1; i <= n; i++) {
            print "set title \"" order[i] "\""
            print "plot \"-\" with linespoints lw 2 title \"ours\", \"-\" with linespoints lw 2 title \"reference\""
            printf "%se\n%se\n", ours[order[i]], reference[order[i]]
        }
    }' "$out/strings.md" "$out/wine.md" | gnuplot
exit $status
