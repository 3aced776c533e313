#!/usr/bin/env bash
# Runs the end-to-end cases against the real program in a Wine session of
# their own, which is stopped at the end whatever happens.
#   run-e2e.sh KELBRANO.EXE e2e-helper.exe WORK-DIR
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/wine-session.sh"
trap wine_session_end EXIT
trap 'exit 130' INT TERM
wine_session_start || exit 1
python3 "$here/cases.py" "$@"
exit $?
