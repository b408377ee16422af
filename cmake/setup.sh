# Shared by build.sh and test.sh: installs what is missing and knows the
# build folders. Sourced, not run.
set -euo pipefail

COMMON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
COMMON_JOBS=$(nproc 2>/dev/null || echo 2)

# Installs the Debian packages whose commands are missing.
common_require() {
    local missing=() pair command package
    for pair in "$@"; do
        command=${pair%%:*}
        package=${pair#*:}
        if ! command -v "$command" >/dev/null 2>&1 && ! [ -e "$command" ]; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

common_require_build_tools() {
    common_require cmake:cmake ninja:ninja-build \
        i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix \
        x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix \
        i686-w64-mingw32-windres:binutils-mingw-w64-i686 \
        x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64 \
        wine:wine /usr/lib/wine/wine64:wine64 Xvfb:xvfb xauth:xauth
}

# configure_and_build DIR ARCH [cmake options...]
common_build() {
    local dir=$1 arch=$2
    shift 2
    cmake -S "$COMMON_ROOT" -B "$COMMON_ROOT/$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$COMMON_ROOT/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$COMMON_ROOT/$dir" -j "$COMMON_JOBS"
}

# A Wine of our own: private prefix, no crash debugger, no installers.
common_wine_env() {
    export WINEPREFIX="$COMMON_ROOT/build-wine/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wine wineboot --init >/dev/null 2>&1 || true
    fi
}

# Stops this prefix's wineserver; it serves only our own programs.
common_wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

COMMON_XVFB_PID=
# A display of our own, started and later stopped by its process id.
common_xvfb_start() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    COMMON_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

common_xvfb_stop() {
    if [ -n "$COMMON_XVFB_PID" ]; then
        kill "$COMMON_XVFB_PID" 2>/dev/null || true
        wait "$COMMON_XVFB_PID" 2>/dev/null || true
        COMMON_XVFB_PID=
    fi
}

# The API reference, with the guide and the guarantees, into DIR/html. Any
# Doxygen warning (an undocumented public member above all) fails it.
common_docs() {
    local out=$1
    common_require doxygen:doxygen
    rm -rf "$out/html"
    mkdir -p "$out"
    COMMON_DOC_SOURCE="$COMMON_ROOT" COMMON_DOC_OUTPUT="$out" doxygen "$COMMON_ROOT/docs/Doxyfile"
}
