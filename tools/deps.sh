#!/usr/bin/env bash
# Installs, with apt-get, whatever of the build and test tools is missing on a
# Debian 12 machine, and the Japanese locale Wine runs in. Quick and quiet
# when everything is already there.
set -euo pipefail

packages=(
    # host build and unit tests
    cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev libx11-dev
    # the check that the committed pictures are what tools/draw_pictures.py draws
    python3
    # cross build for Windows (both word sizes; posix thread model)
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
    # running the exe: Wine, MP3 playback through GStreamer, Japanese font
    wine wine64
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
    fonts-ipafont-gothic
    # virtual screen, window queries, key presses, screenshots
    xvfb xauth x11-utils x11-apps xdotool imagemagick
    # a window manager for the one test where a window takes the focus by
    # itself (X gives it only through one)
    jwm
    # making and checking test audio
    sox lame
    # locale sources for ja_JP.UTF-8
    locales
)

as_root() {
    if ((EUID == 0)); then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "deps: run as root (or install sudo) to install: $*" >&2
        exit 1
    fi
}

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == installed ]] || missing+=("$pkg")
done

if ((${#missing[@]})); then
    echo "deps: installing ${missing[*]}"
    apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
    as_root "${apt[@]}" update
    as_root "${apt[@]}" install --no-install-recommends "${missing[@]}"
fi

# Wine's 32-bit half, for the i686 exe: only where the kernel runs 32-bit
# programs at all (some run with ia32 emulation off). Installed there, it
# would leave even 64-bit Wine unable to start: the wine script prefers the
# 32-bit loader whenever it is present.
runs_32bit_programs() {
    local dir ok=1
    dir=$(mktemp -d) || return 1
    printf '.globl _start\n_start:\n  movl $1, %%eax\n  xorl %%ebx, %%ebx\n  int $0x80\n' >"$dir/exit.s"
    as --32 -o "$dir/exit.o" "$dir/exit.s" 2>/dev/null && ld -m elf_i386 -o "$dir/exit" "$dir/exit.o" 2>/dev/null &&
        "$dir/exit" 2>/dev/null && ok=0
    rm -rf "$dir"
    return $ok
}
if [[ "$(dpkg-query -W -f='${db:Status-Status}' wine32:i386 2>/dev/null || true)" != installed ]]; then
    if runs_32bit_programs; then
        began=$SECONDS
        echo "deps: installing wine32:i386"
        as_root dpkg --add-architecture i386
        apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
        as_root "${apt[@]}" update
        as_root "${apt[@]}" install --no-install-recommends wine32:i386
        echo "deps: wine32:i386 installed in $((SECONDS - began)) s"
    else
        echo "deps: this kernel runs no 32-bit programs: no 32-bit Wine, the i686 exe is built but not run"
    fi
fi

# Wine takes its ANSI code page from the locale (932 for Japanese, 1252 for
# the Western test), and needs the locale to exist to store file names as
# UTF-8 on disk.
generate=0
for loc in ja_JP en_US; do
    if ! locale -a 2>/dev/null | grep -qixE "$loc\.utf-?8"; then
        echo "deps: adding the $loc.UTF-8 locale"
        grep -qx "$loc.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null ||
            echo "$loc.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        generate=1
    fi
done
((generate == 0)) || as_root locale-gen

echo "deps: ${#packages[@]} packages and the ja_JP.UTF-8 and en_US.UTF-8 locales present"
