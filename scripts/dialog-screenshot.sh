#!/usr/bin/env bash
# Regenerates docs/dialog.png: the usage dialog of the real KELBRANO.EXE under
# Wine, cropped to the dialog. Installs what is missing and builds the program
# first if needed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# import (ImageMagick) takes the screenshot, and Wine draws the caption's close
# box with its Marlett font (fonts-wine; without it the box shows the letter
# "r"); no test needs them, so they are installed only here.
KELBRANO_EXTRA_PACKAGES="imagemagick fonts-wine" "$root/scripts/install-deps.sh"
. "$root/scripts/wine-session.sh" # the 64-bit build where 32-bit programs can't run
# A prefix of its own, with Marlett in its Fonts folder: Debian 12's Wine 8
# did not take it from fonts-wine's folder (/usr/share/wine/fonts) itself, and
# the tests' prefix stays as it is.
export WINEPREFIX=$WINEPREFIX-dialog
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
preset=win$KELBRANO_WINE_BITS
build=$root/build/$preset
helper=$build/tests/e2e/e2e-helper.exe
if [ ! -f "$build/KELBRANO.EXE" ] || [ ! -f "$helper" ]; then
    (cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" >/dev/null)
fi

out=$(mktemp)
trap 'wine_session_end; rm -f "$out"' EXIT
wine_session_start

# The helper starts the program with no file name, describes the dialog, keeps
# it up for 4 s and then presses OK.
printf 'run\tZ:%s\tC:\\\tKELBRANO\twait4000+ok\n' "${build//\//\\}\\KELBRANO.EXE" |
    wine "$helper" >"$out" &
helper_pid=$!
for _ in $(seq 100); do
    grep -q '^dialog' "$out" && break
    sleep 0.1
done
rect=$(sed -n 's/^dialog .* rect=\([-0-9,]*\) .*/\1/p' "$out")
[ -n "$rect" ] || { echo "no dialog appeared" >&2; exit 1; }
IFS=, read -r left top right bottom <<<"$rect"
sleep 1 # let it paint
mkdir -p "$root/docs"
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$root/docs/dialog.png"
wait "$helper_pid"
echo "docs/dialog.png: $((right - left))x$((bottom - top)) dialog at $left,$top"
