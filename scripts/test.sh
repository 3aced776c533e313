#!/usr/bin/env bash
# Runs every test: installs what is missing, builds KELBRANO.EXE and the
# native unit tests, then runs each suite below (unit tests, the executable's
# resource, the end-to-end suite under Wine, the reproducible build, the
# documents, fuzzing, static analysis). Exits non-zero when any suite fails or none ran.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1
cmake --preset win32 >/dev/null && cmake --build --preset win32 || exit 1
cmake --preset native >/dev/null && cmake --build --preset native -j2 || exit 1
. scripts/wine-session.sh # only to learn which build Wine can run here
# The 32-bit path runs the win32 build just made, with the i686 tools and
# 32-bit Wine that install-deps.sh installs everywhere; the 64-bit one also
# needs the x86-64 tools and 64-bit Wine, which it installs only there.
if [ "$KELBRANO_WINE_BITS" = 64 ]; then
    echo "This machine can't run 32-bit x86 programs: the end-to-end suite runs the 64-bit build" \
        "of the same sources under 64-bit Wine."
    cmake --preset win64 >/dev/null && cmake --build --preset win64 || exit 1
fi

passed=0
failed=0
suite() {
    local name=$1
    shift
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "=== $name FAILED"
    fi
}

suite "unit tests" ctest --preset native --no-tests=error
suite "executable and its resource" ctest --preset win32 -L exe --no-tests=error
suite "end-to-end under Wine ($KELBRANO_WINE_BITS-bit build)" \
    ctest --preset "win$KELBRANO_WINE_BITS" -L e2e --no-tests=error --verbose
suite "reproducible build, size and imports" tests/reproducible/check.sh
suite "the documents' links and the zip's text files" sh -c 'cmake --build --preset win32 --target package >/dev/null &&
    /usr/bin/python3 tests/docs/check-docs.py build/win32/KELBRANO-*-win32.zip'
suite "fuzzing the command line and the UTF-8 check" tests/fuzz/run.sh
suite "static analysis and valgrind" scripts/static-analysis.sh

echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
