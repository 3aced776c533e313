#!/usr/bin/env bash
# Runs KELBRANO.EXE on a file under Wine: installs what is missing, builds,
# runs the program, tells its exit code and shows what programs paste: what
# the file is taken for (UTF-8 text, UTF-16 text or text in the code page),
# the Unicode text and the CF_TEXT bytes; ends with the program's exit code.
#   scripts/run.sh FILE     (without FILE the program shows its usage text)
# With a desktop of yours (DISPLAY set) the program's dialog shows there, and
# the text Wine exported to X is then handed to xclip, which serves it after
# Wine has stopped; otherwise it runs on a virtual display, and any dialog it
# shows is printed here and closed with its OK button.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" || exit 1
. "$root/scripts/wine-session.sh"
# win32 with the i686 tools on the 32-bit path; win64 with the x86-64 tools
# (installed only there) on the 64-bit one.
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
    # What X programs get from Wine (the Unicode text as UTF-8), read at once:
    # Wine offers it until about a second after its last program ends.
    timeout 10 xclip -o -selection clipboard >"$work/x" 2>/dev/null
    echo "$save" | wine "$helper" >> "$work/out"
else
    # A marker on the clipboard first, to show whether the program changed it.
    printf 'put\t%s\nrun\t%s\t%s\t%s\tok\n%s\n' "$(escape '(what the clipboard held before)')" \
        "$(escape "$(windows "$exe")")" "$(escape "$(windows "$PWD")")" \
        "$(escape "KELBRANO${name:+ \"$name\"}")" "$save" | wine "$helper" > "$work/out"
fi

python3 - "$work" "$@" <<'PY'
import codecs, importlib, os, sys
work = sys.argv[1]
sys.stdout.reconfigure(encoding='utf-8', errors='replace')

def reader(page):
    """The code page Unicode programs read CF_TEXT through (the one CF_LOCALE names; 1252 without
    it), and how Wine reads bytes through it: in a single-byte code page, the bytes it leaves
    undefined stand for the control characters of the same value."""
    codec = 'cp' + (page if page.isdigit() else '1252')
    try:
        table = ''.join(chr(b) if c == '\ufffe' else c
                        for b, c in enumerate(importlib.import_module('encodings.' + codec).decoding_table))
        return codec, lambda raw: codecs.charmap_decode(raw, 'strict', table)[0]
    except (ImportError, AttributeError):  # a multi-byte code page
        return codec, lambda raw: raw.decode(codec, 'replace')

codec, code_page = reader('1252')

def count(n, unit):
    return '%d %s%s' % (n, unit, '' if n == 1 else 's')

def show(shown, more, unit):
    if shown:
        print(shown, end='' if shown.endswith('\n') else '\n')
    if more > 0:
        print('... (%d more %s%s)' % (more, unit, '' if more == 1 else 's'))

code = None
unicode = None
for line in open(work + '/out', encoding='latin-1'):
    word, _, rest = line.strip().partition(' ')
    fields = dict(kv.split('=', 1) for kv in rest.split() if '=' in kv)
    if word == 'control' and rest.split()[0] == '102':
        text = b'' if fields['text'] == '-' else bytes.fromhex(fields['text'])
        print('The program showed this message:\n  ' + text.decode('cp1252').replace('\r\n', '\n  ').replace('\n\r', '\n  '))
    elif word == 'exit':
        code = int(rest.split()[0], 16)
        print('Exit code: %d' % code)
    elif word == 'codepage':
        codec, code_page = reader(rest)
    elif word == 'unicode':
        unicode = rest
    elif word == 'clip':
        # What a Unicode program pastes (the text up to its NUL), and the CF_TEXT bytes.
        text = raw = None
        if unicode != 'none':
            block = open(work + '/clipboard.unicode', 'rb').read()
            text = block[:len(block) & ~1].decode('utf-16-le', 'replace').partition('\0')[0]
        if rest != 'none':
            block = open(work + '/clipboard', 'rb').read()
            raw = block[:-1] if block.endswith(b'\0') else block
            nul = ' and a closing NUL' if raw != block else ''
        if text is None and raw is None:
            print('The clipboard holds no text.')
            continue
        # The file was copied: say what the program took it for. Without Unicode
        # text of its own, Unicode programs get the code page's reading of the bytes.
        copied = code == 0 and len(sys.argv) > 2 and os.path.isfile(sys.argv[2])
        if copied and os.path.getsize(sys.argv[2]) == 0:
            print('The file is empty: its text, copied, is empty.')
        elif copied and text is not None and raw is not None:
            own = text != code_page(raw.partition(b'\0')[0])
            print('The file is %s.' % ('text in the code page' if not own else
                                       'UTF-16 text' if raw[:2] in (b'\xff\xfe', b'\xfe\xff') else 'UTF-8 text'))
        same = text is not None and raw is not None and text == code_page(raw)
        if same:
            print('Unicode programs paste these %s; programs that read CF_TEXT get them as %s in code '
                  'page %s%s:' % (count(len(text), 'character'), count(len(raw), 'byte'), codec[2:], nul))
        else:
            if text is None:
                print('Unicode programs find no text.')
            else:
                print('Unicode programs paste %s:' % count(len(text), 'character'))
                show(text[:2000], len(text) - 2000, 'character')
            if raw is None:
                print('Programs that read CF_TEXT find no text.')
            else:
                print('Programs that read CF_TEXT get %s%s (shown as code page %s):' % (
                    count(len(raw), 'byte'), nul, codec[2:]))
        if raw is not None:
            show(raw[:2000].decode(codec, 'replace').replace('\0', '\\0'), len(raw) - 2000, 'byte')
    elif word == 'error':
        print('Helper error: ' + rest)
if code is None:
    print('The program did not run to its end.')
sys.exit(code if code is not None and 0 <= code <= 255 else 255)
PY
status=$?

# X programs lose Wine's copy about a second after Wine's last program ends;
# xclip serves the text read above from now on (until something else is
# copied). Only a copy changes the clipboard: a file with no text leaves it.
if [ -n "$desktop" ]; then
    wine_session_end
    if [ "$status" -eq 0 ] && [ -f "${1:-}" ] && [ -s "${1:-}" ]; then
        if [ -s "$work/x" ]; then
            xclip -selection clipboard -i "$work/x" >/dev/null 2>&1 </dev/null
            echo "For X programs: xclip now serves the $(stat -c %s "$work/x") bytes of UTF-8 Wine exported" \
                "(the Unicode text, CR LF made LF), until something else is copied."
        else
            echo "For X programs: Wine exported no text, so there is nothing to paste there."
        fi
    fi
fi
exit "$status"
