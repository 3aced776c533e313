#!/usr/bin/env bash
# Two clean builds of KELBRANO.EXE and of the release zip with the win32
# preset, from two copies of the same sources at different paths into
# different build directories, must be byte-identical; and the executable must
# stay small: at most 10 KiB, PE32 for i386, large-address-aware, with the
# loader's protections, GUI subsystem, importing exactly KERNEL32, USER32,
# SHELL32, msvcrt.
# Prints a PASS or FAIL line per check; exits 1 when any check fails.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TMP=$(mktemp -d /tmp/kelbrano-reproducible.XXXXXX)
trap 'rm -rf "$TMP"' EXIT
# A fixed build date would hide a timestamp written into the executable.
unset SOURCE_DATE_EPOCH
failed=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failed=1; }

# The second copy: the files git would commit, at another path.
mkdir "$TMP/other-checkout"
(cd "$ROOT" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$TMP/other-checkout")

build() { # source directory, build directory
    cmake -S "$1" -B "$2" --preset win32 >"$2.log" 2>&1 &&
        cmake --build "$2" --target package >>"$2.log" 2>&1
}
exe_a=$TMP/build-a/KELBRANO.EXE
exe_b=$TMP/build-b/KELBRANO.EXE
zip_name=$(sed -n 's/^project(KELBRANO VERSION \([^ ]*\) .*/KELBRANO-\1-win32.zip/p' "$ROOT/CMakeLists.txt")
zip_a=$TMP/build-a/$zip_name
zip_b=$TMP/build-b/$zip_name
if build "$ROOT" "$TMP/build-a" && build "$TMP/other-checkout" "$TMP/build-b"; then
    pass "two clean builds of the win32 preset"
else
    fail "a build failed:"
    cat "$TMP"/build-*.log
    exit 1
fi

if cmp -s "$exe_a" "$exe_b"; then
    pass "the two builds are byte-identical ($(sha256sum <"$exe_a" | cut -c1-16))"
else
    first=$(cmp "$exe_a" "$exe_b" | awk '{print $5}' | tr -d ,)
    where="in the headers (the time stamp is there) or between sections"
    while read -r _ name size _ _ offset _; do
        if (((first - 1) >= 0x$offset && (first - 1) < 0x$offset + 0x$size)); then where="in section $name"; fi
    done < <(i686-w64-mingw32-objdump -h "$exe_a" | grep -E '^ *[0-9]+ ')
    fail "the two builds differ in $(cmp -l "$exe_a" "$exe_b" | wc -l) bytes, first at byte $first, $where"
fi

if [ ! -f "$zip_a" ] || [ ! -f "$zip_b" ]; then
    fail "no release zip $zip_name in the build directories"
elif cmp -s "$zip_a" "$zip_b"; then
    pass "the two release zips $zip_name are byte-identical (SHA-256 $(sha256sum <"$zip_a" | cut -c1-64))"
else
    fail "the two release zips $zip_name differ: $(cmp "$zip_a" "$zip_b" | cut -d' ' -f3-)"
fi

size=$(stat -c %s "$exe_a")
if [ "$size" -le 10240 ]; then pass "size $size bytes <= 10 KiB"; else fail "size $size bytes > 10 KiB"; fi

headers=$(i686-w64-mingw32-objdump -p "$exe_a")
if grep -q 'file format pei-i386' <<<"$headers" && grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers"; then
    pass "PE32 for i386"
else
    fail "not PE32 for i386: $(grep -m1 'file format' <<<"$headers"), $(grep -m1 '^Magic' <<<"$headers")"
fi
# A file's text and its Unicode copy can need more than 2 GiB of addresses.
if grep -q 'large address aware' <<<"$headers"; then
    pass "large-address-aware"
else
    fail "not large-address-aware: $(grep -m1 '^Characteristics' <<<"$headers")"
fi
# The loader's protections: address-space randomisation, no-execute data, no
# exception handlers in the image (so none an overwritten record points to is
# taken), and no Remote Desktop compatibility shims.
flags=$(awk '/^DllCharacteristics/ {print $2}' <<<"$headers")
if (((0x$flags & 0x8540) == 0x8540)); then
    pass "DllCharacteristics $flags: DYNAMIC_BASE, NX_COMPAT, NO_SEH, TERMINAL_SERVER_AWARE"
else
    fail "DllCharacteristics ${flags:-none} lacks some of DYNAMIC_BASE, NX_COMPAT, NO_SEH, TERMINAL_SERVER_AWARE (0x8540)"
fi
subsystem=$(awk '/^Subsystem/ {$1 = ""; print substr($0, 2)}' <<<"$headers")
if [ "$subsystem" = "00000002 (Windows GUI)" ]; then pass "subsystem $subsystem"; else fail "subsystem $subsystem, not Windows GUI"; fi

imports=$(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers" | sort | paste -sd' ')
if [ "$imports" = "KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL" ]; then
    pass "imports $imports"
else
    fail "imports '$imports', not exactly KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"
fi

exit "$failed"
