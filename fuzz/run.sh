#!/usr/bin/env bash
# Builds the data-file loader's fuzz target with clang and runs it from a
# seed corpus of valid files: bash fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
build=build/fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DTW_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzz_load_state make_fuzz_seeds >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
"$build/fuzz/make_fuzz_seeds" "$work/corpus"
# A hang is any input over 5 s; a runaway allocation any single one over 64 MB.
(cd "$work" && "$OLDPWD/$build/fuzz/fuzz_load_state" corpus -max_total_time="$seconds" \
  -timeout=5 -malloc_limit_mb=64 -rss_limit_mb=1024 -max_len=8192 -print_final_stats=1 2>&1 |
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|SUMMARY')
