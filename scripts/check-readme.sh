#!/usr/bin/env bash
# Checks every command of README.md against the tree, so that the README cannot drift from it.
# Run after the normal build (build/, bash scripts/test.sh). A command is a line of an indented
# code block (four spaces, after a blank line). Each kind of command is checked by what it
# names:
#   bash scripts/<script> ...       the script exists; a fuzz.sh target is a fuzz target
#   ctest --test-dir build -R F     F matches at least one test of build/
#   ./build*/<dir>/<program> ...    the program exists at that place in build/; a test program
#                                   given --gtest_filter=F has a test that F selects; a fuzz
#                                   program is a fuzz target
#   cmake -S/-B, cmake --build      configure lines name this tree; every --target exists
#   ctest --test-dir <dir>          runs what the cmake lines before it built
#   sudo install ... <file> ...     not run: the file it installs exists
#   device=...                      a simulated-device description line: read by a test of
#                                   the description reader (test_platform_sim)
# Any other command fails the check: give it a rule here.
set -euo pipefail
cd "$(dirname "$0")/.."

readme=README.md
build=build
failures=0

fail()
{
    echo "check-readme: $1" >&2
    failures=$((failures + 1))
}

is_fuzz_target()
{
    grep -q "^orv_add_fuzz_target($1 " fuzz/CMakeLists.txt && [ -d "fuzz/corpus/$1" ]
}

# The targets of the normal build, one per line.
targets=$(cmake --build "$build" --target help | sed -n 's/^\([A-Za-z0-9_.-]*\): .*/\1/p')

check_target()
{
    if ! grep -qx -- "$1" <<<"$targets"; then
        fail "no build target '$1': $2"
    fi
}

check_ctest_filter()
{
    local filter=$1 line=$2 count
    count=$(ctest --test-dir "$build" -N -R "$filter" | sed -n 's/^Total Tests: //p')
    if [ "${count:-0}" -eq 0 ]; then
        fail "the filter '$filter' matches no test: $line"
    fi
}

check_program()
{
    local line=$1 program rest path filter
    read -r program rest <<<"$line"
    # The same program in the normal build.
    path="$build/${program#./build*/}"
    case "$program" in
        ./build-asan/fuzz/fuzz_*)
            local name=${program#./build-asan/fuzz/fuzz_}
            is_fuzz_target "$name" || fail "no fuzz target '$name': $line"
            return
            ;;
    esac
    if [ ! -x "$path" ]; then
        fail "no program $path: $line"
        return
    fi
    filter=$(sed -n "s/.*--gtest_filter='\{0,1\}\([^' ]*\)'\{0,1\}.*/\1/p" <<<"$rest")
    if [ -n "$filter" ] &&
        ! "$path" --gtest_list_tests --gtest_filter="$filter" | grep -q '^  '; then
        fail "the filter '$filter' selects no test of $path: $line"
    fi
}

check_cmake()
{
    local line=$1 word next=""
    for word in $line; do
        case "$next" in
            source) [ "$word" = . ] || fail "configures another source tree: $line" ;;
            target) check_target "$word" "$line" ;;
        esac
        case "$word" in
            -S) next=source ;;
            --target) next=target ;;
            -*) next="" ;;
            *) [ "$next" = target ] || next="" ;;
        esac
    done
}

check_install()
{
    local line=$1 word found=""
    for word in $line; do
        if [ -f "$word" ]; then
            found=$word
        fi
        case "$word" in
            platform/*)
                [ -f "$word" ] || fail "the file $word does not exist: $line"
                ;;
        esac
    done
    [ -n "$found" ] || fail "installs no file of the tree: $line"
}

check_script()
{
    local line=$1 script
    script=$(awk '{print $2}' <<<"$line")
    if [ ! -f "$script" ]; then
        fail "no script $script: $line"
        return
    fi
    if [ "$script" = scripts/fuzz.sh ]; then
        local word skip=0
        for word in ${line#bash scripts/fuzz.sh}; do
            if [ $skip -eq 1 ]; then
                skip=0
                continue
            fi
            case "$word" in
                --time | --jobs) skip=1 ;;
                '#'*) break ;;
                -*) ;;
                *) is_fuzz_target "$word" || fail "no fuzz target '$word': $line" ;;
            esac
        done
    fi
}

commands=0
previous_blank=1
in_block=0
while IFS= read -r raw; do
    if [[ "$raw" =~ ^\ {4}[^\ ] ]] && { [ $previous_blank -eq 1 ] || [ $in_block -eq 1 ]; }; then
        in_block=1
        line=${raw#    }
        # A comment after the command is not part of it.
        command=$(sed 's/[[:space:]]\{2,\}#.*$//' <<<"$line")
        commands=$((commands + 1))
        case "$command" in
            "bash scripts/"*) check_script "$command" ;;
            "ctest --test-dir build -R "*)
                filter=$(awk '{print $5}' <<<"$command" | tr -d "'")
                check_ctest_filter "$filter" "$command"
                ;;
            "ctest --test-dir "*) ;; # runs what the lines before it built
            ./build*) check_program "$command" ;;
            cmake\ * | *\ cmake\ *) check_cmake "$command" ;;
            "sudo install "*) check_install "$command" ;;
            device=*) ;; # read by test_platform_sim
            *) fail "a command this check has no rule for: $command" ;;
        esac
    else
        in_block=0
    fi
    if [[ "$raw" =~ ^[[:space:]]*$ ]]; then
        previous_blank=1
    else
        previous_blank=0
    fi
done <"$readme"

if [ $commands -eq 0 ]; then
    fail "no command found in $readme"
fi
if [ $failures -ne 0 ]; then
    echo "check-readme: $failures of $commands commands do not hold" >&2
    exit 1
fi
echo "check-readme: all $commands commands hold"
