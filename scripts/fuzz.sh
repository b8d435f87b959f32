#!/usr/bin/env bash
# Builds the fuzz targets (the clang sanitizer build, build-asan/) and runs each from its seed
# corpus, several at a time.
#   scripts/fuzz.sh [--time SECONDS] [--jobs N] [TARGET...]
# --time: how long each target runs (default 60); --jobs: how many run at once (default: the
# number of cores); TARGET: dfuse_file, device_description, command_line, utf_conversion,
# string_format, profile_file, utf8_text, user_dirs, skin_document, string_table_document,
# font_names, property_list, key_text, menu_strings, hand_over_message, debug_console_option
# (default: all). New inputs go to
# build-asan/fuzz-out/<target>/corpus, the logs beside them.
# A crash, a failed check, a leak or an input that takes more than 25 s ends that target: the
# script prints the reproducer and fails. To keep a reproducer, copy it into
# fuzz/corpus/<target>/; to replay one: build-asan/fuzz/fuzz_<target> FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
jobs=$(nproc)
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --time) seconds=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        -*) echo "fuzz: unknown option $1" >&2; exit 2 ;;
        *) targets+=("$1"); shift ;;
    esac
done
if [ ${#targets[@]} -eq 0 ]; then
    targets=(dfuse_file device_description command_line utf_conversion string_format
             profile_file utf8_text user_dirs skin_document string_table_document font_names
             property_list key_text menu_strings hand_over_message debug_console_option)
fi

bash scripts/install-deps.sh
source scripts/build-flags.sh
dir=build-asan
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON \
    -DORV_FUZZ=ON -DORV_WERROR=ON -DCMAKE_CXX_FLAGS_DEBUG="$ORV_ASAN_FLAGS" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_targets

out=$dir/fuzz-out
run_one() {
    local target=$1 work=$out/$1
    rm -rf "$work"
    mkdir -p "$work/corpus"
    local options=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096
                   -print_final_stats=1 -artifact_prefix="$work/")
    if [ -f "fuzz/$target.dict" ]; then
        options+=(-dict="fuzz/$target.dict")
    fi
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$dir/fuzz/fuzz_$target" "${options[@]}" "$work/corpus" "fuzz/corpus/$target" \
        >"$work/log" 2>&1
}

pids=()
names=()
failed=0
finish() {
    local pid=$1 target=$2 work=$out/$2
    local runs
    if wait "$pid"; then
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/log" | grep -o '[0-9]*$' || true)
        echo "fuzz: $target: ${runs:-?} runs in $seconds s, no finding"
    else
        failed=1
        echo "fuzz: $target FAILED; the end of its log ($work/log):"
        grep -v '^#[0-9]' "$work/log" | tail -n 40
        for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
            [ -f "$artifact" ] || continue
            echo "fuzz: reproducer $artifact ($(stat -c %s "$artifact") bytes):"
            head -c 1024 "$artifact" | od -A x -t x1z | head -n 40
        done
    fi
}
for target in "${targets[@]}"; do
    if [ ${#pids[@]} -ge "$jobs" ]; then
        finish "${pids[0]}" "${names[0]}"
        pids=("${pids[@]:1}")
        names=("${names[@]:1}")
    fi
    echo "fuzz: $target for $seconds s"
    run_one "$target" &
    pids+=($!)
    names+=("$target")
done
for i in "${!pids[@]}"; do
    finish "${pids[$i]}" "${names[$i]}"
done
exit $failed
