"""End-to-end tests of KELBRANO-MENU.EXE under Wine, told it runs on Windows XP: /add from a folder
with an awkward name, the entry then run as Explorer runs it on a file with such a name, /remove
leaving the user's classes as they were, the box asked with no argument, also from another folder,
and the exit codes. The runs are made together, once, by a fixture; the tests check its results.
The session and the build: conftest.py."""
import os
import random
import re
import shutil
import subprocess
import types

import pytest

from test_kelbrano import SEED, content, no_problems, parse_fields, show, win

# A folder and a file with the characters a command line of cmd.exe treats apart, and letters
# beyond ASCII.
FOLDER = 'menu/Tools & Fun! ^(\u00fc) \u0142\u00f3d\u017a'
NAME = 'notes & more! ^(\u00e9) \u4e2d.txt'
VERB = r'Software\Classes\*\shell\KELBRANO'


def helper(e2e, steps):
    """Runs the helper on these steps; returns what it printed, one run or verb a record."""
    text = b''.join(b'\t'.join(re.sub(rb'[^ -$&-~]', lambda m: b'%%%02x' % m[0][0], f.encode())
                               for f in step) + b'\n' for step in steps)
    out = subprocess.run(['wine', e2e.helper], input=text, stdout=subprocess.PIPE, cwd=e2e.work,
                         timeout=300).stdout.decode('latin-1')
    records, dialogs, errors = [], [], []
    for line in out.splitlines():
        word, _, rest = line.strip().partition(' ')
        if word == 'error':
            errors.append(rest)
        elif word == 'dialog':
            dialogs.append(dict(parse_fields(rest), controls=[]))
        elif word == 'control':
            dialogs[-1]['controls'].append(parse_fields(rest))
        elif word in ('exit', 'verb', 'clip'):
            records.append(types.SimpleNamespace(word=word, code=rest.split()[0], dialogs=dialogs,
                                                 errors=errors))
            dialogs, errors = [], []
    return records


def classes(e2e):
    """HKEY_CURRENT_USER\\Software\\Classes as `reg export` writes it."""
    out = e2e.work + '/classes.reg'
    subprocess.run(['wine', 'reg', 'export', 'HKCU\\Software\\Classes', win(out), '/y'], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(out, 'rb') as f:
        return f.read()


def mirror(e2e, export):
    """The entry's keys of an export of the user's classes, imported under HKLM\\Software\\Classes.
    Wine's ShellExecute reads HKEY_CLASSES_ROOT from the machine's classes alone, where Windows
    lays the user's over them: the copy is there for the invocation only, and is deleted after it."""
    sections = export.decode('utf-16').split('\r\n\r\n')
    ours = [s.replace('[HKEY_CURRENT_USER\\', '[HKEY_LOCAL_MACHINE\\', 1) for s in sections
            if s.startswith('[HKEY_CURRENT_USER\\%s' % VERB)]
    path = e2e.work + '/mirror.reg'
    with open(path, 'wb') as f:
        f.write(('\ufeffWindows Registry Editor Version 5.00\r\n\r\n' + '\r\n\r\n'.join(ours) + '\r\n')
                .encode('utf-16-le'))
    subprocess.run(['wine', 'reg', 'import', win(path)], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return len(ours)


def menu_run(folder, line, actions='ok'):
    return ('run', win(folder + '/KELBRANO-MENU.EXE'), win(folder), '"%s" %s' % (
        win(folder + '/KELBRANO-MENU.EXE'), line), actions)


@pytest.fixture(scope='module')
def winxp(e2e):
    """Windows XP, as Wine tells its programs: where the entry needs *\\shell's "none"."""
    quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    xp = 'winxp64' if os.environ['KELBRANO_WINE_BITS'] == '64' else 'winxp'
    subprocess.run(['wine', 'reg', 'add', 'HKCU\\Software\\Wine', '/v', 'Version', '/d', xp, '/f'], check=True,
                   **quiet)
    yield
    subprocess.run(['wine', 'reg', 'delete', 'HKCU\\Software\\Wine', '/v', 'Version', '/f'], **quiet)


@pytest.fixture(scope='module')
def menu(e2e, winxp):
    """The menu program and KELBRANO.EXE in the awkward folder, and each run of it in turn, with
    the user's classes exported before and after."""
    folder = os.path.join(e2e.work, FOLDER)
    shutil.rmtree(os.path.dirname(folder), ignore_errors=True)
    os.makedirs(folder)
    for program in (e2e.exe, e2e.menu):
        shutil.copy(program, folder)
    data = content(random.Random('%d menu' % SEED), 700)
    with open(os.path.join(folder, NAME), 'wb') as f:
        f.write(data)
    # Windows always has the user's classes key; a new Wine prefix makes it only when something
    # is written there.
    subprocess.run(['wine', 'reg', 'add', 'HKCU\\Software\\Classes', '/f'], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    got = types.SimpleNamespace(data=data, folder=folder, before=classes(e2e))
    got.asked, got.usage, got.help = helper(e2e, [menu_run(folder, '', 'no'), menu_run(folder, '/bogus'),
                                                   menu_run(folder, '/?')])
    got.declined = classes(e2e)
    got.add, = helper(e2e, [menu_run(folder, '/add')])
    got.added = classes(e2e)
    got.add_again, = helper(e2e, [menu_run(folder, '/ADD')])
    got.added_again = classes(e2e)
    # The same programs in another folder: the box names the entry's folder, then this one.
    got.moved = os.path.join(os.path.dirname(folder), 'Moved')
    shutil.copytree(folder, got.moved)
    got.asked_moved, = helper(e2e, [menu_run(got.moved, '', 'no')])
    got.mirrored = mirror(e2e, got.added)
    try:
        got.verb, got.clip = helper(e2e, [('verb', 'KELBRANO', '*', win(os.path.join(folder, NAME))),
                                          ('save', win(e2e.work + '/menu/clip'))])
    finally:
        subprocess.run(['wine', 'reg', 'delete', 'HKLM\\' + VERB, '/f'], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    with open(e2e.work + '/menu/clip', 'rb') as f:
        got.copied = f.read()
    got.remove, got.remove_again = helper(e2e, [menu_run(folder, '/remove'), menu_run(folder, '/remove')])
    got.removed = classes(e2e)
    return got


def exited(record, code, dialogs=0):
    return record.errors + (['exit %s, expected 0x%08x' % (record.code, code)]
                            if record.code != '0x%08x' % code else []) + (
        ['%d boxes, expected %d' % (len(record.dialogs), dialogs)] if len(record.dialogs) != dialogs else [])


def test_add_writes_the_command_of_kelbrano_beside_it(menu):
    text = menu.added.decode('utf-16')
    command = '@="\\"%s\\" \\"%%1\\""' % win(menu.folder + '/KELBRANO.EXE').replace('\\', '\\\\')
    none = '[HKEY_CURRENT_USER\\Software\\Classes\\*\\shell]\r\n@="none"\r\n'
    no_problems(exited(menu.add, 0) + ([] if command in text.splitlines() and none in text else
                                       ['no %s or "none" in the export:\n%s' % (command, text)]))


def test_a_second_add_changes_nothing(menu):
    no_problems(exited(menu.add_again, 0) + ([] if menu.added_again == menu.added else
                                             ['the classes changed: %s' % show(menu.added_again)]))


def test_the_entry_run_as_explorer_runs_it_copies_the_file(menu):
    no_problems(menu.verb.errors + (['%d keys mirrored' % menu.mirrored] if menu.mirrored != 2 else []) + (
        ['verb %s, expected 0x00000000' % menu.verb.code] if menu.verb.code != '0x00000000' else []) + (
        ['clipboard %s, expected %s' % (show(menu.copied), show(menu.data + b'\0'))]
        if menu.copied != menu.data + b'\0' else []))


def test_remove_leaves_the_classes_as_they_were(menu):
    no_problems(exited(menu.remove, 0) + exited(menu.remove_again, 0) + (
        [] if menu.removed == menu.before else
        ['the classes before:\n%s\nafter:\n%s' % (menu.before.decode('utf-16'), menu.removed.decode('utf-16'))]))


def test_the_box_asks_and_no_changes_nothing(menu):
    box = menu.asked.dialogs[0] if menu.asked.dialogs else {}
    texts = b' '.join(c.get('text', b'') for c in box.get('controls', []))
    no_problems(exited(menu.asked, 0, 1) + (
        ['caption %r' % box.get('caption')] if box.get('caption') != b'KELBRANO' else []) + (
        ['the box says %r' % texts] if b'"Copy contents"' not in texts or b'Add it?' not in texts else []) + (
        ['the classes changed'] if menu.declined != menu.before else []))


def test_the_box_names_what_the_entry_runs_then_what_it_will(menu):
    box = menu.asked_moved.dialogs[0] if menu.asked_moved.dialogs else {}
    texts = b' '.join(c.get('text', b'') for c in box.get('controls', []))
    old = win(menu.folder + '/KELBRANO.EXE')
    old, new = old[:old.index('(')].encode(), win(menu.moved + '/KELBRANO.EXE').encode()
    no_problems(exited(menu.asked_moved, 0, 1) + ([] if -1 < texts.find(old) < texts.find(new) and
                                                  b'Change it?' in texts else ['the box says %r' % texts]))


def test_any_other_argument_shows_the_usage(menu):
    no_problems(exited(menu.usage, 1, 1) + exited(menu.help, 0, 1))
