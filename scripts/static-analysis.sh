#!/usr/bin/env bash
# Checks the programs' code (copier/, menu/, messages/, platform/; not the tests) with tools
# that don't need Windows, the layout of every C++ file, and runs the unit
# tests once under valgrind:
#   clang-format      every C++ file of the program, its tests and benchmarks
#                     laid out as .clang-format says (--dry-run, changes nothing);
#                     clang-format 14 (Debian 12's) and 19 (Debian 13's) agree
#                     on it, and where two releases part, the older one's
#                     layout is the rule
#   cppcheck          with the Win32 test double's headers, taken as 64-bit
#                     Linux and as 32-bit Windows
#   clang-tidy        with .clang-tidy, on the native build's compile commands
#                     (the test double's headers) and on the Windows build's
#                     (the real mingw-w64 headers, start-up included); first,
#                     that every check it turns on is one of those reviewed in
#                     scripts/clang-tidy-checks.txt
#   valgrind          the unit tests built without sanitizers into build/valgrind;
#                     scripts/valgrind-glibc.supp hides only glibc's vectorized
#                     wide-string reads past a block, which valgrind can't tell
# Prints a PASS or FAIL line for each; exits non-zero on any finding. Logs are
# in build/static-analysis/. Run scripts/install-deps.sh first on a new machine.
set -uo pipefail
cd "$(dirname "$0")/.."

logs=build/static-analysis
mkdir -p "$logs"
failed=0

# step NAME COMMAND...: runs the command, its output to NAME's log; shows the
# findings and FAIL when it exits non-zero.
step() {
    local name=$1 log
    log="$logs/$(echo "$1" | tr ' ' '-').log"
    shift
    if "$@" >"$log" 2>&1; then
        echo "PASS $name"
    else
        grep -E 'error|warning|style|performance|portability|Invalid|uninitialised|definitely|indirectly|possibly|FAILED' "$log" |
            grep -v 'warnings generated' | head -n 30
        echo "FAIL $name (log: $log)"
        failed=1
    fi
}

# Every C++ file: the program, its resource header, the tests, the benchmarks.
# The few hand-laid tables and line breaks are fenced with clang-format off/on.
cpp_files() {
    find copier menu messages platform tests -name '*.cpp' -o -name '*.h'
    ls resources/*.h bench/*.cpp
}
layout() {
    cpp_files | sort | xargs -d '\n' clang-format --dry-run --Werror && return
    echo "error: not laid out as clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -n 1)" \
        "lays it out. Where clang-format 14 (Debian 12's) passes and a newer one does not, 14's layout is" \
        "the rule: fence those lines with // clang-format off and // clang-format on."
    return 1
}
step "clang-format" layout

# The programs' own sources as a compile database lists them.
sources() {
    sed -n 's/^ *"file": "\(.*\/\(copier\|menu\|messages\|platform\)\/[^"]*\.cpp\)",*$/\1/p' "$1/compile_commands.json"
}

# cppcheck 2.11 and later follow only so many branches unless told to follow
# all, as 2.10 (Debian 12's) does.
exhaustive=$(cppcheck --help | grep -- --check-level >/dev/null && echo --check-level=exhaustive)
cppcheck_as() {
    # shellcheck disable=SC2086 # $exhaustive is one option or none
    cppcheck $exhaustive --quiet --error-exitcode=1 --inline-suppr --std=c++17 --language=c++ --platform="$1" \
        --library=windows --enable=warning,style,performance,portability,unusedFunction --inconclusive \
        --suppress=missingIncludeSystem -I tests/win32 -D_FILE_OFFSET_BITS=64 \
        --template='{file}:{line}: {severity} [{id}] {message}' copier/*.cpp menu/*.cpp messages/*.cpp platform/*.cpp
}
step "cppcheck as 64-bit Linux" cppcheck_as unix64
step "cppcheck as 32-bit Windows" cppcheck_as win32A

# Configured only, for their compile commands; build/valgrind is built below.
cmake -S . -B build/valgrind -DCMAKE_BUILD_TYPE=Debug -DKELBRANO_SANITIZE=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$logs/configure.log" 2>&1 &&
    cmake -S . -B build/tidy-win32 --toolchain cmake/i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >>"$logs/configure.log" 2>&1 ||
    { cat "$logs/configure.log"; echo "FAIL configure"; exit 1; }

# A newer clang-tidy brings new checks into the families .clang-tidy takes
# whole: this fails while any of them is on and not listed. Read each, then
# list it or turn it off by name in .clang-tidy.
reviewed() {
    local new
    new=$(clang-tidy --list-checks | sed -n 's/^    //p' | LC_ALL=C sort | LC_ALL=C comm -23 - scripts/clang-tidy-checks.txt)
    [ -z "$new" ] || { sed 's|.*|error: & is on and not in scripts/clang-tidy-checks.txt|' <<<"$new"; return 1; }
}
step "clang-tidy turns on only checks reviewed" reviewed

tidy() {
    local files
    files=$(sources "$1")
    [ -n "$files" ] || { echo "no sources of the program in $1/compile_commands.json"; return 1; }
    # shellcheck disable=SC2086
    clang-tidy --quiet -p "$1" $files
}
# -malign-data is GCC's own: the clang under clang-tidy would stop at it.
sed -i 's/ -malign-data=abi//' build/tidy-win32/compile_commands.json
step "clang-tidy with the test double" tidy build/valgrind
step "clang-tidy for 32-bit Windows" tidy build/tidy-win32

valgrind_run() {
    cmake --build build/valgrind -j2 --target unit_tests &&
        valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible \
            --suppressions=scripts/valgrind-glibc.supp build/valgrind/tests/unit_tests
}
step "unit tests under valgrind" valgrind_run

exit "$failed"
