#!/usr/bin/env bash
# Benchmark (not a test): KELBRANO.EXE against the least the same job can
# cost, under Wine with a virtual X display of its own, on files of 4 KiB,
# 1 MiB, 64 MiB and 256 MiB of three kinds: ASCII text and random bytes
# against Baseline.cpp (one ReadFile, CF_TEXT), UTF-8 text against
# UnicodeBaseline.cpp (that and one MultiByteToWideChar, CF_UNICODETEXT too);
# and 64 MiB of ASCII text as standard input: through < against KELBRANO
# naming the file, through a pipe against PipeBaseline.cpp (the pipe read
# into one block with ReadFile).
# Each program is started by Launch.exe inside one Wine session, which times it
# with QueryPerformanceCounter, samples its memory and checks what the
# clipboard then holds. Writes docs/benchmarks.md and docs/benchmarks.png,
# naming the commit measured.
# Where the kernel runs no 32-bit code, the 64-bit build of the same sources
# is measured under 64-bit Wine (the size and imports are still the 32-bit
# build's, which ships), and written to docs/benchmarks-win64.md and .png
# instead, so that the 32-bit figures are never replaced by 64-bit ones.
#   bench/run.sh                 build KELBRANO.EXE, then measure: 11 runs, as
#                                the published docs/benchmarks.md, rewritten
#   BENCH_OUT=/tmp/b bench/run.sh
#                                write the table and chart into /tmp/b instead
#   KELBRANO_EXE=x.exe BENCH_OUT=/tmp/b bench/run.sh
#                                measure another build (one Wine here can run),
#                                writing the table and chart into /tmp/b
#   RUNS=5 bench/run.sh          runs per program, kind and size (default 11)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
RUNS=${RUNS:-11}
OUT=${BENCH_OUT:-docs}
BIN=build/bench
SIZES=(4096 1048576 67108864 268435456)
KINDS=(ascii random utf8)
label() { case $1 in 4096) echo "4 KiB" ;; 1048576) echo "1 MiB" ;; 67108864) echo "64 MiB" ;; 268435456) echo "256 MiB" ;; esac; }
kind_name() { case $1 in ascii) echo "ASCII text" ;; random) echo "random bytes" ;; utf8) echo "UTF-8 text" ;; esac; }
baseline_of() { if [ "$1" = utf8 ]; then echo UnicodeBaseline; else echo Baseline; fi; }

KELBRANO_EXTRA_PACKAGES=$(command -v gnuplot >/dev/null || echo gnuplot-nox) scripts/install-deps.sh

# shellcheck source=../scripts/wine-session.sh
. scripts/wine-session.sh
# A prefix of the bench's own, apart from the tests' (a clipboard left by them
# or a prefix being made can't get in the way).
export WINEPREFIX="$ROOT/build/bench-prefix${KELBRANO_WINE_BITS/32/}"
NAME=benchmarks
[ "$KELBRANO_WINE_BITS" = 32 ] || NAME=benchmarks-win64
# The bench's own programs are built for the Wine that runs here. The 64-bit
# path has both mingw-w64 tool sets (scripts/install-deps.sh adds the x86-64
# one there); the 32-bit path has only the i686 one, so nothing below may call
# an x86_64-w64-mingw32 tool on it. Under 32-bit Wine the launcher holds the
# file, its expected text and the clipboard's copies of both: 256 MiB of UTF-8
# needs more than the 2 GiB a 32-bit process gets without the large-address
# mark (a 64-bit program is large-address-aware anyway, and its linker takes
# no such option).
if [ "$KELBRANO_WINE_BITS" = 64 ]; then
    cxx=x86_64-w64-mingw32-g++ entry=Start large=()
    echo "This machine can't run 32-bit x86 programs: measuring the 64-bit build of the same sources under 64-bit Wine."
else
    cxx=i686-w64-mingw32-g++ entry=_Start large=(-Wl,--large-address-aware)
fi

KELBRANO_EXE_GIVEN=${KELBRANO_EXE:-}
if [ -z "${KELBRANO_EXE:-}" ]; then
    for preset in win32 "win$KELBRANO_WINE_BITS"; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" >/dev/null
    done
    KELBRANO_EXE=build/win$KELBRANO_WINE_BITS/KELBRANO.EXE
    SHIPPED_EXE=build/win32/KELBRANO.EXE
else
    SHIPPED_EXE=$KELBRANO_EXE
fi
KELBRANO_EXE=$(realpath "$KELBRANO_EXE")
# Which build a Windows executable is, from the machine field of its PE
# header (0x8664 for x86-64), read with od: each binutils reads its own
# architecture's executables only.
build_name() {
    local pe
    pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    case $(od -An -tx2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ') in 8664) echo 64-bit ;; *) echo 32-bit ;; esac
}
# The tools that read an executable of that build: the i686 ones are on both
# paths; the x86-64 ones only where a 64-bit build is run.
objdump_for() { if [ "$(build_name "$1")" = 64-bit ]; then echo x86_64-w64-mingw32-objdump; else echo i686-w64-mingw32-objdump; fi; }

# The bench's own programs: no runtime library, except for the launcher.
mkdir -p "$BIN" "$OUT"
flags=(-Os -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -s)
bare=(-mwindows -nostdlib "-Wl,-e,$entry")
$cxx "${flags[@]}" -static "${large[@]}" -o "$BIN/Launch.exe" bench/Launch.cpp
$cxx "${flags[@]}" "${bare[@]}" -o "$BIN/Baseline.exe" bench/Baseline.cpp -lkernel32 -luser32
$cxx "${flags[@]}" "${bare[@]}" -o "$BIN/UnicodeBaseline.exe" bench/UnicodeBaseline.cpp -lkernel32 -luser32
$cxx "${flags[@]}" "${bare[@]}" -o "$BIN/PipeBaseline.exe" bench/PipeBaseline.cpp -lkernel32 -luser32
$cxx "${flags[@]}" "${bare[@]}" -o "$BIN/Nothing.exe" bench/Nothing.cpp -lkernel32
$cxx "${flags[@]}" "${bare[@]}" -DSAME_IMPORTS -o "$BIN/NothingSameImports.exe" bench/Nothing.cpp \
    -lkernel32 -luser32 -lshell32 -lmsvcrt

# The commit measured, written into the table, and whether the tree had
# changes not committed then (docs/, which the bench writes, left out), or
# the build measured was named by KELBRANO_EXE.
commit=$(git rev-parse --short=7 HEAD 2>/dev/null || echo unknown)
commit_note="commit $commit"
if [ -n "$(git status --porcelain --untracked-files=no -- . ':!docs' 2>/dev/null)" ]; then
    commit_note="$commit_note, with changes not committed (git status lists them)"
fi
[ -z "$KELBRANO_EXE_GIVEN" ] || commit_note="a build named by KELBRANO_EXE, beside $commit_note"
measured_build=$(build_name "$KELBRANO_EXE")
shipped_build=$(build_name "$SHIPPED_EXE")
exe_size=$(stat -c %s "$SHIPPED_EXE")
measured_size=$(stat -c %s "$KELBRANO_EXE")
imports=$("$(objdump_for "$SHIPPED_EXE")" -p "$SHIPPED_EXE" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd' ')
echo "KELBRANO.EXE measured: the $measured_build build, $measured_size bytes; $shipped_build build: $exe_size bytes, imports: $imports"

TMP=$(mktemp -d /tmp/kelbrano-bench.XXXXXX)
cleanup() {
    rm -rf "$TMP"
    wine_session_end || true
}
trap cleanup EXIT

for size in "${SIZES[@]}"; do
    head -c "$size" <(base64 -w 76 /dev/urandom) >"$TMP/ascii-$size"
    head -c "$size" /dev/urandom >"$TMP/random-$size"
    bench/utf8-text.py "$size" "$TMP/utf8-$size"
done

# The display that -displayfd reported is ours: the clipboard is shared through it.
wine_session_start

windows_path() { echo "Z:${1//\//\\}"; }
declare -A PROGRAM=(
    [KELBRANO]=$(windows_path "$KELBRANO_EXE")
    [Baseline]=$(windows_path "$ROOT/$BIN/Baseline.exe")
    [UnicodeBaseline]=$(windows_path "$ROOT/$BIN/UnicodeBaseline.exe")
    [PipeBaseline]=$(windows_path "$ROOT/$BIN/PipeBaseline.exe")
    [Nothing]=$(windows_path "$ROOT/$BIN/Nothing.exe")
    [NothingSameImports]=$(windows_path "$ROOT/$BIN/NothingSameImports.exe"))

RESULTS="$BIN/results.txt"
: >"$RESULTS"
# measure NAME [KIND SIZE] [record] [INPUT]: one run, appended to the results
# when recorded. The clipboard must hold the file's bytes as CF_TEXT, and for
# UTF-8 text also its UTF-16 as CF_UNICODETEXT. With INPUT (< or |) the file is
# the program's standard input, and the run is recorded as NAME-redirected or
# NAME-piped; the pipe's baseline is told its length.
measure() {
    local name=$1 kind=${2:--} size=${3:-0} input=${5:-} tag=$1 line args file
    args=(- "${PROGRAM[$name]}")
    if [ "$kind" != - ]; then
        file=$(windows_path "$TMP/$kind-$size")
        args=("$([ "$kind" = utf8 ] && echo utf8 || echo bytes)" "${PROGRAM[$name]}" "$file")
    fi
    if [ -n "$input" ]; then
        args+=("$input" "")
        [ "$name" != PipeBaseline ] || args[4]=$size
        tag=$name-$([ "$input" = "<" ] && echo redirected || echo piped)
    fi
    line=$(wine "$BIN/Launch.exe" "${args[@]}" | tr -d '\r')
    read -r ms ws private code clipboard <<<"$line"
    if [ "$code" != 0 ] || { [ "$kind" != - ] && [ "$clipboard" != same ]; }; then
        echo "bench: $name on $kind $(label "$size"): exit code ${code:-?}, clipboard ${clipboard:-?}" >&2
        exit 1
    fi
    [ -z "${4:-}" ] || echo "$tag $kind $size $ms $ws $private" >>"$RESULTS"
}
# The standard-input rows: 64 MiB of ASCII text through < and through a pipe.
measure_input() {
    measure KELBRANO ascii 67108864 "$1" "<"
    measure KELBRANO ascii 67108864 "$1" "|"
    measure PipeBaseline ascii 67108864 "$1" "|"
}

# One unrecorded round first: the page cache, Wine's own start-up files, and
# the wineserver's memory for the largest clipboard.
for name in Nothing NothingSameImports; do measure $name; done
for kind in "${KINDS[@]}"; do
    for size in 4096 268435456; do measure KELBRANO "$kind" "$size"; measure "$(baseline_of "$kind")" "$kind" "$size"; done
done
measure_input ""

for run in $(seq "$RUNS"); do
    echo "run $run of $RUNS"
    measure Nothing - 0 record
    measure NothingSameImports - 0 record
    for kind in "${KINDS[@]}"; do
        for size in "${SIZES[@]}"; do
            if [ $((run % 2)) = 1 ]; then
                measure KELBRANO "$kind" "$size" record; measure "$(baseline_of "$kind")" "$kind" "$size" record
            else
                measure "$(baseline_of "$kind")" "$kind" "$size" record; measure KELBRANO "$kind" "$size" record
            fi
        done
    done
    measure_input record
done

# median NAME KIND SIZE COLUMN (4 milliseconds, 5 peak working set, 6 peak private bytes)
median() {
    awk -v n="$1" -v k="$2" -v s="$3" -v c="$4" '$1 == n && $2 == k && $3 == s {print $c}' "$RESULTS" | sort -g |
        awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
# times_of NAME KIND SIZE: each run's milliseconds, fastest first
times_of() { awk -v n="$1" -v k="$2" -v s="$3" '$1 == n && $2 == k && $3 == s {print $4}' "$RESULTS" | sort -g; }
# spread NAME KIND SIZE: the fastest and slowest run, in milliseconds
spread() {
    times_of "$@" | awk 'NR == 1 {a = $1} END {printf "%.0f–%.0f", a, $1}'
}
calc() { awk "BEGIN {printf \"$1\", $2}"; }
mib() { calc "%.2f" "($1) / 1048576"; }
verdict() { if awk "BEGIN {exit !($1)}"; then echo met; else echo "**missed**"; fi; }

nothing_ms=$(median Nothing - 0 4)
same_imports_ms=$(median NothingSameImports - 0 4)
declare -A RATIO
PLOT="$BIN/plot.dat"
: >"$PLOT"
{
    echo "# Benchmarks"
    echo
    echo "Written by \`bench/run.sh\` on $(date -u +%Y-%m-%d): $(wine --version), $(nproc) CPUs ($(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)),"
    echo "median of $RUNS runs, the programs' order alternating from run to run."
    echo "Sources: $commit_note."
    echo "Measured: the $measured_build build of"
    if [ "$measured_build" != "$shipped_build" ]; then
        echo "KELBRANO.EXE ($measured_size bytes) under $measured_build Wine, since this machine's kernel runs no 32-bit code; the"
        echo "$shipped_build build, which ships, is $exe_size bytes and imports $imports."
    else
        echo "KELBRANO.EXE, $exe_size bytes, importing $imports."
    fi
    echo
    echo "Time is from CreateProcess to the end of the process, taken inside Wine, so it"
    echo "holds the cost of starting a Windows process under Wine. Peak working set is"
    echo "the highest resident size (VmHWM); private is the highest anonymous resident"
    echo "memory seen (RssAnon, sampled each millisecond). Each kind of file is compared"
    echo "with the least its copy can cost. ASCII text (base64 lines) and random bytes:"
    echo "the baseline reads the file with one ReadFile into its global block and hands"
    echo "that over as CF_TEXT. UTF-8 text (prose lines, about a fifth of the bytes"
    echo "beyond ASCII: accented Latin, Greek, Cyrillic, CJK, emoji): the Unicode"
    echo "baseline does the same, then converts the block with one MultiByteToWideChar"
    echo "call into a block of as many WCHARs as the file has bytes, and a NUL, and hands"
    echo "that over as CF_UNICODETEXT too (text beyond ASCII needs fewer WCHARs than"
    echo "bytes, so a program that counts them first can use less memory). After every"
    echo "run the clipboard is checked: CF_TEXT is the file's exact bytes and a NUL, and"
    echo "for UTF-8 text CF_UNICODETEXT is the file decoded from UTF-8 and a NUL."
    echo "Standard input: 64 MiB of ASCII text given through \`<\` (a disk handle, no name) is compared with"
    echo "KELBRANO naming the same file; given through a pipe that the launcher fills, with the pipe baseline,"
    echo "which reads the pipe, told its length, into one block with ReadFile up to the pipe's end, and hands"
    echo "that over as CF_TEXT."
    echo
    # Two tables, time and memory, so that no line is over 120 characters
    # (the pages are read in Notepad from the zip).
    echo "| file | KELBRANO ms (fastest–slowest) | baseline ms (fastest–slowest) | time ratio |"
    echo "| ---: | ---: | ---: | ---: |"
    memory_rows=()
    for kind in "${KINDS[@]}"; do
        base=$(baseline_of "$kind")
        for size in "${SIZES[@]}"; do
            k_ms=$(median KELBRANO "$kind" "$size" 4); b_ms=$(median "$base" "$kind" "$size" 4)
            k_ws=$(median KELBRANO "$kind" "$size" 5); b_ws=$(median "$base" "$kind" "$size" 5)
            k_pr=$(median KELBRANO "$kind" "$size" 6); b_pr=$(median "$base" "$kind" "$size" 6)
            RATIO[$kind$size]=$(calc %.3f "$k_ms / $b_ms")
            echo "| $(kind_name "$kind"), $(label "$size") | $(calc %.1f "$k_ms") ($(spread KELBRANO "$kind" "$size")) |" \
                "$(calc %.1f "$b_ms") ($(spread "$base" "$kind" "$size")) | ${RATIO[$kind$size]} |"
            row="| $(kind_name "$kind"), $(label "$size") | $(mib "$k_ws") | $(mib "$b_ws") | $(mib "$k_ws - $b_ws") |"
            memory_rows+=("$row $(mib "$k_pr") | $(mib "$b_pr") | $(mib "$k_pr - $b_pr") |")
            echo "$kind \"$(label "$size")\" $k_ms $b_ms $nothing_ms $same_imports_ms $(mib "$k_ws - $b_ws") $(mib "$k_pr - $b_pr")" >>"$PLOT"
        done
    done
    # Standard input, against KELBRANO naming the file (<) and the pipe's baseline (|).
    for input in redirected piped; do
        if [ "$input" = redirected ]; then base=KELBRANO row="ASCII text, 64 MiB, \`<\` (baseline: named)"
        else base=PipeBaseline-piped row="ASCII text, 64 MiB, piped (pipe baseline)"; fi
        k_ms=$(median "KELBRANO-$input" ascii 67108864 4); b_ms=$(median "$base" ascii 67108864 4)
        k_ws=$(median "KELBRANO-$input" ascii 67108864 5); b_ws=$(median "$base" ascii 67108864 5)
        k_pr=$(median "KELBRANO-$input" ascii 67108864 6); b_pr=$(median "$base" ascii 67108864 6)
        RATIO[$input]=$(calc %.3f "$k_ms / $b_ms")
        echo "| $row | $(calc %.1f "$k_ms") ($(spread "KELBRANO-$input" ascii 67108864)) |" \
            "$(calc %.1f "$b_ms") ($(spread "$base" ascii 67108864)) | ${RATIO[$input]} |"
        row="| $row | $(mib "$k_ws") | $(mib "$b_ws") | $(mib "$k_ws - $b_ws") |"
        memory_rows+=("$row $(mib "$k_pr") | $(mib "$b_pr") | $(mib "$k_pr - $b_pr") |")
    done
    echo
    echo "| file | KELBRANO peak MiB | baseline peak | difference | KELBRANO private MiB | baseline private | difference |"
    echo "| ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
    printf '%s\n' "${memory_rows[@]}"
    echo
    echo "A program that does nothing: $(calc %.1f "$nothing_ms") ms ($(spread Nothing - 0)) importing KERNEL32 only,"
    echo "$(calc %.1f "$same_imports_ms") ms ($(spread NothingSameImports - 0)) importing what KELBRANO.EXE imports."
    echo
    echo "| target (median of alternated runs in one session) | measured | |"
    echo "| --- | --- | --- |"
    for size in "${SIZES[@]}"; do
        for kind in "${KINDS[@]}"; do
            if [ "$kind" = utf8 ]; then limit=1.00 against="the Unicode baseline"; else limit=1.02 against=baseline; fi
            echo "| $(label "$size") $(kind_name "$kind"): time ≤ $limit × $against | ${RATIO[$kind$size]} × | $(verdict "${RATIO[$kind$size]} <= $limit") |"
        done
    done
    named_fastest=$(times_of KELBRANO ascii 67108864 | head -n 1)
    named_slowest=$(times_of KELBRANO ascii 67108864 | tail -n 1)
    redirected_ms=$(median KELBRANO-redirected ascii 67108864 4)
    echo "| 64 MiB ASCII text through \`<\`: time within the named copy's fastest–slowest |" \
        "$(calc %.1f "$redirected_ms") ms, ${RATIO[redirected]} × |" \
        "$(verdict "$redirected_ms >= $named_fastest && $redirected_ms <= $named_slowest") |"
    echo "| 64 MiB ASCII text through a pipe: time ≤ 1.10 × the pipe baseline | ${RATIO[piped]} × |" \
        "$(verdict "${RATIO[piped]} <= 1.10") |"
    echo "| EXE ≤ 13 KiB, 13,312 bytes ($shipped_build build) | $exe_size bytes | $(verdict "$exe_size <= 13312") |"
    echo "| imports only KERNEL32, USER32, SHELL32, msvcrt | $imports | $(verdict "$(tr ' ' '\n' <<<"$imports" | grep -cviE '^(kernel32|user32|shell32|msvcrt)\.dll$') == 0") |"
    echo
    echo "![Time, time against the baseline and peak memory against file size]($NAME.png)"
} >"$OUT/$NAME.md"

# One data block per kind, in KINDS' order, for gnuplot's index.
for kind in "${KINDS[@]}"; do awk -v k="$kind" '$1 == k' "$PLOT"; printf '\n\n'; done >"$PLOT.blocks"
gnuplot <<EOF
set terminal pngcairo size 1500,560 font ",10" noenhanced
set output "$OUT/$NAME.png"
set multiplot layout 1,3 title "KELBRANO.EXE ($measured_build build) under $(wine --version), median of $RUNS runs"
set grid
set key below Left reverse
set xrange [-0.3:3.3]
set title "Time from CreateProcess to exit"
set ylabel "milliseconds"
set logscale y
set yrange [10:*]
plot "$PLOT.blocks" index 0 using 0:3:xtic(2) with linespoints lc 1 title "KELBRANO, ASCII", \
     "" index 1 using 0:3 with linespoints lc 2 title "KELBRANO, random bytes", \
     "" index 0 using 0:4 with linespoints lc 7 title "baseline (one ReadFile)", \
     "" index 2 using 0:3 with linespoints lc 4 title "KELBRANO, UTF-8", \
     "" index 2 using 0:4 with linespoints lc 8 title "Unicode baseline (+ MultiByteToWideChar)", \
     "" index 0 using 0:5 with lines dashtype 2 lc 0 title "doing nothing (KERNEL32 only)", \
     "" index 0 using 0:6 with lines dashtype 3 lc 0 title "doing nothing (same imports)"
unset logscale y
set title "KELBRANO's time / its baseline's"
set ylabel "ratio"
set yrange [*:*]
plot "$PLOT.blocks" index 0 using 0:(\$3 / \$4):xtic(2) with linespoints lc 1 title "ASCII / baseline", \
     "" index 1 using 0:(\$3 / \$4) with linespoints lc 2 title "random bytes / baseline", \
     "" index 2 using 0:(\$3 / \$4) with linespoints lc 4 title "UTF-8 / Unicode baseline", \
     1.02 with lines dashtype 2 lc 1 title "target, ASCII and random bytes", \
     1.00 with lines dashtype 2 lc 4 title "target, UTF-8"
set title "KELBRANO's peak memory minus its baseline's"
set ylabel "MiB"
set yrange [*:*]
plot "$PLOT.blocks" index 0 using 0:7:xtic(2) with linespoints lc 1 title "working set, ASCII", \
     "" index 1 using 0:7 with linespoints lc 2 title "working set, random bytes", \
     "" index 2 using 0:7 with linespoints lc 4 title "working set, UTF-8", \
     "" index 0 using 0:8 with linespoints dashtype 2 lc 1 title "private, ASCII", \
     "" index 1 using 0:8 with linespoints dashtype 2 lc 2 title "private, random bytes", \
     "" index 2 using 0:8 with linespoints dashtype 2 lc 4 title "private, UTF-8"
unset multiplot
EOF

cat "$OUT/$NAME.md"
