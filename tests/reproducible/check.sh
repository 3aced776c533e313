#!/usr/bin/env bash
# Two clean builds of KELBRANO.EXE and of the release zip with the win32
# preset, from two copies of the same sources at different paths into
# different build directories, must be byte-identical, and the SHA-256 file
# beside the zip must name it with its hash; the same for the win64 preset
# where the x86-64 mingw-w64 is installed (said when it is not); the same for
# KELBRANO-MENU.EXE, which the zip must hold too. Each 32-bit executable must
# stay small (KELBRANO.EXE at most 13 KiB, 13,312 bytes; KELBRANO-MENU.EXE at
# most 16 KiB), PE32 for i386, large-address-aware, with the loader's protections, GUI subsystem,
# importing exactly its own DLLs (KELBRANO.EXE: KERNEL32, USER32, SHELL32,
# msvcrt; KELBRANO-MENU.EXE: ADVAPI32 besides), and holding no instruction
# the Pentium lacks.
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

# The commit both zips name in COMMIT.txt: the copy has no .git to read it from.
commit=$(git -C "$ROOT" rev-parse --verify HEAD)
[ -z "$(git -C "$ROOT" status --porcelain)" ] || commit=$commit-modified
build() { # source directory, build directory, preset
    cmake -S "$1" -B "$2" --preset "$3" -DKELBRANO_COMMIT="$commit" >"$2.log" 2>&1 &&
        cmake --build "$2" --target package >>"$2.log" 2>&1
}
version=$(sed -n 's/^project(KELBRANO VERSION \([^ ]*\) .*/\1/p' "$ROOT/CMakeLists.txt")
# reproduces PRESET OBJDUMP: two builds of the preset, their executables and
# zips compared, and the zip's SHA-256 file checked.
reproduces() {
    local preset=$1 objdump=$2 a=$TMP/$1-a b=$TMP/$1-b zip_name=KELBRANO-$version-$1.zip
    if build "$ROOT" "$a" "$preset" && build "$TMP/other-checkout" "$b" "$preset"; then
        pass "two clean builds of the $preset preset"
    else
        fail "a build of the $preset preset failed:"
        cat "$TMP/$preset"-*.log
        exit 1
    fi

    local exe
    for exe in KELBRANO.EXE KELBRANO-MENU.EXE; do
        if cmp -s "$a/$exe" "$b/$exe"; then
            pass "the two $preset builds of $exe are byte-identical ($(sha256sum <"$a/$exe" | cut -c1-16))"
        else
            first=$(cmp "$a/$exe" "$b/$exe" | awk '{print $5}' | tr -d ,)
            where="in the headers (the time stamp is there) or between sections"
            while read -r _ name size _ _ offset _; do
                if (((first - 1) >= 0x$offset && (first - 1) < 0x$offset + 0x$size)); then
                    where="in section $name"
                fi
            done < <("$objdump" -h "$a/$exe" | grep -E '^ *[0-9]+ ')
            fail "the two $preset builds of $exe differ in $(cmp -l "$a/$exe" "$b/$exe" | wc -l) bytes," \
                "first at byte $first, $where"
        fi
    done

    if [ ! -f "$a/$zip_name" ] || [ ! -f "$b/$zip_name" ]; then
        fail "no release zip $zip_name in the build directories"
    elif cmp -s "$a/$zip_name" "$b/$zip_name"; then
        pass "the two release zips $zip_name are byte-identical (SHA-256 $(sha256sum <"$a/$zip_name" | cut -c1-64))"
    else
        fail "the two release zips $zip_name differ: $(cmp "$a/$zip_name" "$b/$zip_name" | cut -d' ' -f3-)"
    fi
    if [ -f "$a/$zip_name" ] && /usr/bin/python3 -c 'import sys, zipfile
sys.exit(sys.argv[2].encode() not in zipfile.ZipFile(sys.argv[1]).read("COMMIT.txt"))' "$a/$zip_name" "$commit"; then
        pass "$zip_name names its commit in COMMIT.txt ($commit)"
    else
        fail "$zip_name has no COMMIT.txt naming $commit"
    fi
    if [ -f "$a/$zip_name" ] && (cd "$a" && sha256sum --status -c "$zip_name.sha256" 2>/dev/null) &&
        [ "$(awk '{print $2}' "$a/$zip_name.sha256")" = "$zip_name" ]; then
        pass "$zip_name.sha256 names the zip with its hash"
    else
        fail "$zip_name.sha256 is missing or does not name $zip_name with its hash"
    fi
}
reproduces win32 i686-w64-mingw32-objdump
if command -v x86_64-w64-mingw32-g++ >/dev/null; then
    reproduces win64 x86_64-w64-mingw32-objdump
else
    echo "NOT CHECKED: the win64 zip (no x86_64-w64-mingw32-g++ here; scripts/install-deps.sh installs it only" \
        "where the kernel runs no 32-bit code)"
fi
# The zip's entries, by name, to see KELBRANO-MENU.EXE at its top level.
if python3 -c 'import sys, zipfile; sys.exit("KELBRANO-MENU.EXE" not in zipfile.ZipFile(sys.argv[1]).namelist())' \
    "$TMP/win32-a/KELBRANO-$version-win32.zip" 2>/dev/null; then
    pass "the win32 zip holds KELBRANO-MENU.EXE"
else
    fail "the win32 zip holds no KELBRANO-MENU.EXE at its top level"
fi

# check_exe NAME CEILING IMPORTS: the checks of one 32-bit executable, which
# must be at most CEILING bytes and import exactly IMPORTS (upper case,
# sorted, one space between).
check_exe() {
    local exe_a=$TMP/win32-a/$1 ceiling=$2 want_imports=$3 size p6 release_toolchain headers flags subsystem imports

    size=$(stat -c %s "$exe_a")
    # The one size limit of each program; the sizes each Debian gives are in
    # docs/developing.md.
    if [ "$size" -le "$ceiling" ]; then
        pass "$1: size $size bytes <= $ceiling"
    else
        fail "$1: size $size bytes > $ceiling"
    fi

    # Windows 2000 and XP run on the Pentium, Pentium MMX, K6 and VIA C3 too,
    # which fault on the Pentium Pro's instructions. The program's own code is
    # built without them; what the runtime's libraries link in is as Debian built
    # it, so on Debian 12, whose toolchain makes the release, such an instruction
    # fails the check, and elsewhere it is reported.
    p6=$(i686-w64-mingw32-objdump -d "$exe_a" | grep -cE $'\t(cmov|fcmov|fcomip?|fucomip?)([a-z]*)? ')
    release_toolchain=$(. /etc/os-release 2>/dev/null && [ "${VERSION_CODENAME:-}" = bookworm ] && echo yes)
    if [ "$p6" -eq 0 ]; then
        pass "$1: no instruction the Pentium lacks (cmov, fcmov, fcomi, fucomi)"
    elif [ -n "$release_toolchain" ]; then
        fail "$1: $p6 instructions the Pentium lacks (cmov, fcmov, fcomi, fucomi)"
    else
        echo "NOTE: $1: $p6 instructions the Pentium lacks (cmov, fcmov, fcomi, fucomi), from this Debian's runtime" \
            "libraries; Debian 12's toolchain, which makes the release, must give none"
    fi

    headers=$(i686-w64-mingw32-objdump -p "$exe_a")
    if grep -q 'file format pei-i386' <<<"$headers" && grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers"; then
        pass "$1: PE32 for i386"
    else
        fail "$1: not PE32 for i386: $(grep -m1 'file format' <<<"$headers"), $(grep -m1 '^Magic' <<<"$headers")"
    fi
    # A file's text and its Unicode copy can need more than 2 GiB of addresses.
    if grep -q 'large address aware' <<<"$headers"; then
        pass "$1: large-address-aware"
    else
        fail "$1: not large-address-aware: $(grep -m1 '^Characteristics' <<<"$headers")"
    fi
    # The loader's protections: address-space randomisation, no-execute data, no
    # exception handlers in the image (so none an overwritten record points to is
    # taken), and no Remote Desktop compatibility shims.
    flags=$(awk '/^DllCharacteristics/ {print $2}' <<<"$headers")
    if (((0x$flags & 0x8540) == 0x8540)); then
        pass "$1: DllCharacteristics $flags: DYNAMIC_BASE, NX_COMPAT, NO_SEH, TERMINAL_SERVER_AWARE"
    else
        fail "$1: DllCharacteristics ${flags:-none} lacks some of DYNAMIC_BASE, NX_COMPAT, NO_SEH, TERMINAL_SERVER_AWARE (0x8540)"
    fi
    subsystem=$(awk '/^Subsystem/ {$1 = ""; print substr($0, 2)}' <<<"$headers")
    if [ "$subsystem" = "00000002 (Windows GUI)" ]; then pass "$1: subsystem $subsystem"; else fail "$1: subsystem $subsystem, not Windows GUI"; fi

    imports=$(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers" | sort | paste -sd' ')
    if [ "$imports" = "$want_imports" ]; then
        pass "$1: imports $imports"
    else
        fail "$1: imports '$imports', not exactly $want_imports"
    fi
}
check_exe KELBRANO.EXE 13312 "KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"
# The menu program, run once to add or remove its entry, has a ceiling of
# its own: 16 KiB, room for what another toolchain adds.
check_exe KELBRANO-MENU.EXE 16384 "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL"

exit "$failed"
