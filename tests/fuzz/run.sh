#!/usr/bin/env bash
# Fuzzes the command-line handling and the UTF-8 check with libFuzzer (clang,
# AddressSanitizer and UBSan): builds three targets into build/fuzz, then runs
# them side by side for SECONDS each (default 20), starting from the seeds in
# tests/fuzz/corpus.
#   command-tail  the tail found in any command line
#   file-name     from a raw command line to the name handed to the copy
#   utf8-decode   the UTF-8 decoding against glibc's iconv
# Prints a PASS or FAIL line per target; exits non-zero on a build failure, a
# crash, a sanitizer report or a broken expectation, and leaves the input that
# did it in build/fuzz/artifacts/ (replay: build/fuzz/<target> <input>).
#
#   tests/fuzz/run.sh [seconds]
#
# Before a release, run it for an hour a target:  tests/fuzz/run.sh 3600
# What it learns stays in build/fuzz/corpus/<target> and is reused by later
# runs. To keep new seeds, minimise into the checked-in corpus:
#   build/fuzz/<target> -merge=1 tests/fuzz/corpus/<target> build/fuzz/corpus/<target>
set -uo pipefail
cd "$(dirname "$0")/../.."

seconds=${1:-20}
out=build/fuzz
cxx=clang++
targets=(command-tail file-name utf8-decode)
declare -A source=([command-tail]=CommandTailFuzz.cpp [file-name]=FileNameFuzz.cpp [utf8-decode]=Utf8DecodeFuzz.cpp)
declare -A tested=([command-tail]=copier/CommandTail.cpp [file-name]=copier/CommandTail.cpp
    [utf8-decode]=copier/TextEncoding.cpp)
declare -A dict=([command-tail]=command-line.dict [file-name]=command-line.dict [utf8-decode]=utf8.dict)
mkdir -p "$out/artifacts"

failed=0
for target in "${targets[@]}"; do
    if ! "$cxx" -std=c++17 -g -O1 -Wall -Wextra -Werror -I. \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        "${tested[$target]}" "tests/fuzz/${source[$target]}" -o "$out/$target" 2>"$out/$target.build.log"; then
        cat "$out/$target.build.log"
        echo "FAIL fuzz $target: does not build (is libclang-rt-dev installed? scripts/install-deps.sh)"
        failed=1
    fi
done
[ "$failed" -eq 0 ] || exit 1

declare -A pid
for target in "${targets[@]}"; do
    mkdir -p "$out/corpus/$target"
    "$out/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
        -dict="tests/fuzz/${dict[$target]}" -artifact_prefix="$out/artifacts/$target-" \
        "$out/corpus/$target" "tests/fuzz/corpus/$target" >"$out/$target.log" 2>&1 &
    pid[$target]=$!
done
for target in "${targets[@]}"; do
    if wait "${pid[$target]}"; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target.log")
        echo "PASS fuzz $target: ${runs:-?} inputs in ${seconds} s"
    else
        grep -E '==ERROR|^SUMMARY|: expected |runtime error|deadly signal' "$out/$target.log" | head -n 5
        echo "FAIL fuzz $target: see $out/$target.log and $out/artifacts/"
        failed=1
    fi
done
exit "$failed"
