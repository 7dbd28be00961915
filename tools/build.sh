#!/usr/bin/env bash
# Configures and builds the program and its tests.
#   tools/build.sh              host, win64 and win32
#   tools/build.sh host win64   only those
# host:  build/host   native build: unit tests, fuzz target, benchmarks
# win64: build/win64  x86_64 exe + readme.txt/version.txt + Win32 tests (run under Wine)
# win32: build/win32  i686 exe + Win32 tests (run under Wine's 32-bit half, when installed)
# asan:  build/asan   the host unit tests with AddressSanitizer and UBSan, and
#        the fuzz targets (not built unless named)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${TW_JOBS:-$(nproc 2>/dev/null || echo 2)}
# TW_TARGETS="a b": only those targets (of every build named).
only=${TW_TARGETS:-}
targets=("$@")
((${#targets[@]})) || targets=(host win64 win32)

# build NAME [CONFIGURE ARGS...]: configures and builds build/NAME (only the
# targets in $only, when set).
build() {
    local name=$1; shift
    echo "== build $name"
    cmake -S . -B "build/$name" "$@"
    cmake --build "build/$name" -j "$jobs" ${only:+--target $only}
}

for target in "${targets[@]}"; do
    case $target in
    host)
        build host -DCMAKE_BUILD_TYPE=RelWithDebInfo ;;
    win64)
        build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
            -DTW_BUILD_WIN32_TESTS=ON -DCMAKE_BUILD_TYPE=Release ;;
    asan)
        # clang compiles the tests faster than g++; -O1 keeps them quick
        # under the sanitizers, -gline-tables-only gives the reports' lines.
        # The fuzz targets too, on the same libraries (fuzz/run.sh with
        # TW_FUZZ_BUILD=build/asan).
        only="tw_tests tw_text_case_words_test fuzz_load_state fuzz_extension fuzz_id3v2 make_fuzz_seeds make_id3v2_seeds" \
            build asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=None -DTW_FUZZ=ON \
            "-DCMAKE_CXX_FLAGS=-O1 -gline-tables-only -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all" \
            -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined ;;
    win32)
        build win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
            -DTW_BUILD_WIN32_TESTS=ON -DCMAKE_BUILD_TYPE=Release ;;
    *)
        echo "build.sh: unknown target '$target' (host, win64, win32, asan)" >&2
        exit 2 ;;
    esac
done
