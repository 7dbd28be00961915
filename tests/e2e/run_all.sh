#!/usr/bin/env bash
# Runs every end-to-end test (test_*.sh beside this file) against
# build/win64/tunewhistle.exe (or $TW_EXE) under Wine in one Xvfb session,
# prints PASS/FAIL per case and closes with "N passed, N failed".
source "$(dirname "$0")/lib.sh"

passed=0
failed=0
summary() { echo "$passed passed, $failed failed"; }

if [[ ! -f "$TW_EXE" ]]; then
    echo "FAIL e2e: $TW_EXE is missing (build it with tools/build.sh)"
    failed=1; summary; exit 1
fi
if ! tw_session_begin; then
    echo "FAIL e2e: no Xvfb or Wine session could be set up"
    failed=1; summary; exit 1
fi

for test in "$TW_ROOT"/tests/e2e/test_*.sh; do
    name=$(basename "$test" .sh)
    out="$TW_SESSION/$name.out"
    # A hung case is cut off here; its windows go with the reset below.
    timeout -k 10 300 bash "$test" | tee "$out"
    rc=${PIPESTATUS[0]}
    tw_wine_reset
    p=$(grep -c '^PASS ' "$out")
    f=$(grep -c '^FAIL ' "$out")
    if ((rc != 0 && f == 0)); then
        echo "FAIL $name: ended with status $rc before reporting"
        f=1
    fi
    passed=$((passed + p))
    failed=$((failed + f))
done

summary
((failed == 0 && passed > 0))
