#!/usr/bin/env bash
# Installs, with apt-get, whatever of the build and test tools is missing on a
# Debian 12 machine. Quick and quiet when everything is already there.
set -euo pipefail

packages=(
    # host build and unit tests
    cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest libbenchmark-dev
    # cross build for Windows (both word sizes; posix thread model)
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
    # running the exe: Wine, MP3 playback through GStreamer, Japanese font
    wine wine64
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
    fonts-ipafont-gothic
    # virtual screen, window queries, key presses, screenshots
    xvfb xauth x11-utils x11-apps xdotool imagemagick
    # making and checking test audio
    sox lame
)

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == installed ]] || missing+=("$pkg")
done

if ((${#missing[@]} == 0)); then
    echo "deps: all ${#packages[@]} packages present"
    exit 0
fi

echo "deps: installing ${missing[*]}"
sudo=()
if ((EUID != 0)); then
    command -v sudo >/dev/null || { echo "deps: run as root or install sudo" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
"${apt[@]}" update
"${apt[@]}" install --no-install-recommends "${missing[@]}"
