#!/usr/bin/env bash
# Runs every end-to-end test (test_*.sh beside this file) against
# build/win64/tunewhistle.exe (or $TW_EXE) under Wine, prints each script's
# PASS/FAIL lines as it ends and closes with "N passed, N failed".
#
# The scripts mostly wait on Wine, so they run in $TW_E2E_LANES lanes (2
# unless set), each with a virtual screen and a Wine prefix of its own; a
# lane takes the next script nobody has taken, the longest first, so that
# the lanes end about together.
source "$(dirname "$0")/lib.sh"

lanes=${TW_E2E_LANES:-2}
summary() { echo "$passed passed, $failed failed"; }
passed=0
failed=0

if [[ ! -f "$TW_EXE" ]]; then
    echo "FAIL e2e: $TW_EXE is missing (build it with tools/build.sh)"
    failed=1; summary; exit 1
fi

# The longest scripts (about 50-110 s each) first; then the others.
scripts=()
for name in dialogs foreign_names watch main_window keyboard menus damaged_dat; do
    [[ -f "$TW_ROOT/tests/e2e/test_$name.sh" ]] && scripts+=("$TW_ROOT/tests/e2e/test_$name.sh")
done
for test in "$TW_ROOT"/tests/e2e/test_*.sh; do
    [[ " ${scripts[*]} " == *" $test "* ]] || scripts+=("$test")
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-e2e-run.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/taken" "$work/out"

# run_lane N: a session of its own (displays from :90 + 20 N), then every
# script not yet taken. A script is taken by making its folder in taken/.
run_lane() {
    local lane=$1 test name out rc
    export TW_DISPLAY_FROM=$((90 + 20 * lane))
    unset TW_SESSION
    if ! tw_session_begin; then
        tw_session_end
        unset TW_SESSION
        if ! tw_session_begin; then
            echo "FAIL e2e lane $lane: no Xvfb or Wine session could be set up" | tee "$work/out/lane$lane.setup"
            return 1
        fi
    fi
    for test in "${scripts[@]}"; do
        name=$(basename "$test" .sh)
        mkdir "$work/taken/$name" 2>/dev/null || continue
        out="$work/out/$name.out"
        # A hung case is cut off here; its windows go with the reset below.
        timeout -k 10 300 bash "$test" >"$out" 2>&1
        rc=$?
        tw_wine_reset
        echo "$rc" >"$work/out/$name.rc"
        cat "$out"
    done
}

for ((lane = 0; lane < lanes; lane++)); do
    (run_lane "$lane") &
done
wait

for test in "${scripts[@]}"; do
    name=$(basename "$test" .sh)
    out="$work/out/$name.out"
    if ! rc=$(cat "$work/out/$name.rc" 2>/dev/null); then
        echo "FAIL $name: not run"
        failed=$((failed + 1))
        continue
    fi
    p=$(grep -c '^PASS ' "$out")
    f=$(grep -c '^FAIL ' "$out")
    if ((rc != 0 && f == 0)); then
        echo "FAIL $name: ended with status $rc before reporting"
        f=1
    fi
    passed=$((passed + p))
    failed=$((failed + f))
done
failed=$((failed + $(cat "$work"/out/lane*.setup 2>/dev/null | wc -l)))

summary
((failed == 0 && passed > 0))
