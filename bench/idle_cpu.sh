#!/usr/bin/env bash
# How much CPU the program takes while it does nothing: at rest its timers
# slow down, and a window hidden or idle must cost next to nothing. Runs the
# exe under Wine in Xvfb (the end-to-end tests' set-up), lets
# it hide itself, and measures 30 s of its CPU time and the Wine server's,
# beside a sleeping process as the baseline; then the same with the window
# shown and idle, and shown with 32 music folders watched for changes;
# last an idle notepad, for what Wine's server costs by itself.
# Needs tools/build.sh host win64 first.
#   bash bench/idle_cpu.sh [SECONDS]
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
seconds=${1:-30}
tw_session_begin || exit 1
ticks=$(getconf CLK_TCK)

# cpu_ticks PID: user + system time of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# The Wine server of this session's prefix.
server_pid() {
    local pid
    for pid in $(pgrep wineserver); do  # wineserver or wineserver64
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && {
            echo "$pid"
            return 0
        }
    done
    echo 0
}

percent() { awk -v t="$1" -v hz="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

# measure LABEL: CPU of the program, the server and a sleeping process
# over the same period.
measure() {
    local server sleeper p0 s0 z0 p1 s1 z1
    server=$(server_pid)
    sleep $((seconds + 10)) &
    sleeper=$!
    p0=$(cpu_ticks "$TW_PID") s0=$(cpu_ticks "$server") z0=$(cpu_ticks "$sleeper")
    sleep "$seconds"
    p1=$(cpu_ticks "$TW_PID") s1=$(cpu_ticks "$server") z1=$(cpu_ticks "$sleeper")
    kill "$sleeper" 2>/dev/null
    wait "$sleeper" 2>/dev/null
    printf '%-32s program %6s %%   wine server %6s %%   sleep (baseline) %6s %%   of one core, %s s\n' \
        "$1" "$(percent $((p1 - p0)))" "$(percent $((s1 - s0)))" "$(percent $((z1 - z0)))" "$seconds"
}

run_case() {
    local label=$1 autohide=$2 folders=${3:-0} dir i music=()
    dir=$(tw_new_folder) || exit 1
    # Watched music folders, each a root of its own.
    for ((i = 0; i < folders; i++)); do
        mkdir -p "$dir.music/$i" && music+=("music=$dir.music/$i")
    done
    tw_dat_with "$dir" left=300 top=300 autohide="$autohide" "${music[@]}" || exit 1
    timeout 5 xdotool mousemove 0 0
    tw_start "$dir"
    tw_wait 60 tw_main_viewable || { echo "no window" >&2; exit 1; }
    if [[ $autohide == 1 ]]; then
        tw_wait 20 tw_main_is visible 0 || { echo "the window did not hide" >&2; exit 1; }
    else
        sleep 3  # the start banner over, the window at rest
    fi
    sleep 1
    measure "$label"
    tw_wine_reset
}

echo "== idle CPU under Wine ($(wine --version 2>/dev/null)), $(nproc) cores"
run_case "hidden (after auto-hide)" 1
run_case "shown, idle" 0
run_case "shown, idle, 32 folders watched" 0 32

# What Wine costs by itself: an idle notepad in its place, its server's
# share the floor under the program's.
(exec env LC_ALL="$TW_WINE_LOCALE" wine notepad.exe) >/dev/null 2>&1 &
TW_PID=$!
tw_wait 60 tw_has_window 'メモ帳|Notepad' || { echo "no notepad window" >&2; exit 1; }
sleep 4
measure "Wine alone (notepad, idle)"
tw_wine_reset
