#!/usr/bin/env bash
# Builds the x86_64 exe and starts Tunewhistle under Wine.
#
# The program folder is ~/.local/share/tunewhistle (or $XDG_DATA_HOME/...,
# or $TW_HOME): the exe, readme.txt and version.txt are copied there, and the
# program keeps its data file "dat" beside them, so settings and the library
# survive rebuilds. Wine's prefix for it is the "wineprefix" folder inside.
#
# With a usable X display ($DISPLAY) the program is started there and left
# running; end it with "終了" in its right-click menu. Without one, a virtual
# screen (Xvfb, 1024x768) is started, the program is run on it until its
# window shows, build/screenshot.png is saved, and then the program and the
# virtual screen are stopped again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash tools/deps.sh

echo "== building build/win64/tunewhistle.exe"
cmake --no-warn-unused-cli -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DTW_BUILD_WIN32_TESTS=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win64 -j "$(nproc 2>/dev/null || echo 2)" --target tunewhistle

source tests/e2e/lib.sh   # window and Xvfb helpers

app=${TW_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/tunewhistle}
mkdir -p "$app"
for file in build/win64/tunewhistle.exe data/readme.txt data/version.txt; do
    cmp -s "$file" "$app/$(basename "$file")" || cp "$file" "$app/"
done

export WINEPREFIX=$app/wineprefix
export WINEDEBUG=-all
# No Mono/Gecko installer prompts; no menu entries on the host desktop.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
# Logs stay out of the program folder.
wine_log=$WINEPREFIX/tunewhistle.log

first_dat=no
[[ -e "$app/dat" ]] || first_dat=yes

start_program() {
    (cd "$app" && exec setsid env LC_ALL="$TW_WINE_LOCALE" wine "$app/tunewhistle.exe") \
        >>"$wine_log" 2>&1 </dev/null &
}

# A prefix made before Wine's 32-bit half was installed no longer starts
# afterwards ("could not load kernel32.dll, status c0000135"): it is made
# again. The program folder and its dat lie outside it and stay.
prefix_starts() {
    local out
    out=$(timeout 120 env LC_ALL="$TW_WINE_LOCALE" wine cmd.exe /c exit 2>&1) && ! grep -q c0000135 <<<"$out"
}

prepare_prefix() {
    if [[ -f "$WINEPREFIX/system.reg" ]]; then
        prefix_starts && return 0
        echo "== the Wine prefix $WINEPREFIX no longer starts: making it again"
        timeout 20 wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    echo "== preparing the Wine prefix $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    timeout 300 env LC_ALL="$TW_WINE_LOCALE" wineboot -i >>"$WINEPREFIX/wineboot.log" 2>&1
    tw_register_txt
    # A session begun while the boot is still settling can come up without
    # the notification area.
    timeout 60 wineserver -w >/dev/null 2>&1 || true
}

if [[ -n "${DISPLAY:-}" ]] && tw_display_ready "$DISPLAY"; then
    prepare_prefix
    start_program
    echo
    echo "Tunewhistle started on display $DISPLAY."
    echo "  program folder: $app (its settings file: $app/dat)"
    echo "  Wine prefix:    $WINEPREFIX (log: $wine_log)"
    echo "The window sits at the lower right and hides itself after a few seconds;"
    echo "quit with 終了 in its right-click menu."
    exit 0
fi

echo "No usable X display (DISPLAY=${DISPLAY:-unset}): starting a virtual one (Xvfb 1024x768x24)."
TW_SESSION=$(mktemp -d "${TMPDIR:-/tmp}/tw-run.XXXXXX")
stop_all() {
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    [[ -n "${TW_XVFB_PID:-}" ]] && kill "$TW_XVFB_PID" 2>/dev/null
    rm -rf "$TW_SESSION"
}
trap stop_all EXIT
tw_start_xvfb "$TW_SESSION/xvfb.log"
prepare_prefix
start_program

if ! tw_wait 90 tw_has_main_window; then
    echo "The window \"$TW_MAIN_TITLE\" did not appear within 90 s; see $wine_log." >&2
    exit 1
fi
if [[ $first_dat == yes ]]; then
    # A first start opens the readme and says once, in a message box, where
    # the program goes when it hides; the user would read it and press OK.
    # Its start banner passes while the box is open, so the program is
    # started once more (now with its dat) for a picture of the banner.
    tw_wait 20 tw_has_window readme || true
    tw_wait 20 tw_dismiss_box "$TW_MAIN_TITLE_RE" || true
    tw_wait 30 tw_main_viewable || true
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
    start_program
    tw_wait 90 tw_has_main_window || true
fi
if ! tw_wait 30 tw_main_viewable; then
    echo "The window did not show within 30 s; see $wine_log." >&2
    exit 1
fi
sleep 1  # faded in and the banner drawn; it shows for 2.5 s
shot=$root/build/screenshot.png
import -window root "$shot"
# The window alone, enlarged, from the place the window reports.
main=$(tw_main_window)
x=$(tw_window_x "$main") y=$(tw_window_y "$main")
geometry=$(timeout 5 xwininfo -id "$main" | sed -n 's/^  -geometry \([0-9]*x[0-9]*\).*/\1/p')
window_shot=$root/build/screenshot-window.png
convert "$shot" -crop "${geometry}+${x}+${y}" +repage -bordercolor '#202020' -border 12 \
    -filter point -resize 300% "$window_shot"
echo
echo "Tunewhistle ran on the virtual display $DISPLAY."
echo "  screenshot:             $shot"
echo "  the window, enlarged:   $window_shot"
echo "  program folder: $app (its settings file: $app/dat)"
echo "The program and the virtual display are stopped again now."
