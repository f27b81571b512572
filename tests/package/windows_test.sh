#!/usr/bin/env bash
# The Windows installer and portable zip made from a Windows build folder: the zip holds the
# .scr with data\ and site\ beside it; under Wine, in a prefix of the test's own, a silent
# install puts the .scr in the system folder, the pictures, songs and pages in the Windows
# folder's Vornicade\Zelkin Wumpets\ and an entry in the installed programs list, the installed
# saver shows its scene, and a silent uninstall removes all of them again.
#   windows_test.sh WIN_BUILD_DIR HOST_BUILD_DIR SOURCE_DIR
set -uo pipefail
win=$1
host=$2
src=$3
tmp=$(mktemp -d)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=$tmp/home
mkdir -p "$HOME"
cleanup() {
  # Only this test's own prefix is ended.
  [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
if [ ! -f "$win/ZelkinWumpets.scr" ]; then
  echo "FAIL: no $win/ZelkinWumpets.scr: ./scripts/test builds the Windows program before this test runs"
  exit 1
fi
for tool in makensis zip unzip wine wineboot wineserver Xvfb xdotool import convert x86_64-w64-mingw32-objcopy x86_64-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps installs it)"; exit 1; }
done

mapfile -t made < <("$src/packaging/windows/make-installer" "$win" "$host" "$tmp/out")
setup=${made[0]:-}
zip=${made[1]:-}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/CMakeCache.txt")
[ "$(basename "$setup")" = "ZelkinWumpets-$version-setup.exe" ] && [ -f "$setup" ] || { echo "FAIL: no installer ($setup)"; exit 1; }
[ "$(basename "$zip")" = "ZelkinWumpets-$version-portable.zip" ] && [ -f "$zip" ] || { echo "FAIL: no zip ($zip)"; exit 1; }
datasrc=$win/data
[ -d "$datasrc" ] || datasrc=$host/data
data_files=$(ls "$datasrc")
site_files=$(ls "$src/site")
[ -n "$data_files" ] || { echo "FAIL: no data files to compare with"; exit 1; }

# --- The portable zip: the .scr, data\ beside it, the licence ---------------------------------
unzip -Z1 "$zip" | sort >"$tmp/zip.txt"
{
  echo ZelkinWumpets/
  echo ZelkinWumpets/LICENSE.txt
  echo ZelkinWumpets/ZelkinWumpets.scr
  echo ZelkinWumpets/data/
  for f in $data_files; do echo "ZelkinWumpets/data/$f"; done
  echo ZelkinWumpets/site/
  for f in $site_files; do echo "ZelkinWumpets/site/$f"; done
} | sort >"$tmp/zip.want"
diff -u "$tmp/zip.want" "$tmp/zip.txt" || fail "the zip's files differ from the .scr, data\\ and site\\"
unzip -q -d "$tmp/unzipped" "$zip"
# The packages carry the built program stripped of its debugging information: the same code
# (strip stamps the header with its own time, so the files are compared by their code).
packaged=$tmp/unzipped/ZelkinWumpets/ZelkinWumpets.scr
code() { x86_64-w64-mingw32-objcopy -O binary -j .text "$1" "$2"; }
code "$win/ZelkinWumpets.scr" "$tmp/built.text"
code "$packaged" "$tmp/packaged.text"
cmp -s "$tmp/built.text" "$tmp/packaged.text" || fail "the zip's .scr does not hold the built program's code"
x86_64-w64-mingw32-objdump -h "$packaged" | grep -q '\.debug_' && fail "the packaged .scr keeps debugging sections"

# --- Silent install and uninstall under Wine ---------------------------------------------------
# The prefix starts on a display of its own, so that its desktop process can show the saver.
. "$src/tests/lib/xvfb.sh"
start_xvfb 800x600x24 || { echo "FAIL: Xvfb did not start"; exit 1; }
wineboot -i >/dev/null 2>&1
wineserver -w
c=$WINEPREFIX/drive_c
sys=$c/windows/system32
datadir="$c/windows/Vornicade/Zelkin Wumpets"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkinWumpets'
regvalue() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v v="$1" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }

wine "$setup" /S >"$tmp/install.log" 2>&1 || fail "the silent install exits $? ($(tail -3 "$tmp/install.log"))"
wineserver -w
cmp -s "$sys/ZelkinWumpets.scr" "$packaged" || fail "no ZelkinWumpets.scr in the system folder"
for f in $data_files; do [ -f "$datadir/$f" ] || fail "not installed: Vornicade\\Zelkin Wumpets\\$f"; done
for f in $site_files; do [ -f "$datadir/site/$f" ] || fail "not installed: Vornicade\\Zelkin Wumpets\\site\\$f"; done
[ -f "$datadir/Uninstall.exe" ] || fail "no uninstaller"
[ -f "$datadir/LICENSE.txt" ] || fail "no LICENSE.txt"
[ "$(regvalue DisplayName)" = "Zelkin Wumpets" ] || fail "installed programs entry: DisplayName '$(regvalue DisplayName)'"
[ "$(regvalue DisplayVersion)" = "$version" ] || fail "installed programs entry: DisplayVersion '$(regvalue DisplayVersion)'"
[[ "$(regvalue UninstallString)" == *'Vornicade\Zelkin Wumpets\Uninstall.exe'* ]] ||
  fail "installed programs entry: UninstallString '$(regvalue UninstallString)'"

# The installed saver, started from the system folder as Windows starts it, finds its pictures in
# the installed folder: the screen fills with the scene (a saver without them shows black). A
# key ends it.
wine 'C:\windows\system32\ZelkinWumpets.scr' /s --seed=1 >"$tmp/saver.log" 2>&1 &
saver=$!
colours=0
for _ in $(seq 60); do
  sleep 0.5
  colours=$(import -window root png:- 2>/dev/null | convert png:- -format '%k' info: 2>/dev/null)
  [ "${colours:-0}" -gt 50 ] && break
done
[ "${colours:-0}" -gt 50 ] || fail "the installed saver shows no scene (${colours:-0} colours on screen)"
for _ in $(seq 20); do
  kill -0 "$saver" 2>/dev/null || break
  xdotool key space
  sleep 0.5
done
if kill -0 "$saver" 2>/dev/null; then
  fail "the installed saver did not end on a key"
  kill "$saver"
fi
wineserver -w

# The saver chosen as the user's, so the uninstaller has to unset it.
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\ZelkinWumpets.scr' /f >/dev/null 2>&1
# The uninstaller copies itself away and runs from there: wait for the whole prefix to be idle.
wine "C:\\windows\\Vornicade\\Zelkin Wumpets\\Uninstall.exe" /S >"$tmp/uninstall.log" 2>&1 ||
  fail "the silent uninstall exits $? ($(tail -3 "$tmp/uninstall.log"))"
wineserver -w
[ ! -e "$sys/ZelkinWumpets.scr" ] || fail "the uninstall left the .scr"
[ ! -e "$datadir" ] || fail "the uninstall left $(ls "$datadir" | head -5 | tr '\n' ' ')"
[ ! -e "$c/windows/Vornicade" ] || fail "the uninstall left the empty Vornicade folder"
wine reg query "$key" >/dev/null 2>&1 && fail "the installed programs entry is still there"
wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | grep -qi ZelkinWumpets &&
  fail "the removed saver is still the chosen one"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "$(basename "$setup") and $(basename "$zip"): all checks passed"
