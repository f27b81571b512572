#!/usr/bin/env bash
# The Windows installer and portable zip made from the two Windows builds (64-bit and 32-bit):
# the zip holds both programs with data\ and site\ beside them; the installer is a 32-bit program
# that carries both. Under Wine, in prefixes of the test's own:
# - a silent install puts the 64-bit .scr in the real system folder of 64-bit Windows (nothing in
#   SysWOW64), the pictures, songs and pages in the Windows folder's Vornicade\Zelkin Wumpets\
#   and an entry in the installed programs list; the installed saver shows its scene;
# - the uninstaller ends a running copy of the saver (full screen, the settings dialog, the
#   preview a host keeps running) and removes every file of ours; installing over a running copy
#   ends it and succeeds; a copy they cannot end leaves its file to the next restart, which the
#   installer and the uninstaller say (exit code 3010) and which a restart of the prefix does;
# - where this Wine runs 32-bit programs, the same in a 32-bit prefix with the 32-bit .scr. Where
#   it does not (a kernel without 32-bit support), the installer runs as a 64-bit build of the
#   same script, and the test says so.
#   windows_test.sh WIN_BUILD_DIR WIN32_BUILD_DIR HOST_BUILD_DIR SOURCE_DIR PREVIEW_HOST
set -uo pipefail
win=$1
win32=$2
host=$3
src=$4
preview_host=$5
tmp=$(mktemp -d)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=$tmp/home
mkdir -p "$HOME"
prefixes=()
cleanup() {
  # Only this test's own prefixes are ended.
  for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1; done
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
for scr in "$win/ZelkinWumpets.scr" "$win32/ZelkinWumpets.scr"; do
  [ -f "$scr" ] || { echo "FAIL: no $scr: ./scripts/test builds both Windows programs before this test runs"; exit 1; }
done
for tool in makensis zip unzip file wine wineboot wineserver Xvfb xdotool import convert \
  x86_64-w64-mingw32-objcopy x86_64-w64-mingw32-objdump i686-w64-mingw32-objcopy i686-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps installs it)"; exit 1; }
done

mapfile -t made < <("$src/packaging/windows/make-installer" "$win" "$win32" "$host" "$tmp/out")
setup=${made[0]:-}
zip=${made[1]:-}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/CMakeCache.txt")
[ "$(basename "$setup")" = "ZelkinWumpets-$version-setup.exe" ] && [ -f "$setup" ] || { echo "FAIL: no installer ($setup)"; exit 1; }
[ "$(basename "$zip")" = "ZelkinWumpets-$version-portable.zip" ] && [ -f "$zip" ] || { echo "FAIL: no zip ($zip)"; exit 1; }
# One installer for every Windows: a 32-bit program.
file "$setup" | grep -q 'PE32 executable.*Intel 80386' || fail "the installer is not a 32-bit program: $(file -b "$setup")"
datasrc=$win/data
[ -d "$datasrc" ] || datasrc=$host/data
data_files=$(ls "$datasrc")
site_files=$(ls "$win/site")
[ -n "$data_files" ] || { echo "FAIL: no data files to compare with"; exit 1; }
# The pages the packages carry are the Windows build's, which speak of Windows (tests/package/
# site_test.sh checks both systems' pages in full).
grep -qF 'ZelkinWumpets.scr /c' "$win/site/support.htm" && ! grep -qF xscreensaver "$win/site/support.htm" ||
  fail "the Windows build's support page is not the Windows one"

# --- The portable zip: both programs, data\ beside them, the pages, the licence ---------------
unzip -Z1 "$zip" | sort >"$tmp/zip.txt"
{
  echo ZelkinWumpets/
  echo ZelkinWumpets/LICENSE.txt
  echo ZelkinWumpets/ZelkinWumpets.scr
  echo ZelkinWumpets/ZelkinWumpets-32bit.scr
  echo ZelkinWumpets/data/
  for f in $data_files; do echo "ZelkinWumpets/data/$f"; done
  echo ZelkinWumpets/site/
  for f in $site_files; do echo "ZelkinWumpets/site/$f"; done
} | sort >"$tmp/zip.want"
diff -u "$tmp/zip.want" "$tmp/zip.txt" || fail "the zip's files differ from the two programs, data\\ and site\\"
unzip -q -d "$tmp/unzipped" "$zip"
for f in $site_files; do
  cmp -s "$win/site/$f" "$tmp/unzipped/ZelkinWumpets/site/$f" || fail "the zip's site\\$f is not the Windows build's page"
done
# The packages carry the built programs stripped of their debugging information: the same code
# (strip stamps the header with its own time, so the files are compared by their code).
packaged=$tmp/unzipped/ZelkinWumpets/ZelkinWumpets.scr
packaged32=$tmp/unzipped/ZelkinWumpets/ZelkinWumpets-32bit.scr
same_code() {  # TOOL_PREFIX BUILT PACKAGED
  "$1-objcopy" -O binary -j .text "$2" "$tmp/built.text"
  "$1-objcopy" -O binary -j .text "$3" "$tmp/packaged.text"
  cmp -s "$tmp/built.text" "$tmp/packaged.text"
}
same_code x86_64-w64-mingw32 "$win/ZelkinWumpets.scr" "$packaged" || fail "the zip's ZelkinWumpets.scr does not hold the 64-bit program's code"
same_code i686-w64-mingw32 "$win32/ZelkinWumpets.scr" "$packaged32" || fail "the zip's ZelkinWumpets-32bit.scr does not hold the 32-bit program's code"
file "$packaged" | grep -q 'PE32+ executable.*x86-64' || fail "ZelkinWumpets.scr is not 64-bit: $(file -b "$packaged")"
file "$packaged32" | grep -q 'PE32 executable.*Intel 80386' || fail "ZelkinWumpets-32bit.scr is not 32-bit: $(file -b "$packaged32")"
x86_64-w64-mingw32-objdump -h "$packaged" | grep -q '\.debug_' && fail "the packaged 64-bit .scr keeps debugging sections"
i686-w64-mingw32-objdump -h "$packaged32" | grep -q '\.debug_' && fail "the packaged 32-bit .scr keeps debugging sections"

# --- Under Wine ---------------------------------------------------------------------------------
# Every prefix starts on the one display of the test's own, so that its desktop process can show
# the saver.
. "$src/tests/lib/xvfb.sh"
start_xvfb 800x600x24 || { echo "FAIL: Xvfb did not start"; exit 1; }
new_prefix() {  # NAME [WINEARCH]: a fresh prefix, made the current one
  export WINEPREFIX=$tmp/$1
  prefixes+=("$WINEPREFIX")
  if [ -n "${2:-}" ]; then WINEARCH=$2 wineboot -i >"$tmp/$1.wineboot.log" 2>&1; else wineboot -i >"$tmp/$1.wineboot.log" 2>&1; fi
  timeout 120 wineserver -w
  c=$WINEPREFIX/drive_c
  sys=$c/windows/system32
  datadir="$c/windows/Vornicade/Zelkin Wumpets"
}
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkinWumpets'
regvalue() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v v="$1" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }
pending() { wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r'; }

new_prefix win64
# Whether this Wine runs 32-bit programs at all (it needs the 32-bit Wine, and a kernel that
# runs 32-bit programs).
if timeout 60 wine "$win32/ZelkinWumpets.scr" --version >"$tmp/probe32.log" 2>&1 &&
  grep -q "Zelkin Wumpets $version" "$tmp/probe32.log"; then
  wine32=yes
  run_setup=$setup
else
  wine32=no
  echo "NOTE: this Wine runs no 32-bit program ($(head -c 200 "$tmp/probe32.log" | tr '\n' ' ')): the installer"
  echo "      runs here as a 64-bit build of the same script; the 32-bit installer itself and a 32-bit"
  echo "      Windows prefix are not tried."
  mapfile -t made64 < <("$src/packaging/windows/make-installer" --target=amd64-unicode "$win" "$win32" "$host" "$tmp/out64" 2>/dev/null)
  run_setup=${made64[0]:-}
  [ -f "$run_setup" ] || { echo "FAIL: no 64-bit build of the installer"; exit 1; }
fi

install_silently() {  # sets irc to the installer's exit code
  irc=0
  wine "$run_setup" /S >"$tmp/install.log" 2>&1 || irc=$?
}
# The uninstaller as Windows runs it from the installed programs list copies itself away and
# returns at once; run from a copy with _?= it does the same work and its exit code is its
# own. (Quoted arguments would break _?=, so a batch file gives the exact command line.)
uninstall_silently() {  # sets urc to the uninstaller's exit code
  cp "$datadir/Uninstall.exe" "$c/Un.exe"
  printf '"C:\\Un.exe" /S _?=C:\\windows\\Vornicade\\Zelkin Wumpets\r\nexit /b %%ERRORLEVEL%%\r\n' >"$c/un.bat"
  urc=0
  wine cmd /c 'C:\un.bat' >"$tmp/uninstall.log" 2>&1 || urc=$?
  rm -f "$c/Un.exe" "$c/un.bat"
}
check_installed() {  # WHAT TOOL_PREFIX BUILT_SCR: the installed files and the installed programs entry
  same_code "$2" "$3" "$sys/ZelkinWumpets.scr" || fail "$1: the system folder's ZelkinWumpets.scr is not $3"
  for f in $data_files; do [ -f "$datadir/$f" ] || fail "$1: not installed: Vornicade\\Zelkin Wumpets\\$f"; done
  for f in $site_files; do cmp -s "$datadir/site/$f" "$win/site/$f" || fail "$1: not installed: Vornicade\\Zelkin Wumpets\\site\\$f"; done
  [ -f "$datadir/Uninstall.exe" ] || fail "$1: no uninstaller"
  [ -f "$datadir/LICENSE.txt" ] || fail "$1: no LICENSE.txt"
  [ "$(regvalue DisplayName)" = "Zelkin Wumpets" ] || fail "$1: installed programs entry: DisplayName '$(regvalue DisplayName)'"
  [ "$(regvalue DisplayVersion)" = "$version" ] || fail "$1: installed programs entry: DisplayVersion '$(regvalue DisplayVersion)'"
  [[ "$(regvalue UninstallString)" == *'Vornicade\Zelkin Wumpets\Uninstall.exe'* ]] ||
    fail "$1: installed programs entry: UninstallString '$(regvalue UninstallString)'"
}
check_removed() {  # WHAT: no file of ours is left, and nothing waits for a restart
  [ ! -e "$sys/ZelkinWumpets.scr" ] || fail "$1: the uninstall left the .scr"
  [ ! -e "$datadir" ] || fail "$1: the uninstall left $(ls "$datadir" | head -5 | tr '\n' ' ')"
  [ ! -e "$c/windows/Vornicade" ] || fail "$1: the uninstall left the empty Vornicade folder"
  wine reg query "$key" >/dev/null 2>&1 && fail "$1: the installed programs entry is still there"
  pending | grep -qi ZelkinWumpets && fail "$1: files of ours wait for a restart: $(pending | tail -2)"
}

# Waits for the prefix to be idle; one still busy after a minute is ended, so that a failure
# never hangs the test.
idle() { timeout 60 wineserver -w || { echo "(the prefix was still busy after a minute: ended)"; wineserver -k; }; }
# Waits up to 30 s for the Linux process PID (a Wine program) to end; 0 when it did.
ended() {
  for _ in $(seq 150); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.2
  done
  return 1
}
# The full-screen saver shows its scene (a saver without its pictures shows black).
wait_scene() {
  local colours=0
  for _ in $(seq 60); do
    sleep 0.5
    colours=$(import -window root png:- 2>/dev/null | convert png:- -format '%k' info: 2>/dev/null)
    [ "${colours:-0}" -gt 50 ] && return 0
  done
  echo "(${colours:-0} colours on screen)"
  return 1
}
wait_window() {  # NAME: a visible window of that name appears
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}
wait_line() {  # FILE TEXT
  for _ in $(seq 150); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}
saver='C:\windows\system32\ZelkinWumpets.scr'
cfg='--config-dir=C:\users\Public'

# --- A silent install, and the installed saver ----------------------------------------------------
install_silently
[ "$irc" = 0 ] || fail "the silent install exits $irc ($(tail -3 "$tmp/install.log"))"
check_installed "64-bit Windows" x86_64-w64-mingw32 "$win/ZelkinWumpets.scr"
[ ! -e "$c/windows/syswow64/ZelkinWumpets.scr" ] || fail "a ZelkinWumpets.scr went to SysWOW64"

# The installed saver, started from the system folder as Windows starts it, finds its pictures in
# the installed folder. A key ends it.
wine "$saver" /s --seed=1 "$cfg" >"$tmp/saver.log" 2>&1 &
pid=$!
wait_scene || fail "the installed saver shows no scene"
for _ in $(seq 20); do
  kill -0 "$pid" 2>/dev/null || break
  xdotool key space
  sleep 0.5
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the installed saver did not end on a key"
  kill "$pid"
fi
idle

# --- Uninstalling while the saver is in use -------------------------------------------------------
# Each copy is ended, every file goes, the uninstaller exits 0; then the saver is installed again.
in_use() {  # WHAT: after the program was started as $pid
  uninstall_silently
  [ "$urc" = 0 ] || fail "$1: the uninstaller exits $urc ($(tail -3 "$tmp/uninstall.log"))"
  ended "$pid" || { fail "$1: the running copy was not ended"; wineserver -k; }
  check_removed "$1"
  install_silently
}

wine "$saver" /s --seed=2 "$cfg" >"$tmp/saver.log" 2>&1 &
pid=$!
wait_scene || fail "the saver to uninstall under did not start"
in_use "uninstall under the running saver"

wine "$saver" /c "$cfg" >"$tmp/settings.log" 2>&1 &
pid=$!
wait_window "Zelkin Wumpets Version" || fail "the settings dialog to uninstall under did not open"
in_use "uninstall under the open settings dialog"
[ ! -e "$c/users/Public/vornicade.ini" ] || fail "closing the settings dialog saved its settings"

# The preview Windows runs in the little monitor of the screen saver settings.
wine "$preview_host" --hold "$saver" "$cfg" >"$tmp/preview.log" 2>&1 &
pid=$!
wait_line "$tmp/preview.log" ready || fail "the preview to uninstall under did not start ($(tail -2 "$tmp/preview.log"))"
in_use "uninstall under the running preview"
grep -q "the saver was ended while its host was open" "$tmp/preview.log" ||
  fail "the preview host did not see its saver end: $(tail -2 "$tmp/preview.log")"

# --- Installing over a running copy ---------------------------------------------------------------
wine "$saver" /s --seed=3 "$cfg" >"$tmp/saver.log" 2>&1 &
pid=$!
wait_scene || fail "the saver to install over did not start"
install_silently
[ "$irc" = 0 ] || fail "install over the running saver exits $irc ($(tail -3 "$tmp/install.log"))"
ended "$pid" || { fail "install over the running saver did not end it"; wineserver -k; }
check_installed "install over the running saver" x86_64-w64-mingw32 "$win/ZelkinWumpets.scr"
pending | grep -qi ZelkinWumpets && fail "install over the running saver left files to a restart"

# --- A copy the uninstaller cannot end -----------------------------------------------------------
# The installed program run under another name (a hard link to the same file, so it holds the
# installed file as a running copy does) is not found by name: the file stays until the restart,
# everything else goes, and the uninstaller says so with its exit code.
ln "$sys/ZelkinWumpets.scr" "$c/Holder.scr"
wine 'C:\Holder.scr' /c "$cfg" >"$tmp/holder.log" 2>&1 &
pid=$!
wait_window "Zelkin Wumpets Version" || fail "the holding copy did not start"
# Installing over it puts the new program beside the held one, to take its place at the restart.
install_silently
[ "$irc" = $((3010 % 256)) ] || fail "install over a copy it cannot end should exit 3010 (restart needed), not $irc"
pending | grep -qi 'system32\\ZelkinWumpets.new' || fail "install over a held file: no replacement waits for the restart: $(pending | tail -3)"
uninstall_silently
# 3010, "restart needed", as a process status of 8 bits.
[ "$urc" = $((3010 % 256)) ] || fail "with its file held, the uninstaller should exit 3010 (restart needed), not $urc"
[ -e "$sys/ZelkinWumpets.scr" ] || fail "the held file was removed (the test's holder did not hold it?)"
pending | grep -qi 'system32\\ZelkinWumpets.scr' || fail "the held file does not wait for the restart: $(pending | tail -3)"
for f in $data_files; do [ -e "$datadir/$f" ] && fail "the uninstall with a held file left $f"; done
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall with a held file left the installed programs entry"
kill "$pid" 2>/dev/null
wineserver -k
rm -f "$c/Holder.scr"
# The restart removes it.
wineboot -r >/dev/null 2>&1
idle
[ ! -e "$sys/ZelkinWumpets.scr" ] || fail "the held file is still there after the restart"
[ ! -e "$sys/ZelkinWumpets.new" ] || fail "the waiting replacement is still there after the restart"
[ ! -e "$c/windows/Vornicade" ] || fail "the Vornicade folder is still there after the restart"

# --- The last uninstall: the chosen saver is unset -------------------------------------------------
install_silently
[ "$irc" = 0 ] || fail "the install after the restart exits $irc"
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\ZelkinWumpets.scr' /f >/dev/null 2>&1
uninstall_silently
[ "$urc" = 0 ] || fail "the silent uninstall exits $urc ($(tail -3 "$tmp/uninstall.log"))"
check_removed "the silent uninstall"
wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | grep -qi ZelkinWumpets &&
  fail "the removed saver is still the chosen one"
wineserver -k

# --- 32-bit Windows ------------------------------------------------------------------------------
if [ "$wine32" = yes ]; then
  new_prefix win32 win32
  install_silently
  [ "$irc" = 0 ] || fail "32-bit Windows: the silent install exits $irc ($(tail -3 "$tmp/install.log"))"
  check_installed "32-bit Windows" i686-w64-mingw32 "$win32/ZelkinWumpets.scr"
  wine "$saver" /s --seed=1 "$cfg" >"$tmp/saver.log" 2>&1 &
  pid=$!
  wait_scene || fail "32-bit Windows: the installed saver shows no scene"
  in_use "32-bit Windows: uninstall under the running saver"
  uninstall_silently
  [ "$urc" = 0 ] || fail "32-bit Windows: the silent uninstall exits $urc"
  check_removed "32-bit Windows"
  wineserver -k
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "$(basename "$setup") and $(basename "$zip"): all checks passed"
