#!/usr/bin/env bash
# Everything there is to test, as CI runs it: installs what is missing,
# builds host and win64, runs the host unit tests, the Win32 tests under
# Wine and the end-to-end tests of the exe under Wine and Xvfb; beside the
# Wine stages it builds win32 and runs the sanitizer and fuzz checks.
# Closes with "N passed, N failed" (test cases; a build or set-up step that
# fails counts as one failure) and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS
logs=$root/build/logs
mkdir -p "$logs"

passed=0
failed=0
failures=()
skipped=()

fail() { failed=$((failed + 1)); failures+=("$1"); echo "FAIL $1"; }

# Each stage's name and how long it took, for the summary.
stage_names=()
stage_times=()
stage_began=$SECONDS
stage() {
    end_stage
    echo "== $* [$((SECONDS - started))s]"
    stage_names+=("$*")
    stage_began=$SECONDS
}
end_stage() {
    ((${#stage_names[@]} > ${#stage_times[@]})) && stage_times+=($((SECONDS - stage_began)))
    return 0
}

finish() {
    end_stage
    local took=$((SECONDS - started)) i
    echo
    echo "== stage times"
    for i in "${!stage_names[@]}"; do printf '  %4ss  %s\n' "${stage_times[$i]}" "${stage_names[$i]}"; done
    echo
    echo "== summary ($((took / 60))m $((took % 60))s)"
    local f
    for f in "${failures[@]}"; do echo "  failed: $f"; done
    for f in "${skipped[@]}"; do echo "  not run: $f"; done
    echo "$passed passed, $failed failed"
    ((failed == 0 && passed > 0))
    exit
}

# count_ctest LOG: adds the counts of ctest's closing line to the totals.
count_ctest() {
    local line total bad
    line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
    if [[ -z "$line" ]]; then
        fail "$2: ctest ran no test"
        return
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    ((bad == 0)) || failures+=("$2: $bad of $total")
}

stage dependencies
if ! bash tools/deps.sh; then
    fail "tools/deps.sh"
    finish
fi

declare -A built
# The i686 build is nothing the Wine stages need: it goes beside them, with
# the sanitizers, below.
for target in host win64; do
    stage "build $target (log: build/logs/build-$target.log)"
    if bash tools/build.sh "$target" >"$logs/build-$target.log" 2>&1; then
        built[$target]=1
    else
        tail -n 60 "$logs/build-$target.log"
        fail "build $target"
    fi
done

if [[ -n "${built[host]:-}" ]]; then
    stage "host unit tests"
    ctest --test-dir build/host --output-on-failure --timeout 300 -j 2 2>&1 |
        tee "$logs/ctest-host.log"
    count_ctest "$logs/ctest-host.log" "host ctest"
fi

# Whether Wine has its 32-bit half (tools/deps.sh installs it where the
# kernel runs 32-bit programs).
wine32_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The i686 exe's Win32 tests and the smoke run, in a 32-bit prefix and a
# virtual screen of their own.
win32_under_wine() {
    if ! wine32_runs; then
        echo "SANITIZERS-SKIPPED the i686 exe under Wine: no 32-bit Wine (see tools/deps.sh)"
        return
    fi
    echo "== the i686 exe's Win32 tests and smoke under 32-bit Wine [$((SECONDS - t0))s]"
    (
        # Displays from :150, apart from those the Wine stages take from :90.
        export TW_WINEARCH=win32 TW_EXE=$root/build/win32/tunewhistle.exe TW_DISPLAY_FROM=150
        source tests/e2e/lib.sh
        if ! tw_session_begin; then
            echo "SANITIZERS-FAILED the i686 exe under Wine: no Xvfb or 32-bit Wine prefix"
            exit 1
        fi
        ctest --test-dir build/win32 --output-on-failure --timeout 300 >"$logs/ctest-win32.log" 2>&1
        tail -n 3 "$logs/ctest-win32.log"
        tw_wine_reset
        timeout -k 10 300 bash tests/e2e/smoke.sh >"$logs/smoke-win32.log" 2>&1
        cat "$logs/smoke-win32.log"
    )
}

# The i686 build (and its tests, above), the host tests built with
# AddressSanitizer and UBSan, then the fuzz targets for 30 s from their
# seeds: at the lowest priority,
# beside the Wine stages, which mostly wait on the program. Its own times
# go to its log.
sanitizers() {
    local t0=$SECONDS target
    # Without a 32-bit Wine to run its tests, the exe alone.
    local targets=tunewhistle
    wine32_runs && targets=
    echo "== build win32${targets:+ ($targets only)}"
    if TW_TARGETS=$targets bash tools/build.sh win32 >"$logs/build-win32.log" 2>&1; then
        echo "built win32"
        win32_under_wine
    else
        tail -n 60 "$logs/build-win32.log"
        echo "SANITIZERS-FAILED build win32"
    fi
    echo "== build asan [$((SECONDS - t0))s]"
    if ! bash tools/build.sh asan >"$logs/build-asan.log" 2>&1; then
        tail -n 60 "$logs/build-asan.log"
        echo "SANITIZERS-FAILED build asan"
        return
    fi
    echo "== host unit tests under the sanitizers [$((SECONDS - t0))s]"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build/asan --output-on-failure --timeout 300 -j 2 \
        -E '^(xdnd_drop_uri_list|draw_pictures|check_layers_catches_upward_includes)$' >"$logs/ctest-asan.log" 2>&1
    tail -n 3 "$logs/ctest-asan.log"
    # The three side by side: 30 s each is then 30 s in all.
    echo "== fuzz load_state, extension and id3v2, 30 s [$((SECONDS - t0))s]"
    for target in load_state extension id3v2; do
        (
            TW_FUZZ_BUILD=build/asan bash fuzz/run.sh 30 "$target" >"$logs/fuzz-$target.log" 2>&1
            echo $? >"$logs/fuzz-$target.rc"
        ) &
    done
    wait
    for target in load_state extension id3v2; do
        if [[ "$(cat "$logs/fuzz-$target.rc" 2>/dev/null)" == 0 ]]; then
            cat "$logs/fuzz-$target.log"
            echo "SANITIZERS-PASSED fuzz $target"
        else
            tail -n 40 "$logs/fuzz-$target.log"
            echo "SANITIZERS-FAILED fuzz $target"
        fi
    done
    echo "== sanitizers done [$((SECONDS - t0))s]"
}
sanitizers_pid=
if [[ -n "${built[host]:-}" ]]; then
    rm -f "$logs/ctest-asan.log" "$logs/ctest-win32.log" "$logs/smoke-win32.log" "$logs"/fuzz-*.rc
    ( renice -n 19 "$BASHPID" >/dev/null; sanitizers ) >"$logs/sanitizers.log" 2>&1 &
    sanitizers_pid=$!
fi

if [[ -n "${built[win64]:-}" ]]; then
    stage "Win32 tests under Wine"
    # A fresh prefix of its own, on a virtual screen (helpers in
    # tests/e2e/lib.sh). The tests that need code page 932 set their own
    # locale in tests/win32/CMakeLists.txt.
    (
        source tests/e2e/lib.sh
        if ! tw_session_begin; then
            echo "no Xvfb or Wine prefix for the Win32 tests"
            exit 1
        fi
        ctest --test-dir build/win64 --output-on-failure --timeout 300
    ) 2>&1 | tee "$logs/ctest-win64.log"
    count_ctest "$logs/ctest-win64.log" "win64 ctest"

    stage "end-to-end tests"
    bash tests/e2e/run_all.sh 2>&1 | tee "$logs/e2e.log"
    line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$logs/e2e.log" | tail -n 1)
    if [[ -z "$line" ]]; then
        fail "end-to-end tests: no result"
    else
        read -r p _ f _ <<<"$line"
        passed=$((passed + p))
        failed=$((failed + f))
        ((f == 0)) || failures+=("end-to-end: $f")
    fi
fi

if [[ -n "$sanitizers_pid" ]]; then
    stage "build win32, sanitizers and fuzzing (begun beside the Wine stages; log: build/logs/sanitizers.log)"
    wait "$sanitizers_pid"
    cat "$logs/sanitizers.log"
    if [[ -f "$logs/ctest-asan.log" ]]; then
        count_ctest "$logs/ctest-asan.log" "host ctest under the sanitizers"
    fi
    if [[ -f "$logs/ctest-win32.log" ]]; then
        count_ctest "$logs/ctest-win32.log" "win32 ctest under 32-bit Wine"
        p=$(grep -c '^PASS ' "$logs/smoke-win32.log" 2>/dev/null)
        f=$(grep -c '^FAIL ' "$logs/smoke-win32.log" 2>/dev/null)
        if ((${p:-0} + ${f:-0} == 0)); then
            fail "i686 smoke under 32-bit Wine: no result"
        else
            passed=$((passed + p))
            failed=$((failed + f))
            ((f == 0)) || failures+=("i686 smoke under 32-bit Wine: $f")
        fi
    fi
    while read -r verdict what; do
        case $verdict in
        SANITIZERS-PASSED) passed=$((passed + 1)) ;;
        SANITIZERS-FAILED) fail "$what" ;;
        SANITIZERS-SKIPPED) skipped+=("$what") ;;
        esac
    done < <(grep -E '^SANITIZERS-(PASSED|FAILED|SKIPPED) ' "$logs/sanitizers.log")
fi

finish
