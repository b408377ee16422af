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
        wine:wine /usr/lib/wine/wine64:wine64 Xvfb:xvfb xauth:xauth doxygen:doxygen
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

# Wine's two loaders: each toolchain's programs start through their own (the
# `wine` command sends 64-bit programs through the 32-bit one when it exists).
COMMON_WINE32_LOADER=/usr/lib/wine/wine
COMMON_WINE64_LOADER=/usr/lib/wine/wine64
# Set when 32-bit programs cannot run here: the step that failed.
COMMON_WINE32_MISSING=
# Set when 32-bit Linux programs run under user-mode emulation.
COMMON_I386_EMULATED=

common_i386_runs() { "$COMMON_WINE32_LOADER" --version >/dev/null 2>&1; }

# Where the kernel cannot execute 32-bit programs itself, qemu-i386 runs them,
# registered with binfmt_misc for i386 executables and shared objects.
common_register_qemu_i386() {
    local misc=/proc/sys/fs/binfmt_misc
    common_require qemu-i386:qemu-user || { COMMON_WINE32_MISSING="installing qemu-user"; return 1; }
    [ -e "$misc/register" ] || mount -t binfmt_misc binfmt_misc "$misc" ||
        { COMMON_WINE32_MISSING="mounting binfmt_misc"; return 1; }
    [ -e "$misc/common-qemu-i386" ] || printf '%s' ':common-qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
        >"$misc/register" || { COMMON_WINE32_MISSING="registering qemu-i386 with binfmt_misc"; return 1; }
}

# 32-bit Windows programs: Debian's wine32 from the i386 architecture, and a
# kernel (or an emulator) that runs its loader. Returns 1, with the failed step
# in COMMON_WINE32_MISSING, when they cannot be had.
common_require_wine32() {
    if [ ! -x "$COMMON_WINE32_LOADER" ]; then
        echo "== Installing wine32:i386"
        export DEBIAN_FRONTEND=noninteractive
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ||
            { COMMON_WINE32_MISSING="dpkg --add-architecture i386"; return 1; }
        apt-get update -q >/dev/null || { COMMON_WINE32_MISSING="apt-get update"; return 1; }
        apt-get install -y -q --no-install-recommends wine32:i386 >/dev/null ||
            { COMMON_WINE32_MISSING="apt-get install wine32:i386"; return 1; }
    fi
    common_i386_runs || common_register_qemu_i386 || return 1
    common_i386_runs || { COMMON_WINE32_MISSING="starting Wine's 32-bit loader under qemu-i386"; return 1; }
    # Registered now or by an earlier run, an enabled entry takes precedence
    # over the kernel's own support.
    local entry
    for entry in /proc/sys/fs/binfmt_misc/*; do
        if grep -qx enabled "$entry" 2>/dev/null && grep -q "interpreter .*qemu-i386" "$entry"; then
            COMMON_I386_EMULATED=1
        fi
    done
}

# A Wine of our own: private prefix, no crash debugger, no installers. The
# prefix is kept between runs; one made before 32-bit Wine was there cannot
# run 32-bit programs, so it is made anew.
common_wine_env() {
    export WINEPREFIX="$COMMON_ROOT/build-wine/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
    export WINEARCH=win64
    local wow64="$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
    if [ -x "$COMMON_WINE32_LOADER" ] && [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$wow64" ]; then
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== Making the Wine prefix (minutes where 32-bit programs are emulated)"
        mkdir -p "$WINEPREFIX"
        wine wineboot --init >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
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
