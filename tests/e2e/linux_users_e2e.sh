#!/usr/bin/env bash
# The saver where Linux users run it, on a private Xvfb display split into two monitors:
#   1. "/s" covers both monitors with scenes that both move; a click on the second ends both.
#   2. A press on the message label does not end the saver; a click beside it does.
#   3. A second "/s" on the display is refused with one line on standard error.
#   4. A locker's XSCREENSAVER_WINDOW is drawn into; two such instances on one display: only
#      the first opens the audio device; --mute opens none (SDL's "disk" output writes what a
#      device would play into a file of its own).
#   5. An install moved to another prefix finds its data; a missing file is named on stderr.
# Usage: linux_users_e2e.sh PATH/TO/zelkin-wumpets BUILD_DIR
set -uo pipefail

PROG=$(readlink -f "$1")
BUILD=$(readlink -f "$2")
TMP=$(mktemp -d /tmp/wumpets-users-e2e.XXXXXX)
SHOTS=${WUMPETS_SHOTS:-$TMP/shots}
mkdir -p "$SHOTS" "$TMP/run" "$TMP/home" "$TMP/cfg"
chmod 700 "$TMP/run"
failures=0
XVFB_PID=""
PIDS=()

cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  if [ -z "${WUMPETS_SHOTS:-}" ] && [ "$failures" -eq 0 ]; then rm -rf "$TMP"; fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

. "$(dirname "$0")/../lib/xvfb.sh"
# -noreset: the monitors made below must outlive the xrandr client that makes them.
start_xvfb 1440x600x24 -noreset || exit 1
# Two monitors side by side: 800x600 and 640x480 (the strip under the second is no monitor's).
xrandr --setmonitor second 640/169x480/127+800+0 none >/dev/null
xrandr --setmonitor first 800/211x600/158+0+0 screen >/dev/null
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || { echo "xrandr cannot split the screen"; exit 1; }

export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run" XDG_CONFIG_HOME="$TMP/home/.config"
export SDL_AUDIODRIVER=dummy

start() {  # start LOG ARGS...: the program in the background; its pid in APP
  local log=$1
  shift
  "$PROG" --config-dir="$TMP/cfg" "$@" >"$log" 2>&1 &
  APP=$!
  PIDS+=("$APP")
}
ended() {  # ended PID: waits up to 5 s for it to end
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
shot() { import -window root "$SHOTS/$1.png"; }
# The mean brightness (0..255) of an area of a screenshot, and how many of its pixels changed
# between two screenshots.
brightness() { convert "$SHOTS/$1.png" -crop "$2" -colorspace Gray -format "%[fx:round(255*mean)]" info:; }
changed() { compare -metric AE "$SHOTS/$1.png[$3]" "$SHOTS/$2.png[$3]" null: 2>&1 | cut -d' ' -f1; }
FIRST=800x600+0+0
SECOND=640x480+800+0

# 1. Both monitors covered and moving; one click on the second ends the saver.
start "$TMP/saver.log" --message="Peace and love" /s
sleep 3
shot both-1
sleep 1
shot both-2
for area in $FIRST $SECOND; do
  b=$(brightness both-2 "$area")
  n=$(changed both-1 both-2 "$area")
  if [ "${b:-0}" -gt 20 ] && [ "${n:-0}" -gt 500 ]; then pass "monitor $area covered (brightness $b) and animated ($n pixels changed)"
  else fail "monitor $area: brightness ${b:-?}, ${n:-?} pixels changed"; fi
done

# 3. A second start on this display is refused, and says so.
"$PROG" --config-dir="$TMP/cfg" /s >"$TMP/second.log" 2>&1 &
second=$!
if ended "$second" && grep -q "a saver already runs on display" "$TMP/second.log"; then pass "second start refused: $(cat "$TMP/second.log")"
else fail "second start: $(cat "$TMP/second.log")"; kill "$second" 2>/dev/null; fi

# 2. The label of the first monitor (centred, its bottom 10 pixels above the bottom) takes the
#    press; a click beside it ends everything.
xdotool mousemove 400 581 click 1
sleep 1
if kill -0 "$APP" 2>/dev/null; then pass "a click on the message label does not end the saver"
else fail "the label click ended the saver"; fi
xdotool mousemove 1100 200 click 1
if ended "$APP"; then pass "one click on the second monitor ends both"
else fail "the saver still runs after a click on the second monitor"; fi
sleep 0.5
shot after
b=$(brightness after "$FIRST")
[ "${b:-99}" -lt 5 ] && pass "both windows are gone" || fail "a window stayed (brightness $b)"

# 4. Music once per display, none when muted. The first runs as xsecurelock runs its saver: no
#    arguments, the window to draw into in XSCREENSAVER_WINDOW.
export SDL_AUDIODRIVER=disk
root_id=$(xwininfo -root | awk '/Window id:/ {print $4}')
XSCREENSAVER_WINDOW=$root_id SDL_DISKAUDIOFILE="$TMP/audio-1.raw" start "$TMP/root1.log"
first_root=$APP
sleep 2
shot locker
b=$(brightness locker "$FIRST")
own=$(xdotool search --name "^Zelkin Wumpets\$" 2>/dev/null | head -1)
if kill -0 "$first_root" 2>/dev/null && [ "${b:-0}" -gt 20 ] && [ -z "$own" ]; then pass "XSCREENSAVER_WINDOW alone: the saver draws into it (brightness $b)"
else fail "XSCREENSAVER_WINDOW alone: brightness ${b:-?}, window of its own '$own', $(cat "$TMP/root1.log")"; fi
sleep 1
SDL_DISKAUDIOFILE="$TMP/audio-2.raw" start "$TMP/root2.log" -root
second_root=$APP
sleep 3
if [ -s "$TMP/audio-1.raw" ] && [ ! -e "$TMP/audio-2.raw" ] && kill -0 "$second_root" 2>/dev/null; then
  pass "two --root instances: only the first opened the audio device ($(stat -c %s "$TMP/audio-1.raw") bytes played)"
else
  fail "audio: first $(stat -c %s "$TMP/audio-1.raw" 2>/dev/null || echo none), second $(stat -c %s "$TMP/audio-2.raw" 2>/dev/null || echo none)"
fi
# Embedded instances never stand in a full-screen saver's way.
SDL_AUDIODRIVER=dummy start "$TMP/full.log" /s
full=$APP
sleep 2
if kill -0 "$full" 2>/dev/null; then pass "a full-screen saver starts while embedded ones run"
else fail "full-screen start beside embedded ones: $(cat "$TMP/full.log")"; fi
kill "$first_root" "$second_root" "$full" 2>/dev/null
ended "$first_root"; ended "$second_root"; ended "$full"

# A preview (another program's window smaller than a monitor) is silent, even when it is the
# only instance; the host here is a muted saver in a small window of its own.
SDL_DISKAUDIOFILE="$TMP/audio-host.raw" start "$TMP/host.log" --mute --window=320x200
host=$APP
host_id=""
for _ in $(seq 50); do
  host_id=$(xdotool search --name "^Zelkin Wumpets\$" 2>/dev/null | head -1)
  [ -n "$host_id" ] && break
  sleep 0.1
done
SDL_DISKAUDIOFILE="$TMP/audio-preview.raw" start "$TMP/preview.log" -window-id "$host_id"
preview=$APP
sleep 3
if [ -n "$host_id" ] && kill -0 "$preview" 2>/dev/null && [ ! -e "$TMP/audio-preview.raw" ]; then
  pass "a preview smaller than the monitors is silent"
else
  fail "preview: host '$host_id', audio $(stat -c %s "$TMP/audio-preview.raw" 2>/dev/null || echo none), $(cat "$TMP/preview.log")"
fi
kill "$preview" "$host" 2>/dev/null
ended "$preview"; ended "$host"
SDL_DISKAUDIOFILE="$TMP/audio-3.raw" start "$TMP/mute.log" --root --mute
sleep 3
if kill -0 "$APP" 2>/dev/null && [ ! -e "$TMP/audio-3.raw" ]; then pass "--mute opens no audio device"
else fail "--mute: audio file $(stat -c %s "$TMP/audio-3.raw" 2>/dev/null || echo none)"; fi
kill "$APP" 2>/dev/null
ended "$APP"
export SDL_AUDIODRIVER=dummy

# 5. An install under another prefix finds its data next to it; a missing file is named.
cmake --install "$BUILD" --prefix "$TMP/inst" >/dev/null || fail "cmake --install"
"$TMP/inst/bin/zelkin-wumpets" --config-dir="$TMP/cfg" --render="$TMP/moved.png" --size=320x240 \
  >"$TMP/moved.log" 2>&1
rc=$?
if [ "$rc" -eq 0 ] && [ -s "$TMP/moved.png" ] && ! grep -q "data folder" "$TMP/moved.log"; then
  pass "a relocated install finds its data"
else
  fail "relocated install: rc $rc, $(cat "$TMP/moved.log")"
fi
rm "$TMP/inst/share/zelkin-wumpets/data/d_hippie.bmp"
"$TMP/inst/bin/zelkin-wumpets" --config-dir="$TMP/cfg" --render="$TMP/moved2.png" --size=320x240 \
  >"$TMP/moved2.log" 2>&1
if grep -q "no complete data folder (tried .*share/zelkin-wumpets/data/.*missing d_hippie.bmp)" "$TMP/moved2.log"; then
  pass "an incomplete data folder is named: $(head -1 "$TMP/moved2.log")"
else
  fail "incomplete data folder: $(cat "$TMP/moved2.log")"
fi

echo "screenshots: $SHOTS"
[ "$failures" -eq 0 ] && echo "all passed" || echo "$failures failed"
exit $((failures > 0))
