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
# A Windows directory that takes no new file, with a settings file that may be written: a
# read-only folder (root, whom modes do not stop, makes it immutable instead).
locked="$HOME/locked-windows"
unlock() { chattr -i "$locked" 2>/dev/null || true; chmod 755 "$locked" 2>/dev/null || true; rm -rf "$locked"; }
unlock
mkdir -p "$locked"
printf '[Zelkin Wumpets]\r\nfirstrun=1\r\nspeed=33\r\n' >"$locked/vornicade.ini"
if [ "$(id -u)" = 0 ]; then chattr +i "$locked"; else chmod 555 "$locked"; fi
export WUMPETS_TEST_LOCKED_WINDIR="Z:${locked//\//\\}"
status=0
wine "$exe" || status=$?
unlock
wine reg delete "$key" /f >/dev/null 2>&1 || true
exit $status
