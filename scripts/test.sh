#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh            normal build (build/), all tests
#   scripts/test.sh --sanitize AddressSanitizer + UndefinedBehaviorSanitizer build with clang
#                              (build-asan/), with the fuzz targets run once over their corpora
#   scripts/test.sh --tsan     ThreadSanitizer build (build-tsan/), the threading tests
# Extra arguments after the mode go to ctest (for example -R test_objectbase).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=normal
case "${1:-}" in
    --sanitize) mode=sanitize; shift ;;
    --tsan) mode=tsan; shift ;;
esac

bash scripts/install-deps.sh
source scripts/build-flags.sh

jobs=$(nproc)
case "$mode" in
    normal)
        dir=build
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WERROR=ON \
            -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$ORV_RELWITHDEBINFO_FLAGS"
        cmake --build "$dir" -j "$jobs"
        ctest --test-dir "$dir" -j "$jobs" --output-on-failure "$@"
        ;;
    sanitize)
        dir=build-asan
        CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
            -DORV_SANITIZE=ON -DORV_FUZZ=ON -DORV_WERROR=ON -DCMAKE_CXX_FLAGS_DEBUG="$ORV_ASAN_FLAGS"
        cmake --build "$dir" -j "$jobs"
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --test-dir "$dir" -j "$jobs" --output-on-failure "$@"
        ;;
    tsan)
        dir=build-tsan
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_TSAN=ON -DORV_WERROR=ON \
            -DCMAKE_CXX_FLAGS_DEBUG="$ORV_TSAN_FLAGS"
        cmake --build "$dir" -j "$jobs" --target threading_tests
        TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
            ctest --test-dir "$dir" -j "$jobs" -L threading --output-on-failure "$@"
        ;;
esac
