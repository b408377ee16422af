#!/usr/bin/env bash
# Line and branch coverage of the library: a 64-bit build with counters, its
# test programs run under Wine, gcovr over the counts (branches that only
# raise left out). Prints the summary; fails below the gate.
source "$(dirname "$0")/setup.sh"
common_require gcovr:gcovr x86_64-w64-mingw32-gcov:gcc-mingw-w64-x86-64
COVERAGE_LINES=${COVERAGE_LINES:-98}
COVERAGE_BRANCHES=${COVERAGE_BRANCHES:-95}
dir="$COMMON_ROOT/build-cov"

echo "== Coverage build (64-bit, counters in the library only)"
common_build build-cov x86_64 -DCOMMON_BUILD_TESTS=ON -DCOMMON_COVERAGE=ON
find "$dir" -name '*.gcda' -delete

trap 'common_wine_stop; common_xvfb_stop' EXIT
common_xvfb_start
common_wine_env
# The counts go to the object files' Unix paths; the prefix makes them
# absolute on Wine's Z: drive whatever folder a test makes current.
export GCOV_PREFIX=Z:
ctest --test-dir "$dir" --output-on-failure -E 'FilesCrashTest' >/dev/null || echo "Some test failed in the coverage build (see the main run)." >&2

echo "== Coverage of the library"
summary=$(cd "$dir" && gcovr --root "$COMMON_ROOT" --object-directory "$dir" \
    --gcov-executable x86_64-w64-mingw32-gcov --exclude-throw-branches \
    --filter "$COMMON_ROOT/(strings|errors|files|dialogs|log)/" --print-summary \
    --txt "$dir/coverage.txt" "$dir")
echo "$summary"
lines=$(echo "$summary" | sed -n 's/^lines: \([0-9.]*\)%.*/\1/p')
branches=$(echo "$summary" | sed -n 's/^branches: \([0-9.]*\)%.*/\1/p')
echo "Gate: ${COVERAGE_LINES}% of lines, ${COVERAGE_BRANCHES}% of branches (files: $dir/coverage.txt)"
awk -v l="$lines" -v b="$branches" -v gl="$COVERAGE_LINES" -v gb="$COVERAGE_BRANCHES" \
    'BEGIN { exit !(l >= gl && b >= gb) }'
