#!/usr/bin/env bash
# Exits 0 when the Wine here runs 32-bit Windows programs, as the 32-bit build's tests need;
# otherwise prints why. It needs a kernel that runs 32-bit programs and the 32-bit Wine
# (scripts/deps installs it where the kernel allows); a 32-bit prefix of its own, made and
# removed again, shows both.
set -u
src=$(cd "$(dirname "$0")/../.." && pwd)
if ! bash "$src/scripts/kernel-runs-32bit"; then
  echo "the kernel of this machine runs no 32-bit program (its 32-bit emulation is off), so no 32-bit Wine runs here"
  exit 1
fi
command -v wine >/dev/null || { echo "wine is missing (scripts/deps installs it)"; exit 1; }
tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=$tmp
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$tmp"' EXIT
if ! timeout 300 wineboot -i >"$tmp/log" 2>&1 || ! timeout 60 wine cmd /c exit 0 >>"$tmp/log" 2>&1; then
  echo "the 32-bit Wine does not run here (scripts/deps installs wine32:i386): $(tail -2 "$tmp/log" | tr '\n' ' ')"
  exit 1
fi
