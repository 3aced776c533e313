"""End-to-end cases of KELBRANO.EXE under Wine, checked on the real clipboard
and the real dialog through e2e-helper.exe. Started by run-e2e.sh inside a Wine
session: cases.py KELBRANO.EXE e2e-helper.exe WORK-DIR"""
import codecs
import os
import random
import re
import shutil
import subprocess
import sys
import time

EXE, HELPER, WORK = (os.path.abspath(a) for a in sys.argv[1:4])
SEED = int(os.environ.get('E2E_SEED', time.time()))
rng = random.Random(SEED)
SENTINEL = b'e2e sentinel %d' % SEED
HOME = b'http://www.kelbrano.example/'
PAGE = HOME + b'index.html'
USAGE = (b'Indicare su linea di comando il nome del file di testo da copiare in clipboard.\r\n\r\n'
         b'Please specify on the command-line the name of the text file to be copied into '
         b'clipboard.\r\n\r\nEsempio/Example:\r\nKELBRANO TEXT.TXT')
M1 = b"Errore nell'apertura del file.\n\rError opening the file."
M2 = b"Errore nell'ottenimento del puntatore globale."
M4 = b"Errore nell'apertura della clipboard."
N1 = b"Errore: Documento '%s' non trovato.\r\n\r\nError: Document '%s' not found." % (PAGE, PAGE)
N2 = (b"Errore: su questo sistema non esiste alcuna applicazione in grado di aprire il documento "
      b"'%s'.\r\n\r\nError: on this system there is no application that can open document '%s'."
      % (PAGE, PAGE))
# Template order: OK, home-page button, banner, message; the styles of the template.
CONTROLS = [(1, 'button', b'OK', 0x50010001), (110, 'button', HOME, 0x50010000),
            (101, 'static', None, 0x50020000), (102, 'edit', None, 0x50A10804)]
WS_BORDER, WS_EX_CLIENTEDGE = 0x00800000, 0x00000200
# Code page 1252 as Wine converts it: its five unused bytes become U+0081, U+008D, U+008F,
# U+0090 and U+009D.
CP1252 = ''.join(chr(b) if c == '\ufffd' else c
                 for b, c in enumerate(bytes(range(256)).decode('cp1252', 'replace')))
count = {True: 0, False: 0}
BUSY = 100  # copies for each load on the clipboard


def win(path):
    return 'Z:' + path.replace('/', '\\')


def put(name, data):
    path = os.path.join(WORK, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    return data


def show(data):
    return 'none' if data is None else '%d bytes %r%s' % (len(data), data[:48], '...' * (len(data) > 48))


def report(name, problems):
    count[not problems] += 1
    print('%s %s%s' % ('FAIL' if problems else 'PASS', name, ''.join('\n    ' + p for p in problems)),
          flush=True)


class Run:
    """One start of the program: its exit code, time, dialogs and the clipboard after it."""
    def __init__(self):
        self.code, self.ms, self.dialogs, self.errors, self.block = None, None, [], [], None
        self.unicode = self.notepad = None  # CF_UNICODETEXT; the text Notepad pasted
        self.also = []  # the exit codes of copies started beside it

    def exit(self, want):
        return [] if self.code == want else ['exit %s, expected %d' % (
            'unknown' if self.code is None else '0x%08x' % self.code, want)]

    def message(self, n=0):
        return next((c['text'] for c in self.dialogs[n]['controls'] if c['id'] == 102), None)


def parse_fields(rest):
    fields = dict(kv.split('=', 1) for kv in rest.split() if '=' in kv)
    for key, value in fields.items():
        if key in ('caption', 'text'):
            fields[key] = b'' if value == '-' else bytes.fromhex(value)
        elif key in ('rect', 'screen'):
            fields[key] = tuple(int(v) for v in value.split(','))
        elif key in ('style', 'exstyle'):
            fields[key] = int(value, 16)
        elif key in ('ms', 'focus'):
            fields[key] = int(value)
    return fields


def attempts(specs, prefix=None, sentinel=True, after=()):
    """Each case: (command line, dialog actions, working dir, steps before the run).
    Puts the sentinel on the clipboard, runs, takes the steps after, saves the clipboard;
    one helper for all."""
    script = []
    for i, (line, actions, cwd, before) in enumerate(specs):
        script += ([('put', SENTINEL)] if sentinel else []) + list(before)
        script += [('run', win(EXE), win(cwd), line, actions)] + list(after)
        script += [('save', win('%s/clip/%d' % (WORK, i)))]
    # Texts go as UTF-8, clipboard bytes as they are; %XX escapes keep both intact.
    text = b''.join(b'\t'.join(re.sub(rb'[^ -$&-~]', lambda m: b'%%%02x' % m[0][0],
                                      f if isinstance(f, bytes) else f.encode())
                                for f in step) + b'\n' for step in script)
    env = dict(os.environ, WINEPREFIX=prefix) if prefix else None
    shutil.rmtree(WORK + '/clip', ignore_errors=True)
    os.makedirs(WORK + '/clip')
    out = subprocess.run(['wine', HELPER], input=text, stdout=subprocess.PIPE,
                         cwd=WORK, env=env, timeout=600).stdout.decode('latin-1')
    runs, run = [], Run()
    for line in out.splitlines():
        word, _, rest = line.strip().partition(' ')
        if word == 'error':
            run.errors.append(rest)
        elif word == 'dialog':
            run.dialogs.append(dict(parse_fields(rest), controls=[]))
        elif word == 'control':
            run.dialogs[-1]['controls'].append(dict(parse_fields(rest), id=int(rest.split()[0])))
        elif word == 'also':
            run.also.append(int(rest, 16))
        elif word == 'exit':
            run.code, run.ms = int(rest.split()[0], 16), parse_fields(rest)['ms']
        elif word == 'notepad':
            run.notepad = b'' if rest == '-' else bytes.fromhex(rest)
        elif word in ('unicode', 'clip'):
            block = None
            if rest != 'none':
                with open('%s/clip/%d%s' % (WORK, len(runs), '.unicode' * (word == 'unicode')), 'rb') as f:
                    block = f.read()
                if len(block) != int(rest):
                    run.errors.append('saved %d bytes of %s' % (len(block), rest))
            if word == 'unicode':
                run.unicode = block
                continue
            run.block = block
            runs.append(run)
            run = Run()
    for _ in range(len(specs) - len(runs)):
        runs.append(Run())
        runs[-1].errors.append('no result from the helper')
    return runs


def attempt(line, actions='ok', cwd=None, before=(), prefix=None):
    return attempts([(line, actions, cwd or WORK, before)], prefix)[0]


def converted(data):
    """What Wine makes of CF_TEXT alone for Unicode programs: the whole block, NULs and all,
    through code page 1252, as UTF-16LE."""
    return codecs.charmap_decode(data + b'\0', 'strict', CP1252)[0].encode('utf-16-le')


def pasted(data):
    """The CF_UNICODETEXT block, UTF-16LE, a Unicode program gets after a copy of these bytes:
    the text of a UTF-16 or UTF-8 file and a NUL; of any other file, Wine's conversion."""
    if data[:2] == b'\xff\xfe' and data[:4] != b'\xff\xfe\0\0':
        return data[2:len(data) & ~1] + b'\0\0'  # a stray last byte is no text
    if data[:2] == b'\xfe\xff':
        units = bytearray(data[2:len(data) & ~1])
        units[0::2], units[1::2] = units[1::2], units[0::2]
        return bytes(units) + b'\0\0'
    if data[:3] == b'\xef\xbb\xbf':
        return (data[3:].decode('utf-8', 'replace') + '\0').encode('utf-16-le')
    try:
        if not data.isascii():
            return (data.decode('utf-8') + '\0').encode('utf-16-le')  # strict, as the program
    except UnicodeDecodeError:
        pass
    return converted(data)


def copied(run, data):
    """What a copy must leave: exit 0, no window, the file's bytes and a NUL on the clipboard,
    and its text for Unicode programs."""
    data = data or SENTINEL
    return run.errors + run.exit(0) + \
        (['a window appeared: %s' % show(run.message())] if run.dialogs else []) + \
        (['clipboard %s, expected %s' % (show(run.block), show(data + b'\0'))]
         if run.block != data + b'\0' else []) + \
        (['Unicode text %s, expected %s' % (show(run.unicode), show(pasted(data)))]
         if run.unicode != pasted(data) else [])


def refused(run, message, dialogs=1):
    """What a failure must leave: its message in the dialog (and as many dialogs as the
    actions open), exit 1 once they are closed, the clipboard as it was."""
    got = [run.message(n) for n in range(len(run.dialogs))]
    return run.errors + run.exit(1) + \
        (['dialogs %s, expected %d, the first %s' % ([show(g) for g in got], dialogs, show(message))]
         if len(got) != dialogs or got[0] != message else []) + \
        (['clipboard %s, expected the sentinel' % show(run.block)]
         if run.block != SENTINEL + b'\0' else [])


def content(size):
    """Random bytes that start with Ctrl-Z, a bare CR, NUL, a bare LF and high bytes, with a
    CR LF across the first 512-byte boundary."""
    data = bytearray(rng.randbytes(size))
    data[:6] = b'\x1a\r\0\n\x80\xff'[:size]
    if size > 512:
        data[511:513] = b'\r\n'
    return bytes(data)


def test_copies():
    sizes = [0, 1, 512, 513, 1024, 1 << 20]
    files = [put('size/%d.txt' % n, content(n)) for n in sizes]
    runs = attempts([('KELBRANO %d.txt' % n, 'ok', WORK + '/size', ()) for n in sizes])
    for n, data, run in zip(sizes, files, runs):
        report('copy of a %d-byte file' % n, copied(run, data))


def test_command_lines():
    notes = put('notes.txt', content(700))
    mine = put('my notes.txt', content(300))
    put('rel.txt', content(50))
    rel = put('sub/rel.txt', content(60))
    program = r'"C:\Program Files\Kelbrano\KELBRANO.EXE"'
    cases = [('KELBRANO notes.txt', notes, WORK), (program + '  notes.txt', notes, WORK),
             (program + 'notes.txt', notes, WORK), ('KELBRANO\tnotes.txt', notes, WORK),
             ('KELBRANO "my notes.txt"', mine, WORK), ('KELBRANO rel.txt', rel, WORK + '/sub')]
    runs = attempts([(line, 'ok', cwd, ()) for line, _, cwd in cases])
    for (line, data, cwd), run in zip(cases, runs):
        report('command line %r in %s' % (line, os.path.relpath(cwd, WORK)), copied(run, data))
    for line in ['KELBRANO', 'KELBRANO  \t \t', '']:
        report('usage text for command line %r' % line, refused(attempt(line), USAGE))
    return runs[0].ms


def test_failures(copy_ms):
    report('missing file', refused(attempt('KELBRANO missing.txt'), M1))
    report('a directory', refused(attempt('KELBRANO sub'), M1))
    put('locked.txt', b'locked')
    report('a file opened with no sharing',
           refused(attempt('KELBRANO locked.txt', before=[('lock', win(WORK + '/locked.txt'))]), M1))
    report('a 1100-character name', refused(attempt('KELBRANO ' + 'n' * 1100), M1))
    for name, size in [('3 GiB', 3 << 30), ('4 GiB + 700 bytes', (4 << 30) + 700)]:
        with open(WORK + '/big.txt', 'wb') as f:
            f.write(b'first 700 bytes: a copy of these is wrong. ' * 16)
            f.truncate(size)
        run = attempt('KELBRANO big.txt')
        late = [d['ms'] for d in run.dialogs if d['ms'] > 5000]
        report('a sparse %s file' % name, refused(run, M2) + ['shown after %d ms' % ms for ms in late])
        os.remove(WORK + '/big.txt')
    report('clipboard held by another process for 5 s',
           refused(attempt('KELBRANO notes.txt', before=[('hold', '5000')]), M4))
    # Held past the moment the program first asks for it (a whole copy takes copy_ms).
    hold = (copy_ms or 1000) + 200
    run = attempt('KELBRANO notes.txt', before=[('hold', str(hold))])
    with open(WORK + '/notes.txt', 'rb') as f:
        report('clipboard held by another process for %d ms' % hold, copied(run, f.read()) + (
            ['ended after %s ms, before the clipboard was free' % run.ms] if run.ms < hold else []))


def dialog_problems(dialog, message):
    """The problems of one message dialog: caption, class, centring, controls, banner, focus."""
    p = []
    left, top, right, bottom = dialog['rect']
    width, height = dialog['screen']
    if dialog['caption'] != b'KELBRANO' or dialog['class'] != '#32770':
        p.append('caption %r class %s' % (dialog['caption'], dialog['class']))
    if (left, top) != (int((width - right + left) / 2), int((height - bottom + top) / 2)):
        p.append('not centred: %s on a %dx%d screen' % (dialog['rect'], width, height))
    controls = dialog['controls']
    if [c['id'] for c in controls] != [c[0] for c in CONTROLS]:
        return p + ['controls %s' % [c['id'] for c in controls]]
    for c, (id, kind, text, style) in zip(controls, CONTROLS):
        has = c['style'] | (WS_BORDER if c['exstyle'] & WS_EX_CLIENTEDGE else 0)
        if c['class'].lower() != kind or has & style != style or text not in (None, c['text']):
            p.append('control %d: %s style 0x%08x exstyle 0x%08x text %r' %
                     (id, c['class'], c['style'], c['exstyle'], c['text']))
    banner = controls[2]['text']
    if not re.fullmatch(rb'KELBRANO\.EXE v\.1\.0\n[^\r\n]*' + re.escape(HOME) + rb'[^\r\n]*\n\n', banner):
        p.append('banner %r' % banner)
    if controls[3]['text'] != message:
        p.append('message %s, expected %s' % (show(controls[3]['text']), show(message)))
    if dialog['focus'] != 1:
        p.append('focus on %d, not OK' % dialog['focus'])
    return p


def test_dialog():
    run = attempt('KELBRANO')
    report('message dialog: caption, class, centring, controls, banner, focus',
           run.errors + (dialog_problems(run.dialogs[0], USAGE) if run.dialogs else ['no dialog']))
    for actions, name in [('esc', 'Escape'), ('enter', 'Enter'), ('close', 'the close box')]:
        report('%s ends the dialog' % name, refused(attempt('KELBRANO', actions), USAGE))


def test_home_page():
    prefix = WORK + '/prefix-noweb'
    env = dict(os.environ, WINEPREFIX=prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run(['cp', '-a', os.environ['WINEPREFIX'], prefix], check=True)
    server = subprocess.Popen(['wineserver', '-f', '-p'], env=env)
    try:
        for _ in range(50):
            if os.path.exists('/proc/%d/cwd/socket' % server.pid):
                break
            time.sleep(0.1)
        key = r'HKCR\http\shell\open\command'
        subprocess.run(['wine', 'reg', 'add', key, '/ve', '/d', r'C:\nowhere\browser.exe "%1"', '/f'],
                       env=env, stdout=subprocess.DEVNULL, check=True)
        for line, actions, first, name in [
                ('KELBRANO', 'home,home,ok', USAGE, 'home-page button, twice, browser missing'),
                ('KELBRANO', 'tab+enter,ok', USAGE, 'Enter on the home-page button, browser missing')]:
            run = attempt(line, actions, prefix=prefix)
            dialogs = actions.count(',') + 1
            report(name, refused(run, first, dialogs) + [
                'dialog %d: %s' % (n + 1, p) for n in range(1, min(dialogs, len(run.dialogs)))
                for p in dialog_problems(run.dialogs[n], N1)])
        subprocess.run(['wine', 'reg', 'delete', key, '/f'], env=env, stdout=subprocess.DEVNULL,
                       check=True)
        run = attempt('KELBRANO missing.txt', 'home,ok', prefix=prefix)
        report('home-page button, no application for web addresses', refused(run, M1, 2) + [
            'dialog 2: ' + p for d in run.dialogs[1:2] for p in dialog_problems(d, N2)])
    finally:
        subprocess.run(['wineserver', '-k'], env=env)
        server.wait()
        shutil.rmtree(prefix, ignore_errors=True)


def test_wide_names():
    # Each beside the file its name would turn into through the ANSI code page's best fit.
    names = ['\u0142\u00f3d\u017a.txt', '\u043f\u0440\u0438\u0432\u0435\u0442.txt', '\u4e2d\u6587.txt',
             '\U0001f600.txt', '\uff02my notes.txt\uff02', '\uff4e\uff4f\uff54\uff45\uff53.txt']
    for fit in ['l\u00f3dz.txt', 'notes.txt', 'my notes.txt']:
        put('wide/' + fit, b'the best-fit look-alike: a copy of this is wrong')
    files = [put('wide/' + name, content(300)) for name in names]
    lines = ['KELBRANO ' + name for name in names] + ['KELBRANO "%s"' % names[0]]
    runs = attempts([(line, 'ok', WORK + '/wide', ()) for line in lines])
    for line, data, run in zip(lines, files + files[:1], runs):
        report('command line %r' % line, copied(run, data))
    # Only the look-alike exists: the name is not found.
    put('wide/zle.txt', b'the best-fit look-alike')
    put('a/b.txt', b'the best-fit look-alike')
    for line in ['KELBRANO wide\\\u017ale.txt', 'KELBRANO a\uff3cb.txt', 'KELBRANO wide\\\uff0e\uff0e\uff3cnotes.txt',
                 'KELBRANO \uff4e\uff55\uff4c', 'KELBRANO \u4e2d\u6587-missing.txt']:
        report('command line %r: not found' % line, refused(attempt(line), M1))


def test_unicode_text():
    line = ('Perch\u00e9 \u00e8 cos\u00ec? \u041f\u0440\u0438\u0432\u0435\u0442, '
            '\u043c\u0438\u0440! \u4e2d\u6587 \U0001f600\r\n')
    head = (line * 9).encode()
    utf8 = head + b'-' * (510 - len(head)) + ('\U0001f600 across bytes 512\r\n' + line * 4).encode()
    text = '\ufeffGr\u00fc\u00dfe, \u4e16\u754c \U0001f600\r\n\u00bd \u20ac \u2211\r\n'
    cases = [('UTF-8, no mark, %d bytes' % len(utf8), utf8),
             ('UTF-8 with a mark', text.encode()),
             ('UTF-8 with a mark and a stray byte', text.encode() + b'\x80\r\n'),
             ('UTF-16 LE with a mark', text.encode('utf-16-le')),
             ('UTF-16 LE with a mark and a stray last byte', text.encode('utf-16-le') + b'!'),
             ('UTF-16 BE with a mark', text.encode('utf-16-be')),
             ('UTF-32 LE mark: code page', '\ufeffabc'.encode('utf-32-le')),
             ('code page 1252 text: code page', 'Perch\u00e9 \u00e8 cos\u00ec? 5 \u20ac \u2014 \u00bd\r\n'
              .encode('cp1252') + b'\x81\x8d\x8f\x90\x9d\r\n')]
    cases += [('UTF-8 but for %s near the end: code page' % name, utf8 + bad + b'\r\n')
              for name, bad in [('an overlong form', b'\xc0\xaf'), ('a stray continuation byte', b'\x80'),
                                ('an encoded surrogate', b'\xed\xa0\x80'),
                                ('a character past U+10FFFF', b'\xf4\x90\x80\x80')]]
    cases += [('UTF-8 cut off at the end: code page', utf8 + '\u4e2d'.encode()[:2])]
    for i, (_, data) in enumerate(cases):
        put('unicode/%d.txt' % i, data)
    # Notepad, a Unicode program, pastes each as far as the first NUL.
    runs = attempts([('KELBRANO %d.txt' % i, 'ok', WORK + '/unicode', ()) for i in range(len(cases))],
                    after=[('notepad',)])
    for (name, data), run in zip(cases, runs):
        text = pasted(data).decode('utf-16-le', 'surrogatepass').split('\0')[0]
        report('Unicode text of %s' % name, copied(run, data) + (
            ['Notepad pasted %s, expected %s' % (show(run.notepad), show(text.encode('utf-16-le')))]
            if run.notepad != text.encode('utf-16-le') else []))


def test_busy_clipboard():
    # UTF-8 text: copies started together must leave both formats from one file.
    chars = 'a b\r\n\u00e9\u00df\u043f\u0436\u4e2d\u6587\u20ac\U0001f600\U0001d11e'
    files = [put('busy/%03d.txt' % i, ('N\u00ba %03d ' % i + ''.join(
        rng.choice(chars) for _ in range(rng.randint(1, 1500)))).encode()) for i in range(BUSY)]
    for ms in [20, 5, 1]:
        runs = attempts([('KELBRANO %03d.txt' % i, 'ok', WORK + '/busy', [('poll', str(ms))])
                         for i in range(BUSY)])
        bad = ['copy %d: %s' % (i, p) for i, (d, r) in enumerate(zip(files, runs)) for p in copied(r, d)]
        report('%d copies while another program opens the clipboard every %d ms' % (BUSY, ms),
               bad[:5] + ['...'] * (len(bad) > 5))
    program = win(EXE)
    runs = attempts([('KELBRANO %03d.txt' % i, 'ok', WORK + '/busy',
                      [('start', program, win(WORK + '/busy'), 'KELBRANO %03d.txt' % (i + 1))])
                     for i in range(0, BUSY, 2)])
    bad = []
    for i, run in zip(range(0, BUSY, 2), runs):
        either = [(d + b'\0', pasted(d)) for d in files[i:i + 2]]
        bad += ['pair %d: %s' % (i, p) for p in run.errors + run.exit(0) + (
            ['the other exit %s' % run.also] if run.also != [0] else []) + (
            ['clipboard %s and Unicode text %s, expected both of either copy' % (
                show(run.block), show(run.unicode))] if (run.block, run.unicode) not in either else [])]
    report('%d pairs of copies started together' % (BUSY // 2), bad[:5] + ['...'] * (len(bad) > 5))


def test_many_copies():
    files = [put('many/%03d.txt' % i, rng.randbytes(rng.randint(1, 4000)) + b'%03d' % i)
             for i in range(200)]
    runs = attempts([('KELBRANO %03d.txt' % i, 'ok', WORK + '/many', ()) for i in range(200)],
                    sentinel=False)
    bad = ['copy %d: %s' % (i, p) for i, (d, r) in enumerate(zip(files, runs)) for p in copied(r, d)]
    report('200 consecutive copies of different files', bad[:5] + ['...'] * (len(bad) > 5))


def test_run_script_on_a_desktop():
    text = put('desktop/notes.txt',
               'Pasted in an X program after Wine has stopped: \u00e8 \u4e2d\u6587 \U0001f600.\n'.encode())
    prefix = WORK + '/prefix-desktop'  # run.sh's own Wine session: one prefix each
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run(['cp', '-a', os.environ['WINEPREFIX'], prefix], check=True)
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), '../../scripts/run.sh')
    run = subprocess.run([script, WORK + '/desktop/notes.txt'], env=dict(os.environ, WINEPREFIX=prefix),
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    time.sleep(10)
    got = subprocess.run(['xclip', '-o', '-selection', 'clipboard'], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=10).stdout
    shutil.rmtree(prefix, ignore_errors=True)
    report('scripts/run.sh on a desktop: X programs paste the UTF-8 text 10 s later',
           (['run.sh ended with %d: %r' % (run.returncode, run.stdout[-300:])] if run.returncode else []) +
           (['xclip gave %s, expected %s' % (show(got), show(text))] if got != text else []))


def main():
    print('seed %d (E2E_SEED=%d repeats this run)' % (SEED, SEED), flush=True)
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK + '/sub')
    test_copies()
    copy_ms = test_command_lines()
    test_failures(copy_ms)
    test_dialog()
    test_home_page()
    test_wide_names()
    test_unicode_text()
    test_busy_clipboard()
    test_many_copies()
    test_run_script_on_a_desktop()
    print('%d passed, %d failed' % (count[True], count[False]))
    return 1 if count[False] or not count[True] else 0


if __name__ == '__main__':
    sys.exit(main())
