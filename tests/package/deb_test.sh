#!/usr/bin/env bash
# The Debian package made from this build tree: its files and control fields, lintian, the
# desktop entry, the AppStream data and the man page, then the program unpacked into a
# temporary root (nothing is installed on the system) runs from there.
#   deb_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

deb=$("$src/packaging/deb/make-deb" "$build" "$tmp/out" | tail -1) || { echo "FAIL: make-deb"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "zelkin-wumpets_${version}_${arch}.deb" ] || fail "package name $(basename "$deb")"

# --- Control fields ---------------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = zelkin-wumpets ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), project version $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[[ "$(field Installed-Size)" =~ ^[0-9]+$ ]] || fail "Installed-Size: $(field Installed-Size)"
depends=$(field Depends)
# The libraries the program links, found by dpkg-shlibdeps, and what it opens at run time.
for want in 'libc6 (>= ' 'libsdl2-2.0-0' 'libsdl2-ttf-2.0-0' 'libfluidsynth3' 'libfltk1.3' 'libx11-6' \
  'timgm6mb-soundfont | sf2-soundfont-gm' 'fonts-liberation' 'fonts-wine'; do
  [[ "$depends" == *"$want"* ]] || fail "Depends lacks '$want': $depends"
done
[ -n "$(field Description)" ] || fail "no Description"

# --- File list --------------------------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{ print $1, $6, $7, $8 }' | sed 's|\./|/|' >"$tmp/list"
has() { grep -q "^$1 $2\( \|$\)" "$tmp/list" || fail "no $2 ($1) in the package"; }
has -rwxr-xr-x /usr/bin/zelkin-wumpets
# The modules the program opens when it first shows a dialog or a message, or plays a song.
for m in dialogs text music; do has -rw-r--r-- "/usr/lib/zelkin-wumpets/zelkin-wumpets-$m.so"; done
for link in xscreensaver/zelkin-wumpets xsecurelock/saver_zelkin-wumpets; do
  grep -q "^lrwxrwxrwx /usr/libexec/$link -> ../../bin/zelkin-wumpets\$" "$tmp/list" ||
    fail "no link /usr/libexec/$link -> ../../bin/zelkin-wumpets"
done
for f in d_wumpet1 d_wumpet2 d_wumpet3 d_wumpet4 d_wumpet5 d_wumpetmask d_redrose d_pinkrose \
  d_whiterose d_yellowrose d_lavalamp d_peace d_discoball d_hippie d_notes11 d_notes12 d_notes21 \
  d_notes22 d_notesmask d_back0 d_back1 d_back2 d_buffer; do
  has -rw-r--r-- "/usr/share/zelkin-wumpets/data/$f.bmp"
done
for n in 0 1 2 3 4 5; do has -rw-r--r-- "/usr/share/zelkin-wumpets/data/d_$n.Mid"; done
for n in $(seq 0 15); do has -rw-r--r-- "/usr/share/zelkin-wumpets/resources/pic$n.bmp"; done
for f in /usr/share/xscreensaver/config/zelkin-wumpets.xml /usr/share/man/man6/zelkin-wumpets.6.gz \
  /usr/share/applications/org.vornicade.ZelkinWumpets.desktop \
  /usr/share/metainfo/org.vornicade.ZelkinWumpets.metainfo.xml \
  /usr/share/doc/zelkin-wumpets/copyright /usr/share/doc/zelkin-wumpets/changelog.gz \
  /usr/share/zelkin-wumpets/site/index.html /usr/share/zelkin-wumpets/site/support.htm; do
  has -rw-r--r-- "$f"
done
for s in 16 24 32 48 64 128 256; do has -rw-r--r-- "/usr/share/icons/hicolor/${s}x$s/apps/zelkin-wumpets.png"; done
# Nothing outside /usr, nothing under /usr/local, no build-tree leftovers.
outside=$(awk '{ print $2 }' "$tmp/list" | grep -v -e '^/$' -e '^/usr/')
if [ -n "$outside" ]; then fail "files outside /usr: $outside"; fi
stray=$(grep -e ' /usr/local' -e 'CMakeFiles' -e '\.o$' "$tmp/list")
if [ -n "$stray" ]; then fail "stray files: $stray"; fi

# --- Unpacked: the program is stripped, the documents are well formed -------------------------
root=$tmp/root
dpkg-deb -x "$deb" "$root"
prog=$root/usr/bin/zelkin-wumpets
for f in "$prog" "$root"/usr/lib/zelkin-wumpets/*.so; do
  readelf -S "$f" | grep -q -e '\.debug_' -e '\.symtab' && fail "$f is not stripped"
done
zcat "$root/usr/share/doc/zelkin-wumpets/changelog.gz" | head -1 | grep -q "^zelkin-wumpets ($version) " ||
  fail "changelog's first entry is not $version"
desktop=$root/usr/share/applications/org.vornicade.ZelkinWumpets.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Name=Zelkin Wumpets Settings' "$desktop" || fail "desktop entry's name"
grep -qx 'Exec=zelkin-wumpets /c' "$desktop" || fail "desktop entry does not open the settings dialog"
grep -qx 'Icon=zelkin-wumpets' "$desktop" || fail "desktop entry's icon"
metainfo=$root/usr/share/metainfo/org.vornicade.ZelkinWumpets.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >"$tmp/appstream" 2>&1 || { cat "$tmp/appstream"; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo's release is not $version"
grep -q '<launchable type="desktop-id">org.vornicade.ZelkinWumpets.desktop</launchable>' "$metainfo" ||
  fail "metainfo does not launch the desktop entry"
file -b "$root/usr/share/icons/hicolor/48x48/apps/zelkin-wumpets.png" | grep -q 'PNG image data, 48 x 48, 8-bit/color RGBA' ||
  fail "48x48 icon: $(file -b "$root/usr/share/icons/hicolor/48x48/apps/zelkin-wumpets.png")"

# The man page renders without a warning, names the installed data folder, and documents every
# option that --help lists.
man_page=$root/usr/share/man/man6/zelkin-wumpets.6.gz
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$man_page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
LC_ALL=C MANWIDTH=250 man -E ascii -l "$man_page" 2>/dev/null | col -b >"$tmp/man.txt"
grep -q '/usr/share/zelkin-wumpets/data' "$tmp/man.txt" || fail "man page does not name /usr/share/zelkin-wumpets/data"
grep -q "Zelkin Wumpets $version" "$tmp/man.txt" || fail "man page does not carry version $version"

# --- The unpacked program runs from the temporary root ----------------------------------------
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
"$prog" --help >"$tmp/help.txt" 2>&1 || fail "--help exits $?"
grep -q '^Usage: zelkin-wumpets' "$tmp/help.txt" || fail "--help: $(head -2 "$tmp/help.txt")"
for opt in $(grep -o -- '--[a-z][a-z-]*' "$tmp/help.txt" | sort -u); do
  grep -q -- "$opt" "$tmp/man.txt" || fail "the man page does not document $opt"
done
[ "$("$root/usr/libexec/xscreensaver/zelkin-wumpets" --version)" = "Zelkin Wumpets $version" ] ||
  fail "--version through xscreensaver's link: $("$root/usr/libexec/xscreensaver/zelkin-wumpets" --version 2>&1)"
# No --data-dir: the unpacked program finds the unpacked data beside its own folder
# (../share/zelkin-wumpets/data), as an installation under any prefix does.
shot=$tmp/shot.png
if "$prog" --render="$shot" --frames=5 --size=320x240 --seed=7 --config-dir="$tmp/cfg" /s \
  >"$tmp/render.txt" 2>&1; then
  file -b "$shot" | grep -q 'PNG image data, 320 x 240' || fail "--render wrote $(file -b "$shot")"
  # The picture shows the tiled background and the figures, not one flat colour.
  colours=$(convert "$shot" -format '%k' info:)
  [ "${colours:-0}" -gt 50 ] || fail "--render picture has only ${colours:-0} colours"
  grep -q 'no complete data folder' "$tmp/render.txt" && fail "--render: $(cat "$tmp/render.txt")"
else
  fail "--render exits non-zero: $(cat "$tmp/render.txt")"
fi

# A message is drawn by the text module, found in the unpacked lib/zelkin-wumpets: the picture
# differs from the one without it.
if "$prog" --render="$tmp/message.png" --frames=5 --size=320x240 --seed=7 --config-dir="$tmp/cfg" \
  --message="Peace and love" /s >"$tmp/message.txt" 2>&1; then
  grep -q 'cannot be drawn' "$tmp/message.txt" && fail "--message: $(cat "$tmp/message.txt")"
  cmp -s "$shot" "$tmp/message.png" && fail "--message draws no message"
else
  fail "--render with a message exits non-zero: $(cat "$tmp/message.txt")"
fi

# The help page is handed to the browser by a plain path, without "bin/..".
mkdir -p "$tmp/bin"
printf '#!/bin/sh\necho "$1" > "%s/opened"\n' "$tmp" >"$tmp/bin/xdg-open"
chmod +x "$tmp/bin/xdg-open"
PATH="$tmp/bin:$PATH" "$prog" --config-dir="$tmp/cfg" /h >"$tmp/help-page.txt" 2>&1 || fail "/h exits $?"
for _ in $(seq 30); do [ -s "$tmp/opened" ] && break; sleep 0.1; done
[ "$(cat "$tmp/opened" 2>/dev/null)" = "file://$(readlink -f "$root")/usr/share/zelkin-wumpets/site/support.htm" ] ||
  fail "/h opened: $(cat "$tmp/opened" 2>/dev/null) $(cat "$tmp/help-page.txt")"

# xsecurelock runs the saver through the package's link in its folder (here the unpacked one,
# by its full path: xsecurelock takes a bare name only from the installed folder) and the saver
# draws into the lock screen.
if command -v xsecurelock >/dev/null && command -v Xvfb >/dev/null; then
  . "$src/tests/lib/xvfb.sh"
  if start_xvfb 800x600x24; then
    SDL_AUDIODRIVER=dummy XSECURELOCK_SAVER="$root/usr/libexec/xsecurelock/saver_zelkin-wumpets" \
      xsecurelock >"$tmp/xsecurelock.txt" 2>&1 &
    lock_pid=$!
    mean=0
    for _ in $(seq 40); do
      sleep 0.25
      mean=$(import -window root png:- 2>/dev/null | convert - -format '%[fx:round(255*mean)]' info: 2>/dev/null || echo 0)
      [ "${mean:-0}" -gt 20 ] && break
    done
    [ "${mean:-0}" -gt 20 ] || fail "xsecurelock with saver_zelkin-wumpets shows a black screen: $(cat "$tmp/xsecurelock.txt")"
    kill "$lock_pid" 2>/dev/null; wait "$lock_pid" 2>/dev/null
    kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null
    unset DISPLAY
  else
    fail "Xvfb did not start"
  fi
else
  fail "xsecurelock or Xvfb is missing (scripts/deps installs them)"
fi

# --- lintian: no error (warnings are listed) --------------------------------------------------
lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.txt" 2>&1
grep -v "^running with root privileges" "$tmp/lintian.txt"; echo "lintian: $(grep -c "^[EW]: " "$tmp/lintian.txt") errors and warnings"
grep -q '^E: ' "$tmp/lintian.txt" && fail "lintian reports errors"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package $(basename "$deb"): all checks passed"
