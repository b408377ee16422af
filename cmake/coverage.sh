#!/usr/bin/env bash
# Line and branch coverage of the library: a 64-bit build with counters, its
# test programs run under Wine, gcovr over the counts (branches that only
# raise left out). Prints the summary; fails below the gate.
source "$(dirname "$0")/setup.sh"
common_require gcovr:gcovr x86_64-w64-mingw32-gcov:gcc-mingw-w64-x86-64
COVERAGE_LINES=${COVERAGE_LINES:-97}
COVERAGE_BRANCHES=${COVERAGE_BRANCHES:-91}
dir="$COMMON_ROOT/build-cov"

# A percentage with up to two decimals, in hundredths: "96.5" gives 9650.
hundredths() {
    [[ $1 =~ ^([0-9]+)(\.([0-9]{1,2}))?$ ]] || { echo "Not a percentage: $1" >&2; return 1; }
    local fraction="${BASH_REMATCH[3]}00"
    echo $((10#${BASH_REMATCH[1]} * 100 + 10#${fraction:0:2}))
}

# Compares the counts of gcovr's summary line ("branches: 95.0% (715 out of
# 753)") with the gate in integers: its rounded percentage could pass a
# count just below the gate.
meets_gate() { # kind gate summary
    local counts covered total gate
    counts=$(echo "$3" | sed -n "s/^$1: [0-9.]*% (\([0-9]*\) out of \([0-9]*\)).*/\1 \2/p")
    read -r covered total <<<"$counts"
    gate=$(hundredths "$2") || return 1
    if [ -z "$total" ] || [ "$total" -eq 0 ] || [ $((10000 * covered)) -lt $((gate * total)) ]; then
        echo "Coverage of $1 below the gate of $2%: ${covered:-?} out of ${total:-?}" >&2
        return 1
    fi
}

echo "== Coverage build (64-bit, counters in the library only)"
common_build build-cov x86_64 -DCOMMON_BUILD_TESTS=ON -DCOMMON_BUILD_EXAMPLES=ON -DCOMMON_COVERAGE=ON
find "$dir" -name '*.gcda' -delete

trap 'common_wine_stop; common_xvfb_stop' EXIT
common_xvfb_start
common_wine_env
# The counts go to the object files' Unix paths; the prefix makes them
# absolute on Wine's Z: drive whatever folder a test makes current.
export GCOV_PREFIX=Z:
ctest --test-dir "$dir" --output-on-failure >/dev/null || echo "Some test failed in the coverage build (see the main run)." >&2

echo "== Coverage of the library"
summary=$(cd "$dir" && gcovr --root "$COMMON_ROOT" --object-directory "$dir" \
    --gcov-executable x86_64-w64-mingw32-gcov --exclude-throw-branches \
    --filter "$COMMON_ROOT/(strings|errors|files|dialogs|log)/" --print-summary \
    --txt "$dir/coverage.txt" "$dir")
echo "$summary"
echo "Gate: ${COVERAGE_LINES}% of lines, ${COVERAGE_BRANCHES}% of branches (files: $dir/coverage.txt)"
meets_gate lines "$COVERAGE_LINES" "$summary" && meets_gate branches "$COVERAGE_BRANCHES" "$summary"
