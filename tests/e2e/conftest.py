"""The Wine session of the end-to-end tests, the builds they run and the seed of their
random files. From a checkout, once the build Wine runs here is built (README, Building
by hand): python3 -m pytest tests/e2e"""
import os
import shutil
import subprocess
import sys
import time
import types

import pytest

sys.dont_write_bytecode = True
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '../..'))
# The files are random; the same E2E_SEED makes the same files again.
SEED = int(os.environ.setdefault('E2E_SEED', str(int(time.time()))))
# scripts/wine-session.sh in a shell of its own, which hands over the session's environment
# and ends the session when its input closes: when pytest ends, however it ends.
SESSION = '''. "$1" && trap wine_session_end EXIT && wine_session_start >&2 || exit 1
env -0 && exec >&- && read -r _'''


def pytest_addoption(parser):
    for name, what in [('kelbrano', 'KELBRANO.EXE'), ('helper', 'e2e-helper.exe'),
                       ('work', 'the working directory')]:
        parser.addoption('--' + name, help=what + ' (default: in the build Wine runs here)')


def pytest_report_header():
    return 'seed %d (E2E_SEED=%d repeats this run)' % (SEED, SEED)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport():
    report = (yield).get_result()
    if report.failed:
        report.sections.append(('seed', 'E2E_SEED=%d repeats this run' % SEED))


@pytest.fixture(scope='session')
def e2e(request, record_testsuite_property):
    """Starts the Wine session, with a fresh working directory; gives the paths the tests
    need: exe, helper and work."""
    record_testsuite_property('E2E_SEED', SEED)
    shell = subprocess.Popen(['bash', '-c', SESSION, 'wine-session', ROOT + '/scripts/wine-session.sh'],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, start_new_session=True)
    try:
        said = shell.stdout.read()  # the environment, once the session runs
        if not said:
            pytest.exit('The Wine session did not start', 3)
        os.environ.update(os.fsdecode(kv).split('=', 1) for kv in said.split(b'\0') if kv)
        build = '%s/build/win%s' % (ROOT, os.environ['KELBRANO_WINE_BITS'])
        option = request.config.getoption
        paths = types.SimpleNamespace(
            exe=os.path.abspath(option('kelbrano') or build + '/KELBRANO.EXE'),
            helper=os.path.abspath(option('helper') or build + '/tests/e2e/e2e-helper.exe'),
            work=os.path.abspath(option('work') or build + '/tests/e2e/work'))
        if not (os.path.isfile(paths.exe) and os.path.isfile(paths.helper)):
            preset = os.path.basename(build)
            pytest.exit('%s or %s is missing: cmake --preset %s && cmake --build --preset %s'
                        % (paths.exe, paths.helper, preset, preset), 3)
        shutil.rmtree(paths.work, ignore_errors=True)
        os.makedirs(paths.work + '/sub')
        yield paths
    finally:
        shell.stdin.close()
        shell.wait()
