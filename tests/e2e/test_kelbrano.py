"""End-to-end tests of KELBRANO.EXE under Wine, checked on the real clipboard and the real
dialog through e2e-helper.exe. Runs that can share one start of the helper are made together,
once, by a fixture; the tests check its results. The session and the build: conftest.py."""
import codecs
import os
import random
import re
import shutil
import subprocess
import time
import types

import pytest

SEED = int(os.environ['E2E_SEED'])  # each group of files has a generator of its own, seeded from it
SENTINEL = b'e2e sentinel %d' % SEED
HOME = b'http://www.kelbrano.example/'
PAGE = HOME + b'index.html'
USAGE = (b'Indicare su linea di comando il nome del file di testo da copiare in clipboard.\r\n\r\n'
         b'Please specify on the command-line the name of the text file to be copied into '
         b'clipboard.\r\n\r\nEsempio/Example:\r\nKELBRANO TEXT.TXT')
M1 = b"Errore nell'apertura del file.\n\rError opening the file."
M2 = b"Errore nell'ottenimento del puntatore globale."
M3 = b"Errore nella lettura del file."
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
BUSY = 100  # copies for each load on the clipboard


def prefix_copy(e2e, name):
    """A copy of the session's prefix, for a Wine session of its own."""
    prefix = e2e.work + '/' + name
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run(['cp', '-a', os.environ['WINEPREFIX'], prefix], check=True)
    return prefix


def win(path):
    return 'Z:' + path.replace('/', '\\')


def put(e2e, name, data):
    path = os.path.join(e2e.work, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    return data


def no_problems(problems):
    """Fails with the problems, one a line, none cut short."""
    __tracebackhide__ = True
    assert not problems, '\n'.join(problems)


def show(data):
    return 'none' if data is None else '%d bytes %r%s' % (len(data), data[:48], '...' * (len(data) > 48))


class Run:
    """One start of the program: its exit code, time, dialogs and the clipboard after it."""
    def __init__(self):
        self.code, self.ms, self.dialogs, self.errors, self.block = None, None, [], [], None
        self.unicode = self.notepad = None  # CF_UNICODETEXT; the text Notepad pasted
        self.formats = []  # the clipboard's formats, in the order they are listed
        self.also = []  # the exit codes of copies started beside it

    def exit(self, want):
        return [] if self.code == want else ['exit %s, expected %d' % (
            'unknown' if self.code is None else '0x%08x' % self.code, want)]

    def message(self, n=0):
        return next((c['text'] for c in self.dialogs[n]['controls'] if c['id'] == 102), None)


# How each field of the helper's lines reads.
FIELDS = dict.fromkeys(('caption', 'text'), lambda v: b'' if v == '-' else bytes.fromhex(v))
FIELDS.update(dict.fromkeys(('rect', 'screen'), lambda v: tuple(int(n) for n in v.split(','))))
FIELDS.update(dict.fromkeys(('style', 'exstyle'), lambda v: int(v, 16)), ms=int, focus=int)


def parse_fields(rest):
    return {k: FIELDS.get(k, str)(v) for k, v in (kv.split('=', 1) for kv in rest.split() if '=' in kv)}


def attempts(e2e, specs, prefix=None, sentinel=True, after=(), env=None):
    """Each case: (command line, dialog actions, working dir, steps before the run[, standard
    input as e2e-helper.cpp's run takes it; by default none, never the runner's own]).
    Puts the sentinel on the clipboard, runs, takes the steps after, saves the clipboard;
    one helper for all, in the environment given."""
    work, script = e2e.work, []
    for i, (line, actions, cwd, before, *stdin) in enumerate(specs):
        script += ([('put', SENTINEL)] if sentinel else []) + list(before)
        script += [('run', win(e2e.exe), win(cwd), line, actions, (stdin or ['none'])[0])] + list(after)
        script += [('save', win('%s/clip/%d' % (work, i)))]
    # Texts go as UTF-8, clipboard bytes as they are; %XX escapes keep both intact.
    text = b''.join(b'\t'.join(re.sub(rb'[^ -$&-~]', lambda m: b'%%%02x' % m[0][0],
                                      f if isinstance(f, bytes) else f.encode())
                                for f in step) + b'\n' for step in script)
    env = dict(os.environ, **(env or {}), **({'WINEPREFIX': prefix} if prefix else {}))
    shutil.rmtree(work + '/clip', ignore_errors=True)
    os.makedirs(work + '/clip')
    # Every run makes the helper print. A helper that printed nothing ran no step (seen once in a
    # few whole suites under Wine, and not again in 75 tries), so it is started once more.
    for _ in range(2):
        helper = subprocess.run(['wine', e2e.helper], input=text, stdout=subprocess.PIPE,
                                cwd=work, env=env, timeout=600)
        if helper.stdout:
            break
    out = helper.stdout.decode('latin-1')
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
        elif word == 'formats':
            run.formats = [int(n) for n in rest.split()]
        elif word == 'notepad':
            run.notepad = b'' if rest == '-' else bytes.fromhex(rest)
        elif word in ('unicode', 'clip'):
            block = None
            if rest != 'none':
                with open('%s/clip/%d%s' % (work, len(runs), '.unicode' * (word == 'unicode')), 'rb') as f:
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
        runs[-1].errors.append('no result from the helper (exit %d)' % helper.returncode)
    return runs


def attempt(e2e, line, actions='ok', cwd=None, before=(), prefix=None, stdin='none'):
    return attempts(e2e, [(line, actions, cwd or e2e.work, before, stdin)], prefix)[0]


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


def copied(run, data, text=None):
    """What a copy must leave: exit 0, no window, the file's bytes and a NUL on the clipboard in
    place of the sentinel (an empty file too), and its text for Unicode programs (by default as
    pasted() reads it)."""
    text = pasted(data) if text is None else text
    return run.errors + run.exit(0) + \
        (['a window appeared: %s' % show(run.message())] if run.dialogs else []) + \
        (['clipboard %s, expected %s' % (show(run.block), show(data + b'\0'))]
         if run.block != data + b'\0' else []) + \
        (['Unicode text %s, expected %s' % (show(run.unicode), show(text))]
         if run.unicode != text else [])


def refused(run, message, dialogs=1):
    """What a failure must leave: its message in the dialog (and as many dialogs as the
    actions open), exit 1 once they are closed, the clipboard as it was."""
    got = [run.message(n) for n in range(len(run.dialogs))]
    return run.errors + run.exit(1) + \
        (['dialogs %s, expected %d, the first %s' % ([show(g) for g in got], dialogs, show(message))]
         if len(got) != dialogs or got[0] != message else []) + \
        (['clipboard %s, expected the sentinel' % show(run.block)]
         if run.block != SENTINEL + b'\0' else [])


def content(rng, size):
    """Random bytes that start with Ctrl-Z, a bare CR, NUL, a bare LF and high bytes, with a
    CR LF across the first 512-byte boundary."""
    data = bytearray(rng.randbytes(size))
    data[:6] = b'\x1a\r\0\n\x80\xff'[:size]
    if size > 512:
        data[511:513] = b'\r\n'
    return bytes(data)


PROGRAM = r'"C:\Program Files\Kelbrano\KELBRANO.EXE"'
SIZES = {'empty': 0, '1-byte': 1, '512-bytes': 512, '513-bytes': 513, '1024-bytes': 1024, '1-MiB': 1 << 20}
WIDE = {'polish': '\u0142\u00f3d\u017a.txt', 'russian': '\u043f\u0440\u0438\u0432\u0435\u0442.txt',
        'chinese': '\u4e2d\u6587.txt', 'emoji': '\U0001f600.txt',
        'fullwidth-quotes': '\uff02my notes.txt\uff02',
        'fullwidth-letters': '\uff4e\uff4f\uff54\uff45\uff53.txt'}
# A name whose full path is over 300 characters wherever the work directory is: Windows opens
# it only in the extended-length form (Wine opens it either way).
LONG = '/'.join(['deep-folder-' + 'd' * 48] * 5) + '/notes.txt'
# Each copy: the command line, the file it names and the working directory, under the work directory.
COPIES = {**{size: ('KELBRANO %d.txt' % n, 'size/%d.txt' % n, '/size') for size, n in SIZES.items()},
          'notes': ('KELBRANO notes.txt', 'notes.txt', ''),
          'quoted-program-two-spaces': (PROGRAM + '  notes.txt', 'notes.txt', ''),
          'quoted-program-no-space': (PROGRAM + 'notes.txt', 'notes.txt', ''),
          'tab-separated': ('KELBRANO\tnotes.txt', 'notes.txt', ''),
          'quoted-name-with-a-space': ('KELBRANO "my notes.txt"', 'my notes.txt', ''),
          'relative-to-the-working-directory': ('KELBRANO rel.txt', 'sub/rel.txt', '/sub'),
          'a-long-path': ('KELBRANO ' + LONG.replace('/', '\\'), LONG, ''),
          **{'wide-name-' + case: ('KELBRANO ' + name, 'wide/' + name, '/wide')
             for case, name in WIDE.items()},
          'wide-name-polish-quoted': ('KELBRANO "%s"' % WIDE['polish'], 'wide/' + WIDE['polish'], '/wide')}
# Random bytes, of these sizes.
FILES = {**{'size/%d.txt' % n: n for n in SIZES.values()}, 'notes.txt': 700, 'my notes.txt': 300,
         'rel.txt': 50, 'sub/rel.txt': 60, LONG: 900, **{'wide/' + name: 300 for name in WIDE.values()}}


@pytest.fixture(scope='module')
def copies(e2e):
    """The runs of COPIES, made together; the files of the tests of names that are not found."""
    rng = random.Random('%d copies' % SEED)
    files = {path: put(e2e, path, content(rng, size)) for path, size in FILES.items()}
    # Beside a wide name, the file it would turn into through the ANSI code page's best fit.
    for fit in ['wide/l\u00f3dz.txt', 'wide/notes.txt', 'wide/my notes.txt', 'wide/zle.txt', 'a/b.txt']:
        put(e2e, fit, b'the best-fit look-alike: a copy of this is wrong')
    runs = attempts(e2e, [(line, 'ok', e2e.work + cwd, ()) for line, _, cwd in COPIES.values()])
    return {case: (files[path], run) for (case, (_, path, _)), run in zip(COPIES.items(), runs)}


@pytest.mark.parametrize('case', COPIES)
def test_copies(copies, case):
    data, run = copies[case]
    no_problems(copied(run, data))


# Each run that must fail: its command line, dialog actions, steps before it, and message.
REFUSED = {'usage-text': ('KELBRANO', 'ok', (), USAGE),
           'usage-text-blanks': ('KELBRANO  \t \t', 'ok', (), USAGE),
           'usage-text-empty-command-line': ('', 'ok', (), USAGE),
           'missing-file': ('KELBRANO missing.txt', 'ok', (), M1),
           'a-directory': ('KELBRANO sub', 'ok', (), M1),
           'a-file-opened-with-no-sharing': ('KELBRANO locked.txt', 'ok', [('lock', 'locked.txt')], M1),
           'a-1100-character-name': ('KELBRANO ' + 'n' * 1100, 'ok', (), M1),
           # No file on a disk, and no length to read to.
           'a-named-pipe': (r'KELBRANO \\.\pipe\kelbrano-e2e', 'ok', [('serve', r'\\.\pipe\kelbrano-e2e')], M3),
           'the-nul-device': ('KELBRANO NUL', 'ok', (), M3),
           'clipboard-held-by-another-process-for-5-s': ('KELBRANO notes.txt', 'ok', [('hold', '5000')], M4),
           'escape-ends-the-dialog': ('KELBRANO', 'esc', (), USAGE),
           'enter-ends-the-dialog': ('KELBRANO', 'enter', (), USAGE),
           'the-close-box-ends-the-dialog': ('KELBRANO', 'close', (), USAGE),
           'usage-text-nul-as-standard-input': ('KELBRANO', 'ok', (), USAGE, 'nul'),
           # Only the best-fit look-alike exists: the name is not found.
           **{'wide-name-not-found-' + case: ('KELBRANO ' + name, 'ok', (), M1) for case, name in [
               ('z-acute', 'wide\\\u017ale.txt'), ('fullwidth-backslash', 'a\uff3cb.txt'),
               ('fullwidth-dots', 'wide\\\uff0e\uff0e\uff3cnotes.txt'),
               ('fullwidth-nul', '\uff4e\uff55\uff4c'), ('chinese-missing', '\u4e2d\u6587-missing.txt')]}}


@pytest.mark.parametrize('case', REFUSED)
def test_refused(e2e, copies, case):
    line, actions, before, message, *stdin = REFUSED[case]
    put(e2e, 'locked.txt', b'locked')
    no_problems(refused(attempt(e2e, line, actions, before=before, stdin=(stdin or ['none'])[0]), message))


@pytest.mark.parametrize('size', [3 << 30, (4 << 30) + 700], ids=['3-GiB', '4-GiB-and-700-bytes'])
def test_a_sparse_file(e2e, size):
    with open(e2e.work + '/big.txt', 'wb') as f:
        f.write(b'first 700 bytes: a copy of these is wrong. ' * 16)
        f.truncate(size)
    run = attempt(e2e, 'KELBRANO big.txt')
    os.remove(e2e.work + '/big.txt')
    late = [d['ms'] for d in run.dialogs if d['ms'] > 5000]
    no_problems(refused(run, M2) + ['shown after %d ms' % ms for ms in late])


def test_clipboard_held_past_the_first_ask(e2e, copies):
    # Held past the moment the program first asks for it (a whole copy of notes.txt took run.ms).
    notes, run = copies['notes']
    hold = (run.ms or 1000) + 200
    run = attempt(e2e, 'KELBRANO notes.txt', before=[('hold', str(hold))])
    no_problems(copied(run, notes) + (['ended after %s ms, before the clipboard was free (%d ms)' % (
        run.ms, hold)] if run.ms < hold else []))


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


def test_message_dialog(e2e):
    """Caption, class, centring, controls, banner, focus."""
    run = attempt(e2e, 'KELBRANO')
    no_problems(run.errors + (dialog_problems(run.dialogs[0], USAGE) if run.dialogs else ['no dialog']))


class TestHomePage:
    """In a prefix of its own, where web addresses open a browser that is missing, or nothing."""
    @pytest.fixture(scope='class')
    def prefix(self, e2e):
        prefix = prefix_copy(e2e, 'prefix-noweb')
        env = dict(os.environ, WINEPREFIX=prefix)
        server = subprocess.Popen(['wineserver', '-f', '-p'], env=env)
        try:
            for _ in range(50):
                if os.path.exists('/proc/%d/cwd/socket' % server.pid):
                    break
                time.sleep(0.1)
            yield prefix
        finally:
            subprocess.run(['wineserver', '-k'], env=env)
            server.wait()
            shutil.rmtree(prefix, ignore_errors=True)

    # Command line, actions, the first message, the browser web addresses open, the second.
    @pytest.mark.parametrize('line, actions, first, browser, second', [
        ('KELBRANO', 'home,home,ok', USAGE, r'C:\nowhere\browser.exe "%1"', N1),
        ('KELBRANO', 'tab+enter,ok', USAGE, r'C:\nowhere\browser.exe "%1"', N1),
        ('KELBRANO missing.txt', 'home,ok', M1, None, N2)],
        ids=['twice-browser-missing', 'enter-on-it-browser-missing', 'no-application-for-web-addresses'])
    def test_home_page_button(self, e2e, prefix, line, actions, first, browser, second):
        key = r'HKCR\http\shell\open\command'
        subprocess.run(['wine', 'reg'] + (['add', key, '/ve', '/d', browser] if browser else ['delete', key])
                       + ['/f'], env=dict(os.environ, WINEPREFIX=prefix), stdout=subprocess.DEVNULL,
                       check=True)
        run = attempt(e2e, line, actions, prefix=prefix)
        dialogs = actions.count(',') + 1
        no_problems(refused(run, first, dialogs) + [
            'dialog %d: %s' % (n + 1, p) for n in range(1, min(dialogs, len(run.dialogs)))
            for p in dialog_problems(run.dialogs[n], second)])


LINE = ('Perch\u00e9 \u00e8 cos\u00ec? \u041f\u0440\u0438\u0432\u0435\u0442, '
        '\u043c\u0438\u0440! \u4e2d\u6587 \U0001f600\r\n')
UTF8 = (LINE * 9).encode().ljust(510, b'-') + ('\U0001f600 across bytes 512\r\n' + LINE * 4).encode()
TEXT = '\ufeffGr\u00fc\u00dfe, \u4e16\u754c \U0001f600\r\n\u00bd \u20ac \u2211\r\n'
UNICODE = {'utf8': UTF8, 'utf8-mark': TEXT.encode(), 'utf8-mark-stray-byte': TEXT.encode() + b'\x80\r\n',
           'utf16-le': TEXT.encode('utf-16-le'), 'utf16-le-stray-last-byte': TEXT.encode('utf-16-le') + b'!',
           'utf16-be': TEXT.encode('utf-16-be'), 'utf32-le-mark-code-page': '\ufeffabc'.encode('utf-32-le'),
           'cp1252-code-page': 'Perch\u00e9 \u00e8 cos\u00ec? 5 \u20ac \u2014 \u00bd\r\n'.encode('cp1252')
           + b'\x81\x8d\x8f\x90\x9d\r\n',
           # UTF-8 but for a fault near the end: code page
           'overlong-form': UTF8 + b'\xc0\xaf\r\n', 'stray-continuation-byte': UTF8 + b'\x80\r\n',
           'encoded-surrogate': UTF8 + b'\xed\xa0\x80\r\n', 'past-u10ffff': UTF8 + b'\xf4\x90\x80\x80\r\n',
           'utf8-cut-off-code-page': UTF8 + '\u4e2d'.encode()[:2]}


WAIT = (b"KELBRANO attende il testo dal suo standard input, e lo copia in clipboard quando l'input termina. "
        b"Annulla: esce senza copiare.\r\n\r\nKELBRANO is waiting for text on its standard input, and copies "
        b"it into clipboard when the input ends. Annulla (Cancel): quits without copying.")
# Without a name: the command line, its standard input (e2e-helper.cpp's run), the bytes it holds, actions.
STDIN = {'pipe-of-every-byte-value': ('KELBRANO', 'pipe', bytes(range(256)) * 300, 'ok'),
         'pipe-of-utf8-text': ('KELBRANO', 'pipe', UTF8, 'ok'),
         'from-a-file': ('KELBRANO', 'file', UNICODE['utf16-le'], 'ok'), 'empty-pipe': ('KELBRANO', 'pipe', b'', 'ok'),
         'pipe-ending-after-2-s': ('KELBRANO', 'late', UTF8, 'wait1'),
         'a-name-given-wins': ('KELBRANO named.txt', 'pipe', b'not this', 'ok'),
         'help-switch': ('KELBRANO /? ', 'pipe', b'not this', 'ok'),
         **{'left-open-' + a: ('KELBRANO', 'open', b'never ends', a) for a in ('close', 'ok', 'esc')}}


def test_standard_input(e2e):
    """Copied from a pipe or a redirected file; the wait window after about a second, which
    cancelling ends with exit 1, and which closes by itself when the input ends; /? exits 0."""
    put(e2e, 'stdin/named.txt', b'named\r\n')
    specs = []
    for i, (line, kind, data, actions) in enumerate(STDIN.values()):
        put(e2e, 'stdin/%d' % i, data)
        specs.append((line, actions, e2e.work + '/stdin', (), '%s:%s' % (kind, win('%s/stdin/%d' % (e2e.work, i)))))
    bad = []
    for case, run in zip(STDIN, attempts(e2e, specs)):
        line, kind, data, _ = STDIN[case]
        if kind == 'open':
            p = refused(run, WAIT)
        elif '/?' in line:
            p = [x for x in refused(run, USAGE) if not x.startswith('exit')] + run.exit(0)
        else:
            p = copied(run, b'named\r\n' if 'named' in line else data)
        if kind == 'late':  # the window came, and went by itself
            p = [x for x in p if 'window appeared' not in x] + ([] if run.dialogs and run.message() == WAIT
                                                                 else ['no wait window'])
        if kind in ('open', 'late') and run.dialogs and run.dialogs[0]['ms'] < 900:
            p.append('the window came after %d ms' % run.dialogs[0]['ms'])
        bad += ['%s: %s' % (case, x) for x in p]
    no_problems(bad)


@pytest.fixture(scope='module')
def unicode_text(e2e):
    for i, data in enumerate(UNICODE.values()):
        put(e2e, 'unicode/%d.txt' % i, data)
    # Notepad, a Unicode program, pastes each as far as the first NUL.
    runs = attempts(e2e, [('KELBRANO %d.txt' % i, 'ok', e2e.work + '/unicode', ())
                          for i in range(len(UNICODE))], after=[('notepad',)])
    return dict(zip(UNICODE, runs))


@pytest.mark.parametrize('case', UNICODE)
def test_unicode_text_and_notepad(unicode_text, case):
    data, run = UNICODE[case], unicode_text[case]
    text = pasted(data).decode('utf-16-le', 'surrogatepass').split('\0')[0]
    # A program that takes the first format it can handle finds the text before the bytes.
    order = [f for f in run.formats if f in (1, 13)]
    no_problems(copied(run, data) + (
        ['Notepad pasted %s, expected %s' % (show(run.notepad), show(text.encode('utf-16-le')))]
        if run.notepad != text.encode('utf-16-le') else []) + (
        ['formats listed %s, expected CF_UNICODETEXT (13) before CF_TEXT (1)' % run.formats]
        if case == 'utf8' and order != [13, 1] else []))


# Text in the system's code page reaches Unicode programs through that code page, whatever the
# user's locale (on Windows, the keyboard layout): a Russian system with English messages, and
# the reverse. Each case: the system's locale, the user's, the file's code page, its text.
MIXED = {'russian-system-english-messages': ('ru_RU.UTF-8', 'en_US.UTF-8', 'cp1251',
                                             '\u041f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440\r\n'),
         'english-system-russian-messages': ('en_US.UTF-8', 'ru_RU.UTF-8', 'cp1252',
                                             'Perch\u00e9 \u00e8 cos\u00ec\r\n')}


@pytest.mark.parametrize('case', MIXED)
def test_code_page_text_under_mixed_locales(e2e, case):
    system, user, code_page, text = MIXED[case]
    generated = subprocess.run(['locale', '-a'], stdout=subprocess.PIPE, text=True).stdout.lower().split()
    missing = [name for name in (system, user) if name.lower().replace('utf-8', 'utf8') not in generated]
    data = put(e2e, 'mixed/%s.txt' % case, text.encode(code_page))
    notepad = code_page == 'cp1251'  # and one real Unicode program pastes it
    run = attempts(e2e, [('KELBRANO %s.txt' % case, 'ok', e2e.work + '/mixed', ())],
                   after=[('notepad',)] * notepad,
                   env={'LANG': system, 'LC_MESSAGES': user, 'LC_ALL': '', 'LC_CTYPE': ''})[0]
    no_problems(['locale %s is not generated: scripts/install-deps.sh' % name for name in missing]
                + copied(run, data, (text + '\0').encode('utf-16-le')) + (
                    ['Notepad pasted %s, expected %s' % (show(run.notepad), show(text.encode('utf-16-le')))]
                    if notepad and run.notepad != text.encode('utf-16-le') else []))


@pytest.fixture(scope='module')
def busy_files(e2e):
    # UTF-8 text: copies started together must leave both formats from one file.
    rng = random.Random('%d busy' % SEED)
    chars = 'a b\r\n\u00e9\u00df\u043f\u0436\u4e2d\u6587\u20ac\U0001f600\U0001d11e'
    return [put(e2e, 'busy/%03d.txt' % i, ('N\u00ba %03d ' % i + ''.join(
        rng.choice(chars) for _ in range(rng.randint(1, 1500)))).encode()) for i in range(BUSY)]


@pytest.mark.parametrize('ms', [20, 5, 1], ids=lambda ms: 'every-%d-ms' % ms)
def test_copies_while_another_program_polls_the_clipboard(e2e, busy_files, ms):
    runs = attempts(e2e, [('KELBRANO %03d.txt' % i, 'ok', e2e.work + '/busy', [('poll', str(ms))])
                          for i in range(BUSY)])
    bad = ['copy %d: %s' % (i, p) for i, (d, r) in enumerate(zip(busy_files, runs)) for p in copied(r, d)]
    no_problems(bad[:5] + ['...'] * (len(bad) > 5))


def test_pairs_of_copies_started_together(e2e, busy_files):
    program = win(e2e.exe)
    runs = attempts(e2e, [('KELBRANO %03d.txt' % i, 'ok', e2e.work + '/busy',
                           [('start', program, win(e2e.work + '/busy'), 'KELBRANO %03d.txt' % (i + 1))])
                          for i in range(0, BUSY, 2)])
    bad = []
    for i, run in zip(range(0, BUSY, 2), runs):
        either = [(d + b'\0', pasted(d)) for d in busy_files[i:i + 2]]
        bad += ['pair %d: %s' % (i, p) for p in run.errors + run.exit(0) + (
            ['the other exit %s' % run.also] if run.also != [0] else []) + (
            ['clipboard %s and Unicode text %s, expected both of either copy' % (
                show(run.block), show(run.unicode))] if (run.block, run.unicode) not in either else [])]
    no_problems(bad[:5] + ['...'] * (len(bad) > 5))


def test_200_consecutive_copies_of_different_files(e2e):
    rng = random.Random('%d many' % SEED)
    files = [put(e2e, 'many/%03d.txt' % i, rng.randbytes(rng.randint(1, 4000)) + b'%03d' % i)
             for i in range(200)]
    runs = attempts(e2e, [('KELBRANO %03d.txt' % i, 'ok', e2e.work + '/many', ()) for i in range(200)],
                    sentinel=False)
    bad = ['copy %d: %s' % (i, p) for i, (d, r) in enumerate(zip(files, runs)) for p in copied(r, d)]
    no_problems(bad[:5] + ['...'] * (len(bad) > 5))


def test_nothing_saved_beside_the_exe_runs_in_its_process(e2e):
    """A DLL saved beside KELBRANO.EXE under the name of one that windows load by name alone,
    as a web page can save one into Downloads, is not loaded by a copy nor by the usage dialog.
    Windows has no builtin DLLs, so Wine is told to take the file first. The control: a program
    in that folder that loads the name runs the DLL."""
    folder = e2e.work + '/downloads'
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for program in (e2e.exe, e2e.helper):
        shutil.copy(program, folder)
    shutil.copy(e2e.plant, folder + '/uxtheme.dll')
    data = put(e2e, 'downloads/notes.txt', b'Notes saved beside it.\r\n')
    env = {'WINEDLLOVERRIDES': os.environ['WINEDLLOVERRIDES'] + ';uxtheme=n,b'}
    there = types.SimpleNamespace(**dict(vars(e2e), exe=folder + '/KELBRANO.EXE'))
    copy, usage = attempts(there, [('KELBRANO notes.txt', 'ok', folder, ()), ('KELBRANO', 'ok', folder, ())],
                           env=env)

    def loaded_by():
        if not os.path.exists(folder + '/planted.txt'):
            return []
        with open(folder + '/planted.txt', 'rb') as f:
            return [line.rsplit(b'\\', 1)[-1].decode('latin-1') for line in f.read().splitlines()]
    by_kelbrano = loaded_by()
    control = subprocess.run(['wine', folder + '/e2e-helper.exe'], input=b'load\tuxtheme.dll\n',
                             stdout=subprocess.PIPE, cwd=folder, env=dict(os.environ, **env), timeout=60)
    no_problems(copied(copy, data) + refused(usage, USAGE) +
                (['the DLL beside it ran in KELBRANO: %s' % by_kelbrano] if by_kelbrano else []) +
                ([] if 'e2e-helper.exe' in loaded_by() else
                 ['the control did not run the DLL: %s, %r' % (loaded_by(), control.stdout)]))


def test_run_script_on_a_desktop(e2e):
    """scripts/run.sh on a desktop: X programs paste the UTF-8 text 10 s later."""
    text = put(e2e, 'desktop/notes.txt',
               'Pasted in an X program after Wine has stopped: \u00e8 \u4e2d\u6587 \U0001f600.\n'.encode())
    prefix = prefix_copy(e2e, 'prefix-desktop')  # run.sh's own Wine session: one prefix each
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), '../../scripts/run.sh')
    run = subprocess.run([script, e2e.work + '/desktop/notes.txt'], env=dict(os.environ, WINEPREFIX=prefix),
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    time.sleep(10)
    got = subprocess.run(['xclip', '-o', '-selection', 'clipboard'], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=10).stdout
    shutil.rmtree(prefix, ignore_errors=True)
    no_problems((['run.sh ended with %d: %r' % (run.returncode, run.stdout[-300:])] if run.returncode else [])
                + (['xclip gave %s, expected %s' % (show(got), show(text))] if got != text else []))
