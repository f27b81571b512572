#!/usr/bin/env bash
# The offline pages each system gets from the one source (site/, rendered by
# cmake/render_site.cmake): the Linux pages speak of Linux and the Windows pages of Windows,
# neither of the other; each says where its settings file is, how the saver is chosen and, on the
# bug page, the version; the build's own site/ is the Linux rendering; a template the renderer
# cannot read fails the build rather than dropping text.
#   site_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "FAIL: no project version in $build/CMakeCache.txt"; exit 1; }
render() {  # SYSTEM OUT [SOURCE]
  cmake "-DSOURCE_DIR=${3:-$src/site}" "-DOUTPUT_DIR=$2" "-DSYSTEM=$1" "-DVERSION=$version" \
    -P "$src/cmake/render_site.cmake" >"$tmp/render.log" 2>&1
}
for system in linux windows; do
  render $system "$tmp/$system" || { echo "FAIL: rendering for $system: $(cat "$tmp/render.log")"; exit 1; }
done
pages=$(cd "$src/site" && ls)
[ "$(cd "$tmp/linux" && ls)" = "$pages" ] || fail "the Linux pages are not the source's files: $(cd "$tmp/linux" && ls | tr '\n' ' ')"
[ "$(cd "$tmp/windows" && ls)" = "$pages" ] || fail "the Windows pages are not the source's files"

# What only one system's pages may say (fixed strings, case as written).
linux_words=(Linux xscreensaver XDG_CONFIG_HOME '~/.' .config 'zelkin-wumpets ' X11 'desktop'"'"'s menu')
windows_words=(Windows .scr %APPDATA% 'C:\' HWND winver setup.exe)
# What each system's pages must say, as PAGE:TEXT: where the settings file is, how the saver is
# chosen, how it is started, and the version with the bug report.
linux_says=("support.htm:\$XDG_CONFIG_HOME" "support.htm:~/.xscreensaver" "support.htm:zelkin-wumpets /c"
  "bugs.htm:Zelkin Wumpets $version" "bugs.htm:zelkin-wumpets" "index.html:Version $version")
windows_says=("support.htm:%APPDATA%\\Vornicade\\vornicade.ini" "support.htm:Screen saver settings"
  "support.htm:ZelkinWumpets.scr /c" "support.htm:ZelkinWumpets-$version-setup.exe"
  "support.htm:ZelkinWumpets-32bit.scr" "bugs.htm:Zelkin Wumpets $version"
  "bugs.htm:ZelkinWumpets.scr --version" "index.html:Version $version")
check() {  # SYSTEM OTHER_WORDS_ARRAY SAYS_ARRAY
  local system=$1
  local -n others=$2 says=$3
  local f w
  for f in "$tmp/$system"/*.htm*; do
    for w in "${others[@]}"; do
      grep -qF -- "$w" "$f" && fail "$system $(basename "$f") speaks of the other system: '$w': $(grep -F -- "$w" "$f" | head -1)"
    done
    for w in '<!--only' '<!--end-->' '@VERSION@'; do
      grep -qF -- "$w" "$f" && fail "$system $(basename "$f") keeps the template's '$w'"
    done
  done
  for w in "${says[@]}"; do
    grep -qF -- "${w#*:}" "$tmp/$system/${w%%:*}" || fail "$system ${w%%:*} does not say '${w#*:}'"
  done
}
check linux windows_words linux_says
check windows linux_words windows_says
# The build's pages are the Linux rendering, file for file.
diff -r "$tmp/linux" "$build/site" >"$tmp/diff" 2>&1 || fail "build/site is not the Linux rendering: $(head -5 "$tmp/diff")"

# Templates the renderer must refuse: each would otherwise lose or leak a system's text.
bad=(
  "<p>a<!--only linux-->b</p>"
  "<p>a<!--only windws-->b<!--end--></p>"
  "<p>a<!--end--></p>"
  "<!--only linux--><!--only windows-->b<!--end--><!--end-->"
)
for t in "${bad[@]}"; do
  mkdir -p "$tmp/bad"
  rm -f "$tmp/bad"/*
  printf '%s\n' "$t" >"$tmp/bad/page.htm"
  render linux "$tmp/bad-out" "$tmp/bad" && fail "the renderer took a broken template: $t"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "the pages of both systems: all checks passed"
