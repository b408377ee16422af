#!/usr/bin/env bash
# Builds the 32-bit product DLL and its 64-bit twin, lays out the SDK in dist/,
# makes the release archives in release/ and runs the example program under
# Wine.
source "$(dirname "$0")/cmake/setup.sh"
common_require_build_tools

dist="$COMMON_ROOT/dist"
release="$COMMON_ROOT/release"
rm -rf "$dist" "$release"
for arch in i686 x86_64; do
    case $arch in i686) bits=32 ;; x86_64) bits=64 ;; esac
    echo "== Building the ${bits}-bit Common.dll"
    common_build "build-win$bits" "$arch"
    # Both targets share the prefix: one flat include/, then win32/ and win64/
    # with their DLLs, and a package in cmake/ that serves either.
    cmake --install "$COMMON_ROOT/build-win$bits" --prefix "$dist" >/dev/null
    # Common-<version>-win32.zip and its -debug.zip, one pair a target.
    cpack --config "$COMMON_ROOT/build-win$bits/CPackConfig.cmake" -B "$release" >/dev/null
done
rm -rf "$release/_CPack_Packages"
echo "== SDK in $dist (the API reference: doc/html/index.html)"
(cd "$dist" && find . -type f ! -path './doc/html/*' | sort | sed 's|^\./|   |')
echo "== Release archives in $release"
(cd "$release" && ls -l -- *.zip | awk '{printf "   %-36s %10d bytes\n", $9, $5}')

trap 'common_wine_stop; common_xvfb_stop' EXIT
# The example runs on the product, the 32-bit DLL, where 32-bit Wine can be had.
bits=32
common_require_wine32 || { echo "32-bit Wine: $COMMON_WINE32_MISSING failed; the example runs on the 64-bit build"; bits=64; }
common_wine_env
loader=$COMMON_WINE32_LOADER
[ "$bits" = 64 ] && loader=$COMMON_WINE64_LOADER
echo "== Running the example on the ${bits}-bit DLL under Wine"
(cd "$COMMON_ROOT/build-win$bits/bin" && "$loader" ./CommonExample.exe)
