#!/usr/bin/env bash
# Benchmark (not a test): KELBRANO.EXE against a baseline program that does the
# same job with one ReadFile (Baseline.cpp), on text files of 4 KiB, 1 MiB,
# 64 MiB and 256 MiB, under Wine with a virtual X display of its own. Each
# program is started by Launch.exe inside one Wine session, which times it with
# QueryPerformanceCounter, samples its memory and checks that the clipboard
# then holds the file's exact bytes. Writes docs/benchmarks.md and
# docs/benchmarks.png.
#   bench/run.sh                 build KELBRANO.EXE with the win32 preset, then measure
#   KELBRANO_EXE=x.exe BENCH_OUT=/tmp/b bench/run.sh
#                                measure another build, writing benchmarks.md/.png into /tmp/b
#   RUNS=9 bench/run.sh          runs per program and size (default 5)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
RUNS=${RUNS:-5}
OUT=${BENCH_OUT:-docs}
BIN=build/bench
SIZES=(4096 1048576 67108864 268435456)
label() { case $1 in 4096) echo "4 KiB" ;; 1048576) echo "1 MiB" ;; 67108864) echo "64 MiB" ;; 268435456) echo "256 MiB" ;; esac; }

KELBRANO_EXTRA_PACKAGES=$(command -v gnuplot >/dev/null || echo gnuplot-nox) scripts/install-deps.sh

if [ -z "${KELBRANO_EXE:-}" ]; then
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 >/dev/null
    KELBRANO_EXE=build/win32/KELBRANO.EXE
fi
KELBRANO_EXE=$(realpath "$KELBRANO_EXE")

# The bench's own programs: no runtime library, except for the launcher.
mkdir -p "$BIN" "$OUT"
flags=(-Os -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -s)
bare=(-mwindows -nostdlib -Wl,-e,_Start)
i686-w64-mingw32-g++ "${flags[@]}" -static -o "$BIN/Launch.exe" bench/Launch.cpp
i686-w64-mingw32-g++ "${flags[@]}" "${bare[@]}" -o "$BIN/Baseline.exe" bench/Baseline.cpp -lkernel32 -luser32
i686-w64-mingw32-g++ "${flags[@]}" "${bare[@]}" -o "$BIN/Nothing.exe" bench/Nothing.cpp -lkernel32
i686-w64-mingw32-g++ "${flags[@]}" "${bare[@]}" -DSAME_IMPORTS -o "$BIN/NothingSameImports.exe" bench/Nothing.cpp \
    -lkernel32 -luser32 -lshell32 -lmsvcrt

exe_size=$(stat -c %s "$KELBRANO_EXE")
imports=$(i686-w64-mingw32-objdump -p "$KELBRANO_EXE" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd' ')
echo "KELBRANO.EXE: $exe_size bytes; imports: $imports"

TMP=$(mktemp -d /tmp/kelbrano-bench.XXXXXX)
export WINEPREFIX="$ROOT/build/bench-prefix"
# shellcheck source=../scripts/wine-session.sh
. scripts/wine-session.sh
cleanup() {
    rm -rf "$TMP"
    wine_session_end || true
}
trap cleanup EXIT

for size in "${SIZES[@]}"; do
    head -c "$size" <(base64 -w 76 /dev/urandom) >"$TMP/$size.txt"
done

wine_session_start
# Two sessions starting at once may pick the same display: only ours will do,
# since the clipboard is shared through it.
if [ -n "$XVFB_PID" ] && [ "$(tr -d ' ' <"/tmp/.X${DISPLAY#:}-lock" 2>/dev/null)" != "$XVFB_PID" ]; then
    echo "bench: another X server took display $DISPLAY; run again" >&2
    exit 1
fi

windows_path() { echo "Z:${1//\//\\}"; }
declare -A PROGRAM=(
    [KELBRANO]=$(windows_path "$KELBRANO_EXE")
    [Baseline]=$(windows_path "$ROOT/$BIN/Baseline.exe")
    [Nothing]=$(windows_path "$ROOT/$BIN/Nothing.exe")
    [NothingSameImports]=$(windows_path "$ROOT/$BIN/NothingSameImports.exe"))

RESULTS="$BIN/results.txt"
: >"$RESULTS"
# measure NAME [SIZE] [record]: one run, appended to the results when recorded.
measure() {
    local name=$1 size=${2:-0} line args
    args=(- "${PROGRAM[$name]}")
    [ "$size" = 0 ] || args=("$(windows_path "$TMP/$size.txt")" "${PROGRAM[$name]}" "$(windows_path "$TMP/$size.txt")")
    line=$(wine "$BIN/Launch.exe" "${args[@]}" | tr -d '\r')
    read -r ms ws private code clipboard <<<"$line"
    if [ "$code" != 0 ] || { [ "$size" != 0 ] && [ "$clipboard" != same ]; }; then
        echo "bench: $name on $(label "$size"): exit code ${code:-?}, clipboard ${clipboard:-?}" >&2
        exit 1
    fi
    [ -z "${3:-}" ] || echo "$name $size $ms $ws $private" >>"$RESULTS"
}

# One unrecorded round first: the page cache, Wine's own start-up files, and
# the wineserver's memory for a 256 MiB clipboard.
for name in Nothing NothingSameImports; do measure $name; done
for size in 4096 268435456; do measure KELBRANO $size; measure Baseline $size; done

for run in $(seq "$RUNS"); do
    echo "run $run of $RUNS"
    measure Nothing 0 record
    measure NothingSameImports 0 record
    for size in "${SIZES[@]}"; do
        if [ $((run % 2)) = 1 ]; then
            measure KELBRANO "$size" record; measure Baseline "$size" record
        else
            measure Baseline "$size" record; measure KELBRANO "$size" record
        fi
    done
done

# median NAME SIZE COLUMN (3 milliseconds, 4 peak working set, 5 peak private bytes)
median() {
    awk -v n="$1" -v s="$2" -v c="$3" '$1 == n && $2 == s {print $c}' "$RESULTS" | sort -g |
        awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
# spread NAME SIZE: the fastest and slowest run, in milliseconds
spread() { awk -v n="$1" -v s="$2" '$1 == n && $2 == s {print $3}' "$RESULTS" | sort -g | awk 'NR == 1 {a = $1} END {printf "%.0f–%.0f", a, $1}'; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }
mib() { calc "%.2f" "($1) / 1048576"; }
verdict() { if awk "BEGIN {exit !($1)}"; then echo met; else echo "**missed**"; fi; }

nothing_ms=$(median Nothing 0 3)
same_imports_ms=$(median NothingSameImports 0 3)
declare -A K_MS B_MS K_WS B_WS
PLOT="$BIN/plot.dat"
: >"$PLOT"
{
    echo "# Benchmarks"
    echo
    echo "Written by \`bench/run.sh\` on $(date -u +%Y-%m-%d): $(wine --version), $(nproc) CPUs ($(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)),"
    echo "median of $RUNS runs. KELBRANO.EXE is $exe_size bytes and imports $imports."
    echo
    echo "Time is from CreateProcess to the end of the process, taken inside Wine, so it"
    echo "holds the cost of starting a Windows process under Wine. Peak working set is"
    echo "the highest resident size (VmHWM); private is the highest anonymous resident"
    echo "memory seen (RssAnon, sampled each millisecond). The baseline reads the file"
    echo "with one ReadFile into its global block: the least this job can cost."
    echo
    echo "| file | KELBRANO ms (fastest–slowest) | baseline ms (fastest–slowest) | time ratio | KELBRANO peak MiB | baseline peak MiB | difference MiB | KELBRANO private MiB | baseline private MiB | difference MiB |"
    echo "| ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
    for size in "${SIZES[@]}"; do
        k_ms=$(median KELBRANO "$size" 3); b_ms=$(median Baseline "$size" 3)
        k_ws=$(median KELBRANO "$size" 4); b_ws=$(median Baseline "$size" 4)
        K_MS[$size]=$k_ms B_MS[$size]=$b_ms K_WS[$size]=$k_ws B_WS[$size]=$b_ws
        k_pr=$(median KELBRANO "$size" 5); b_pr=$(median Baseline "$size" 5)
        echo "| $(label "$size") | $(calc %.1f "$k_ms") ($(spread KELBRANO "$size")) | $(calc %.1f "$b_ms") ($(spread Baseline "$size")) | $(calc %.3f "$k_ms / $b_ms") | $(mib "$k_ws") | $(mib "$b_ws") | $(mib "$k_ws - $b_ws") | $(mib "$k_pr") | $(mib "$b_pr") | $(mib "$k_pr - $b_pr") |"
        echo "\"$(label "$size")\" $k_ms $b_ms $nothing_ms $same_imports_ms $(mib "$k_ws - $b_ws") $(mib "$k_pr - $b_pr")" >>"$PLOT"
    done
    echo
    echo "A program that does nothing: $(calc %.1f "$nothing_ms") ms ($(spread Nothing 0)) importing KERNEL32 only,"
    echo "$(calc %.1f "$same_imports_ms") ms ($(spread NothingSameImports 0)) importing what KELBRANO.EXE imports. At 4 KiB"
    echo "the baseline takes $(calc %.2f "${B_MS[4096]} / $nothing_ms") × as long as doing nothing, KELBRANO $(calc %.2f "${K_MS[4096]} / $nothing_ms") ×."
    echo
    echo "| target | measured | |"
    echo "| --- | --- | --- |"
    for size in 67108864 268435456; do
        echo "| $(label $size): time ≤ 1.10 × baseline | $(calc %.3f "${K_MS[$size]} / ${B_MS[$size]}") × | $(verdict "${K_MS[$size]} <= 1.10 * ${B_MS[$size]}") |"
        echo "| $(label $size): peak ≤ baseline + 1 MiB | $(calc %+.2f "(${K_WS[$size]} - ${B_WS[$size]}) / 1048576") MiB | $(verdict "${K_WS[$size]} <= ${B_WS[$size]} + 1048576") |"
    done
    echo "| 4 KiB: time ≤ 1.05 × doing nothing | $(calc %.2f "${K_MS[4096]} / $nothing_ms") × | $(verdict "${K_MS[4096]} <= 1.05 * $nothing_ms") |"
    echo "| EXE ≤ 16 KiB | $exe_size bytes | $(verdict "$exe_size <= 16384") |"
    echo "| imports only KERNEL32, USER32, SHELL32, msvcrt | $imports | $(verdict "$(tr ' ' '\n' <<<"$imports" | grep -cviE '^(kernel32|user32|shell32|msvcrt)\.dll$') == 0") |"
    echo
    echo "![Time and peak memory against file size](benchmarks.png)"
} >"$OUT/benchmarks.md"

gnuplot <<EOF
set terminal pngcairo size 1200,400 font ",10"
set output "$OUT/benchmarks.png"
set multiplot layout 1,3
set grid
set key top left Left reverse
set xlabel "file size"
set xrange [-0.3:3.3]
set title "Time from CreateProcess to exit, median of $RUNS"
set ylabel "milliseconds"
set logscale y
set yrange [10:10000]
plot "$PLOT" using 0:2:xtic(1) with linespoints title "KELBRANO", \
     "" using 0:3 with linespoints title "baseline (one ReadFile)", \
     "" using 0:4 with lines dashtype 2 title "doing nothing (KERNEL32 only)", \
     "" using 0:5 with lines dashtype 3 title "doing nothing (same imports)"
unset logscale y
set title "KELBRANO's time / baseline's"
set ylabel "ratio"
set yrange [0:1.5]
plot "$PLOT" using 0:(\$2 / \$3):xtic(1) with linespoints title "KELBRANO / baseline", \
     1.10 with lines dashtype 2 title "target at 64 and 256 MiB"
set title "KELBRANO's peak memory minus baseline's"
set ylabel "MiB"
plot "$PLOT" using 0:6:xtic(1) with linespoints title "working set", \
     "" using 0:7 with linespoints title "private bytes", \
     1 with lines dashtype 2 title "target at 64 and 256 MiB"
unset multiplot
EOF

cat "$OUT/benchmarks.md"
