#!/usr/bin/env bash
# How long the program takes to start with a large library: from starting
# the exe under Wine (in Xvfb, the end-to-end tests' set-up) until
# tw_probe.exe first reads the start banner on its main window, with a dat
# of 100,000 tracks (tw_bench's tree, one root per top folder) against the
# same exe with the dat a first start writes (default settings, no
# library), so no readme opens. The probe's own cost is in both figures.
# The cases alternate, Wine reset between runs, after one untimed warm-up
# run of each. Needs tools/build.sh host win64 first.
#   bash bench/startup_wine.sh [RUNS]
set -uo pipefail
source "$(dirname "$0")/../tests/e2e/lib.sh"
runs=${1:-7}
goal=1.10
tree=/tmp/tw-bench-tree
banner='Tunewhistle version 3.10'
tw_session_begin || exit 1

"$TW_ROOT/build/host/bench/tw_bench" --only tree --runs 1 >/dev/null || exit 1
tops=()
for top in "$tree"/*/; do tops+=("music=$top"); done
"$TW_TOOLS/make_dat" "$TW_SESSION/empty.dat" >/dev/null || exit 1
"$TW_TOOLS/make_dat" "$TW_SESSION/big.dat" "${tops[@]}" >/dev/null || exit 1
tracks=$("$TW_TOOLS/dump_dat" "$TW_SESSION/big.dat" | sed -n "s/^registered=//p")

# poll SECONDS COMMAND...: as tw_wait, with a finer step.
poll() {
    local end=$((SECONDS + $1)); shift
    until "$@"; do
        ((SECONDS >= end)) && return 1
        sleep 0.05
    done
}

# start_ms DAT: milliseconds from starting the exe beside a copy of DAT
# until the probe reads the banner on the first status line.
start_ms() {
    local dir t0 t1
    dir=$(tw_new_folder) && cp "$1" "$dir/dat" || return 1
    timeout 5 xdotool mousemove 0 0
    t0=$EPOCHREALTIME
    tw_start "$dir"
    poll 60 tw_main_viewable || { echo "no main window within 60 s" >&2; return 1; }
    poll 30 tw_main_is line0 "$banner" || { echo "no start banner within 30 s" >&2; return 1; }
    t1=$EPOCHREALTIME
    tw_wine_reset
    rm -rf "$dir" "$dir.log"
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", 1000 * (b - a) }'
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

start_ms "$TW_SESSION/big.dat" >/dev/null && start_ms "$TW_SESSION/empty.dat" >/dev/null || exit 1
big=() empty=()
for ((i = 0; i < runs; i++)); do
    ms=$(start_ms "$TW_SESSION/big.dat") || exit 1
    big+=("$ms")
    ms=$(start_ms "$TW_SESSION/empty.dat") || exit 1
    empty+=("$ms")
done
b=$(median "${big[@]}") e=$(median "${empty[@]}")

echo "== start-up under Wine ($(wine --version 2>/dev/null)), $(nproc) cores, load average" \
    "$(cut -d' ' -f1-3 /proc/loadavg), median of $runs runs each"
awk -v b="$b" -v e="$e" -v g="$goal" -v n="$tracks" 'BEGIN {
    r = b / e
    printf "%-22s %6d ms   no library (baseline) %6d ms   ratio %.3fx   goal %.2fx   met: %s\n",
        n " tracks", b, e, r, g, r <= g ? "yes" : "NO" }'
printf '  runs (ms), %s tracks: %s; no library: %s\n' "$tracks" "${big[*]}" "${empty[*]}"
