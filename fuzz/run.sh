#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it from a seed corpus of valid
# inputs: bash fuzz/run.sh [SECONDS] [load_state|extension|id3v2]
# The data-file loader (load_state) is the default.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
target=${2:-load_state}
case "$target" in
  load_state) seeds=make_fuzz_seeds ;;
  extension) seeds=make_fuzz_seeds; seed_args=extension ;;
  id3v2) seeds=make_id3v2_seeds ;;
  *) echo "unknown fuzz target: $target (load_state, extension or id3v2)" >&2; exit 2 ;;
esac
# TW_FUZZ_BUILD: a build folder where the fuzz targets and seed makers are
# built already (tools/build.sh asan builds them in build/asan).
build=${TW_FUZZ_BUILD:-build/fuzz}
if [[ -z "${TW_FUZZ_BUILD:-}" ]]; then
    cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DTW_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j2 --target "fuzz_$target" "$seeds" >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
"$build/fuzz/$seeds" "$work/corpus" ${seed_args:-}
# A hang is any input over 5 s; a runaway allocation any single one over 64 MB.
(cd "$work" && "$OLDPWD/$build/fuzz/fuzz_$target" corpus -max_total_time="$seconds" \
  -timeout=5 -malloc_limit_mb=64 -rss_limit_mb=1024 -max_len=8192 -print_final_stats=1 2>&1 |
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|SUMMARY')
