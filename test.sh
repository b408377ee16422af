#!/usr/bin/env bash
# Runs every test: the string core natively under the sanitizers and the
# fuzzers, then the GoogleTest programs against the 64-bit DLL under Wine, on
# a private Xvfb display, and last the library's coverage against its gate
# (cmake/coverage.sh). Exits non-zero on any failure.
source "$(dirname "$0")/cmake/setup.sh"
common_require_build_tools
common_require clang++:clang /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-14-dev

echo "== Native build of the platform-free core (ASan, UBSan, LSan, libFuzzer)"
cmake -S "$COMMON_ROOT" -B "$COMMON_ROOT/build-native" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$COMMON_ROOT/build-native" -j "$COMMON_JOBS"
native_status=0
ctest --test-dir "$COMMON_ROOT/build-native" --output-on-failure || native_status=$?

echo "== 32-bit product build"
common_build build-win32 i686

echo "== 64-bit build with tests and benchmark"
common_build build-win64 x86_64 -DCOMMON_BUILD_TESTS=ON -DCOMMON_BUILD_BENCH=ON

trap 'common_wine_stop; common_xvfb_stop' EXIT
common_xvfb_start
common_wine_env
wine_status=0
ctest --test-dir "$COMMON_ROOT/build-win64" --output-on-failure || wine_status=$?

# Coverage of the library, on a build of its own, against its gate.
coverage_status=0
"$COMMON_ROOT/cmake/coverage.sh" || coverage_status=$?

if [ "$native_status" -ne 0 ]; then
    echo "Native tests failed (see above)." >&2
fi
if [ "$coverage_status" -ne 0 ]; then
    echo "Coverage below the gate, or its run failed (see above)." >&2
fi
[ "$native_status" -eq 0 ] && [ "$wine_status" -eq 0 ] && [ "$coverage_status" -eq 0 ]
