"""The Wine session of the end-to-end tests, the build they test and the seed of their random
files. /usr/bin/python3 -m pytest tests/e2e, once the build Wine runs here is made: "The
end-to-end suite by hand" in docs/developing.md."""
import os
import shutil
import subprocess
import sys
import time
import types

import pytest

sys.dont_write_bytecode = True
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '../..'))
SEED = int(os.environ.setdefault('E2E_SEED', str(int(time.time()))))  # the same seed, the same files
# scripts/wine-session.sh in a shell of its own, which hands over the session's environment
# and ends the session when its input closes: when pytest ends, however it ends.
SESSION = '''. "$1" && trap wine_session_end EXIT && wine_session_start >&2 || exit 1
env -0 && exec >&- && read -r _'''


def pytest_report_header():
    return 'seed %d (E2E_SEED=%d repeats this run)' % (SEED, SEED)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport():
    report = (yield).get_result()
    if report.failed:
        report.sections.append(('seed', 'E2E_SEED=%d repeats this run' % SEED))


@pytest.fixture(scope='session')
def e2e(record_testsuite_property):
    """The Wine session, and what the tests need: exe, menu, helper and a fresh work directory."""
    record_testsuite_property('E2E_SEED', SEED)
    shell = subprocess.Popen(['bash', '-c', SESSION, 'wine-session', ROOT + '/scripts/wine-session.sh'],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, start_new_session=True)
    try:
        said = shell.stdout.read()  # its environment, once the session runs
        if not said:
            pytest.exit('The Wine session did not start', 3)
        os.environ.update(os.fsdecode(kv).split('=', 1) for kv in said.split(b'\0') if kv)
        preset = 'win' + os.environ['KELBRANO_WINE_BITS']
        # The build Wine runs here, or the one CTest names.
        build = os.path.abspath(os.environ.get('KELBRANO_BUILD') or ROOT + '/build/' + preset)
        e2e = types.SimpleNamespace(exe=build + '/KELBRANO.EXE', menu=build + '/KELBRANO-MENU.EXE',
                                    helper=build + '/tests/e2e/e2e-helper.exe',
                                    plant=build + '/tests/e2e/plant.dll', work=build + '/tests/e2e/work')
        if not all(os.path.isfile(f) for f in (e2e.exe, e2e.menu, e2e.helper, e2e.plant)):
            pytest.exit('No %s, %s, %s or %s: cmake --preset %s && cmake --build --preset %s'
                        % (e2e.exe, e2e.menu, e2e.helper, e2e.plant, preset, preset), 3)
        shutil.rmtree(e2e.work, ignore_errors=True)
        os.makedirs(e2e.work)
        yield e2e
    finally:
        shell.stdin.close()
        shell.wait()
