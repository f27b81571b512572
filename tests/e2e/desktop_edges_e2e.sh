#!/usr/bin/env bash
# Where the program meets the rest of the desktop, on a private Xvfb display whose primary
# monitor is not at the screen's corner:
#   1. "/c" opens centred on the primary monitor, wherever that monitor lies.
#   2. "/c" with options for one run shows and saves the file's values, and says it ignored them.
#   3. "Report This Bug Now" with an xdg-open that waits for the browser: closing the error
#      dialog ends the saver and everything it showed; the opener holds none of our descriptors,
#      and the next "/s" is not refused.
#   4. Music once per display: a saver in a window of its own (--window) beside a full-screen
#      one stays silent (SDL's "disk" output writes what a device would play into a file).
#   5. A display whose heads come from Xinerama (a Xephyr inside the Xvfb; RandR sees one
#      monitor there): "/s" covers every head with a moving scene.
#   6. Failures end with a failing status: "/c" with no display; "/s" whose song cannot be
#      played (named on standard error). "--mute" needs no song. An incomplete data folder
#      beside the program that is passed over is named.
#   7. A read-only settings file: "Apply Changes" says in a message box that it could not save
#      and where; the settings dialog stays.
# Usage: desktop_edges_e2e.sh PATH/TO/zelkin-wumpets
set -uo pipefail

PROG=$(readlink -f "$1")
TMP=$(mktemp -d /tmp/wumpets-edges-e2e.XXXXXX)
SHOTS=${WUMPETS_SHOTS:-$TMP/shots}
mkdir -p "$SHOTS" "$TMP/run" "$TMP/home" "$TMP/cfg" "$TMP/bin"
chmod 700 "$TMP/run"
failures=0
XVFB_PID=""
APP_PID=""

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -f "$TMP/opener.pid" ] && kill "$(cat "$TMP/opener.pid")" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  if [ -z "${WUMPETS_SHOTS:-}" ] && [ "$failures" -eq 0 ]; then rm -rf "$TMP"; fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

. "$(dirname "$0")/../lib/xvfb.sh"
. "$(dirname "$0")/../lib/app.sh"
start_xvfb 1440x600x24 -dpi 96 || exit 1
# A 640x480 monitor on the left and the primary one, 800x600, to its right at x=640.
xrandr --setmonitor left 640/169x480/127+0+0 none >/dev/null
xrandr --setmonitor '*main' 800/211x600/158+640+0 screen >/dev/null
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || { echo "xrandr cannot split the screen"; exit 1; }

export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run" XDG_CONFIG_HOME="$TMP/home/.config" SDL_AUDIODRIVER=dummy
# An xdg-open that, like one waiting for the browser, stays until it is ended; it writes down the
# page and the descriptors its parent (the shell that started it) holds.
cat >"$TMP/bin/xdg-open" <<STANDIN
#!/bin/sh
echo \$\$ > "$TMP/opener.pid"
ls /proc/\$PPID/fd | sort -n | tr '\n' ' ' > "$TMP/opener.fds"
echo "\$1" >> "$TMP/opened"
sleep 60
STANDIN
chmod +x "$TMP/bin/xdg-open"
export PATH="$TMP/bin:$PATH"
INI="$TMP/cfg/vornicade.ini"

start() {  # start ARGS...: the program in the background
  "$PROG" --config-dir="$TMP/cfg" "$@" >"$TMP/out.log" 2>&1 &
  APP_PID=$!
}

# --- 1 and 2. The settings dialog on the primary monitor; options for one run ignored --------
start /c --speed=30 --message="One run"
D=$(window "Zelkin Wumpets Version .*")
if [ -z "$D" ]; then
  fail "no settings dialog"; cat "$TMP/out.log"
else
  eval "$(xdotool getwindowgeometry --shell "$D")"
  import -window root "$SHOTS/settings.png"
  cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))
  [ $((cx - 1040)) -le 1 ] && [ $((1040 - cx)) -le 1 ] && [ $((cy - 300)) -le 1 ] && [ $((300 - cy)) -le 1 ] &&
    pass "settings dialog centred on the primary monitor (centre $cx,$cy)" ||
    fail "settings dialog centred at $cx,$cy; the primary monitor's centre is 1040,300"
  xdotool key --window "$D" Return  # the focus starts on "&Apply Changes"
  if ended; then
    grep -q "^speed=60$" "$INI" && grep -q "^message=0$" "$INI" && ! grep -q "One run" "$INI" &&
      pass "Apply saved the file's values, not the options for one run" || { fail "Apply saved:"; cat "$INI"; }
  else
    fail "Enter did not apply"
  fi
  grep -q "options for one run are ignored (speed, messagetext, message)" "$TMP/out.log" &&
    pass "the ignored options are named on standard error" || { fail "no word of the ignored options:"; cat "$TMP/out.log"; }
fi
stop

# --- 3. The bug page opened through an xdg-open that waits ---------------------------------
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=40000\n' >"$INI"
start /s
E=$(window "Error Code: ZW- 6- Starter/X_GetData")
if [ -z "$E" ]; then
  fail "no error dialog"; cat "$TMP/out.log"
else
  sleep 1
  n=$(xdotool search --onlyvisible --name "^Error Code" 2>/dev/null | wc -l)
  [ "$n" -eq 1 ] && [ "$(grep -c "Error Code: ZW- 6- Starter/X_GetData" "$TMP/out.log")" -eq 1 ] &&
    pass "two monitors, one error: one dialog and one line on standard error" ||
    fail "two monitors, one error: $n dialogs; $(cat "$TMP/out.log")"
  xdotool windowraise "$E"
  eval "$(xdotool getwindowgeometry --shell "$E")"
  xdotool mousemove $((X + 215)) $((Y + 85)) click 1  # Report This Bug Now
  for _ in $(seq 50); do [ -s "$TMP/opener.fds" ] && break; sleep 0.1; done
  grep -q "/bugs.htm$" "$TMP/opened" 2>/dev/null && pass "the bug page was handed to xdg-open" || fail "no bug page opened"
  [ "$(cat "$TMP/opener.fds" 2>/dev/null)" = "0 1 2 " ] && pass "the opener holds only the standard descriptors" ||
    fail "the opener's shell holds descriptors: $(cat "$TMP/opener.fds" 2>/dev/null)"
  xdotool key --window "$E" Escape 2>/dev/null
  if ended; then pass "closing the error dialog ends the saver while xdg-open still waits"
  else fail "the saver still runs after its error dialog was closed"; fi
  sleep 0.5
  [ -z "$(xdotool search --onlyvisible --name 'Zelkin Wumpets|Error Code' 2>/dev/null)" ] &&
    pass "no window of the saver is left on the screen" || fail "a window of the saver is left on the screen"
  import -window root "$SHOTS/after-error.png"
  kill -0 "$(cat "$TMP/opener.pid" 2>/dev/null)" 2>/dev/null && pass "xdg-open lives on without us" ||
    fail "xdg-open did not outlive the saver"
  printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\n' >"$INI"
  start /s
  sleep 2
  if kill -0 "$APP_PID" 2>/dev/null && ! grep -q "already runs" "$TMP/out.log"; then pass "the next /s starts"
  else fail "the next /s was refused: $(cat "$TMP/out.log")"; fi
  stop
fi

# --- 4. Music once per display, also beside a window ---------------------------------------
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\nmusicchoice0=1\n' >"$INI"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$TMP/audio-saver.raw" start /s
saver=$APP_PID
sleep 2
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$TMP/audio-window.raw" start --window=320x200
sleep 3
if [ -s "$TMP/audio-saver.raw" ] && [ ! -e "$TMP/audio-window.raw" ] && kill -0 "$APP_PID" 2>/dev/null; then
  pass "beside a playing saver a --window copy runs silent"
else
  fail "audio: saver $(stat -c %s "$TMP/audio-saver.raw" 2>/dev/null || echo none), window $(stat -c %s "$TMP/audio-window.raw" 2>/dev/null || echo none)"
fi
stop
APP_PID=$saver
stop

# --- 5. Heads from Xinerama -------------------------------------------------------------------
if command -v Xephyr >/dev/null; then
  XEPHYR_DISPLAY=""
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xephyr ":$n" -screen 640x480 -screen 800x600 +xinerama -nolisten tcp -noreset >"$TMP/xephyr.log" 2>&1 &
    XEPHYR_PID=$!
    for _ in $(seq 50); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && { XEPHYR_DISPLAY=":$n"; break; }; sleep 0.1; done
    [ -n "$XEPHYR_DISPLAY" ] && break
    kill "$XEPHYR_PID" 2>/dev/null; wait "$XEPHYR_PID" 2>/dev/null
  done
  if [ -z "$XEPHYR_DISPLAY" ]; then
    fail "Xephyr did not start: $(cat "$TMP/xephyr.log")"
  else
    printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nwumpet3=1\nwumpet4=1\nwumpet5=1\nspeed=60\n' >"$INI"
    DISPLAY=$XEPHYR_DISPLAY start /s
    sleep 3
    DISPLAY=$XEPHYR_DISPLAY import -window root "$SHOTS/xinerama-1.png"
    sleep 1
    DISPLAY=$XEPHYR_DISPLAY import -window root "$SHOTS/xinerama-2.png"
    for head in 640x480+0+0 800x600+640+0; do
      b=$(convert "$SHOTS/xinerama-2.png" -crop "$head" -colorspace Gray -format "%[fx:round(255*mean)]" info:)
      n=$(compare -metric AE "$SHOTS/xinerama-1.png[$head]" "$SHOTS/xinerama-2.png[$head]" null: 2>&1 | cut -d' ' -f1)
      [ "${b:-0}" -gt 20 ] && [ "${n:-0}" -gt 500 ] && pass "Xinerama head $head covered (brightness $b) and animated ($n pixels changed)" ||
        fail "Xinerama head $head: brightness ${b:-?}, ${n:-?} pixels changed"
    done
    stop
    kill "$XEPHYR_PID" 2>/dev/null; wait "$XEPHYR_PID" 2>/dev/null
  fi
else
  fail "Xephyr is missing (scripts/deps installs it)"
fi

# --- 6. Failures say so in the exit status ----------------------------------------------------
env -u DISPLAY -u WAYLAND_DISPLAY "$PROG" --config-dir="$TMP/cfg" /c >"$TMP/nodisplay.log" 2>&1
status=$?
[ "$status" -ne 0 ] && pass "/c with no display ends with status $status" || fail "/c with no display ends with 0"
mkdir -p "$TMP/data"
cp -r "$(dirname "$PROG")/data/." "$TMP/data/"
rm -f "$TMP/data/d_0.Mid"
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\nmusicchoice0=1\n' >"$INI"
SDL_AUDIODRIVER=dummy timeout 20 "$PROG" --config-dir="$TMP/cfg" --data-dir="$TMP/data" /s >"$TMP/nosong.log" 2>&1
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] && grep -q "d_0.Mid cannot be played" "$TMP/nosong.log" &&
  pass "a song that cannot be played ends the saver with status $status: $(cat "$TMP/nosong.log")" ||
  fail "missing song: status $status, $(cat "$TMP/nosong.log")"
SDL_AUDIODRIVER=dummy start --data-dir="$TMP/data" --mute /s
sleep 2
kill -0 "$APP_PID" 2>/dev/null && pass "--mute runs without the song" || fail "--mute ended: $(cat "$TMP/out.log")"
stop
mkdir -p "$TMP/moved/bin/data" "$TMP/moved/share/zelkin-wumpets"
cp "$PROG" "$TMP/moved/bin/"
cp -r "$TMP/data" "$TMP/moved/share/zelkin-wumpets/data"
cp "$(dirname "$PROG")/data/d_0.Mid" "$TMP/moved/share/zelkin-wumpets/data/"
cp "$(dirname "$PROG")/data/d_buffer.bmp" "$TMP/moved/bin/data/"
"$TMP/moved/bin/zelkin-wumpets" --config-dir="$TMP/cfg" --render="$TMP/moved.png" --size=320x240 >"$TMP/moved.log" 2>&1
grep -q "moved/bin/data/ is missing d_0.Mid; the pictures and songs come from .*moved/bin/../share/zelkin-wumpets/data/" \
  "$TMP/moved.log" && pass "the passed-over data folder is named: $(cat "$TMP/moved.log")" ||
  fail "passed-over data folder: $(cat "$TMP/moved.log")"

# --- 7. A save that fails is said aloud ---------------------------------------------------------
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\n' >"$INI"
chmod 444 "$INI"
before=$(cat "$INI")
start /c
D=$(window "Zelkin Wumpets Version .*")
if [ -z "$D" ]; then
  fail "no settings dialog"
else
  xdotool key --window "$D" Return  # "&Apply Changes"
  B=$(window "Zelkin Wumpets")
  if [ -n "$B" ]; then
    sleep 0.5
    import -window root "$SHOTS/unsaved.png"
    pass "a message box came up: $(xdotool getwindowname "$B")"
    xdotool key --window "$B" Return
    sleep 0.5
    [ -n "$(xdotool search --onlyvisible --name "^Zelkin Wumpets Version" 2>/dev/null)" ] && kill -0 "$APP_PID" 2>/dev/null &&
      pass "the settings dialog stays after the failed save" || fail "the settings dialog is gone after the failed save"
  else
    fail "no message box after a failed save"
  fi
  [ "$(cat "$INI")" = "$before" ] && [ "$(ls -A "$TMP/cfg" | grep -v '\.lock$')" = "vornicade.ini" ] &&
    pass "the file is as it was, nothing left beside it" ||
    fail "after the failed save: $(ls -A "$TMP/cfg")"
fi
stop
chmod 644 "$INI"

[ "$failures" -eq 0 ] && echo "all desktop edge checks passed" || echo "$failures failed"
exit $((failures > 0))
