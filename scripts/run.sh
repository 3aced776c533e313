#!/usr/bin/env bash
# Runs KELBRANO.EXE on a file under Wine: installs what is missing, builds,
# runs the program, tells its exit code and shows what is on the clipboard;
# ends with the program's exit code.
#   scripts/run.sh FILE     (without FILE the program shows its usage text)
# With a desktop of yours (DISPLAY set) the program's dialog shows there, and
# the text Wine exported to X is then handed to xclip, which serves it after
# Wine has stopped; otherwise it runs on a virtual display, and any dialog it
# shows is printed here and closed with its OK button.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" || exit 1
. "$root/scripts/wine-session.sh"
preset=win$KELBRANO_WINE_BITS
[ "$preset" = win32 ] ||
    echo "This machine can't run 32-bit x86 programs: running the 64-bit build of the same sources under 64-bit Wine."
(cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" >/dev/null) || exit 1
exe=$root/build/$preset/KELBRANO.EXE
helper=$root/build/$preset/tests/e2e/e2e-helper.exe

desktop=${DISPLAY:-}
work=$(mktemp -d)
trap 'wine_session_end; rm -rf "$work"' EXIT
KELBRANO_DISPLAY=$desktop wine_session_start || exit 1

# Z: is the whole Linux file system; Windows names for any locale.
windows() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }
name=
if [ $# -gt 0 ]; then
    name=$(windows "$1")
fi

# The helper reads tab-separated commands, fields in UTF-8 with %XX escapes
# for every byte outside printable ASCII and for '%' itself.
escape() { python3 -c 'import sys; print("".join(chr(b) if 32 <= b < 127 and b != 37 else "%%%02x" % b for b in sys.argv[1].encode("utf-8", "surrogateescape")))' "$1"; }
save=$(printf 'save\t%s\n' "$(escape "$(windows "$work/clipboard")")")
if [ -n "$desktop" ]; then
    # Close the dialog, if one shows, yourself.
    args=()
    [ -n "$name" ] && args=("$name")
    wine "$exe" "${args[@]}"
    printf 'exit 0x%08x\n' $? > "$work/out"
    # What X programs get from Wine, read at once: Wine offers it for less
    # than a second after the program ends.
    timeout 10 xclip -o -selection clipboard >"$work/x" 2>/dev/null
    echo "$save" | wine "$helper" >> "$work/out"
else
    # A marker on the clipboard first, to show whether the program changed it.
    printf 'put\t%s\nrun\t%s\t%s\t%s\tok\n%s\n' "$(escape '(what the clipboard held before)')" \
        "$(escape "$(windows "$exe")")" "$(escape "$(windows "$PWD")")" \
        "$(escape "KELBRANO${name:+ \"$name\"}")" "$save" | wine "$helper" > "$work/out"
fi

python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
code = None
for line in open(work + '/out', encoding='latin-1'):
    word, _, rest = line.strip().partition(' ')
    fields = dict(kv.split('=', 1) for kv in rest.split() if '=' in kv)
    if word == 'control' and rest.split()[0] == '102':
        text = b'' if fields['text'] == '-' else bytes.fromhex(fields['text'])
        print('The program showed this message:\n  ' + text.decode('cp1252').replace('\r\n', '\n  ').replace('\n\r', '\n  '))
    elif word == 'exit':
        code = int(rest.split()[0], 16)
        print('Exit code: %d' % code)
    elif word == 'clip':
        if rest == 'none':
            print('The clipboard holds no text.')
        else:
            block = open(work + '/clipboard', 'rb').read()
            text = block[:-1] if block.endswith(b'\0') else block
            print('The clipboard holds %d bytes of text%s:' % (len(text), ' and a closing NUL' if text != block else ''))
            shown = text[:2000]
            print(shown.decode('cp1252', 'replace').replace('\0', '\\0'), end='' if shown.endswith(b'\n') else '\n')
            if len(text) > len(shown):
                print('... (%d more bytes)' % (len(text) - len(shown)))
    elif word == 'error':
        print('Helper error: ' + rest)
if code is None:
    print('The program did not run to its end.')
sys.exit(code if code is not None and 0 <= code <= 255 else 255)
PY
status=$?

# X programs lose Wine's copy soon after the program ends; xclip serves the
# text read above from now on (until something else is copied).
if [ -n "$desktop" ]; then
    wine_session_end
    if [ -s "$work/x" ]; then
        xclip -selection clipboard -i "$work/x" >/dev/null 2>&1 </dev/null
        echo "For X programs: xclip now serves the $(stat -c %s "$work/x") bytes Wine exported, until something else is copied."
    else
        echo "For X programs: Wine exported no text, so there is nothing to paste there."
    fi
fi
exit "$status"
