#!/usr/bin/env bash
# Seeds the registry values the back-end tests read (with `wine reg add`, as a user or an
# installer would), runs the tests and removes the values again.
#   backend_tests.sh STATE TESTS_EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=$1 exe=$2
eval "$("$here/wine_session.sh" env "$state")"
key='HKCU\Software\Vornicade\ZelkinWumpetsTest'
add() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1; }
add Text1 REG_SZ 1
add Text0 REG_SZ 0
add Dword1 REG_DWORD 1
add Dword2 REG_DWORD 2
add Dword1234 REG_DWORD 1234
status=0
wine "$exe" || status=$?
wine reg delete "$key" /f >/dev/null 2>&1 || true
exit $status
