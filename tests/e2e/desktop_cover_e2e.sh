#!/usr/bin/env bash
# What a desktop shows of the saver, on private Xvfb displays:
#   1. "/s" covers the whole root window: where the monitors leave part of it out, that part is
#      black too (not the desktop's colour), and a click there ends the saver.
#   2. An always-on-top panel (tint2) stays under "/s" on every window manager we test (openbox,
#      xfwm4), with and without a compositor (picom, xfwm4's own), also one that starts while the
#      saver runs; a key still ends the saver; the dialogs keep their frames. A window manager
#      that cannot start is skipped, and said so.
#   3. The windows carry our icon and the window class the menu entry names (StartupWMClass).
#   4. With no sound server running, standard error of "/s" holds only our own lines.
#   5. The message: a tab shows as a space, and a character its font lacks is drawn from a font
#      that has it, not as a box.
# Usage: desktop_cover_e2e.sh PATH/TO/zelkin-wumpets
set -uo pipefail

PROG=$(readlink -f "$1")
SRC=$(cd "$(dirname "$0")/../.." && pwd)
TMP=$(mktemp -d /tmp/wumpets-cover-e2e.XXXXXX)
SHOTS=${WUMPETS_SHOTS:-$TMP/shots}
mkdir -p "$SHOTS" "$TMP/run" "$TMP/home" "$TMP/cfg"
chmod 700 "$TMP/run"
failures=0
XVFB_PID=""
APP_PID=""
HELPERS=()  # window managers, panels, compositors, the session bus

stop_helpers() {
  local p
  for p in "${HELPERS[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${HELPERS[@]}"; do wait "$p" 2>/dev/null; done
  HELPERS=()
}
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  stop_helpers
  [ -n "${BUS_PID:-}" ] && kill "$BUS_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  if [ -z "${WUMPETS_SHOTS:-}" ] && [ "$failures" -eq 0 ]; then rm -rf "$TMP"; fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
skip() { echo "SKIPPED: $*"; }

export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run" XDG_CONFIG_HOME="$TMP/home/.config" NO_AT_BRIDGE=1
unset PULSE_SERVER PIPEWIRE_REMOTE SDL_AUDIODRIVER
INI="$TMP/cfg/vornicade.ini"
PANEL='#13F7A9'  # a colour no scene of ours has

start() {  # start ARGS...: the program in the background, standard error in err.log
  "$PROG" --config-dir="$TMP/cfg" "$@" >"$TMP/out.log" 2>"$TMP/err.log" &
  APP_PID=$!
}
shot() { import -window root "$SHOTS/$1.png"; }
# How many pixels of an area of a screenshot have exactly the colour, or are not black.
pixels_of() { convert "$SHOTS/$1.png" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" -format "%[fx:round(mean*w*h)]" info:; }
not_black() { convert "$SHOTS/$1.png" -crop "$2" +repage -fill white +opaque black -format "%[fx:round(mean*w*h)]" info:; }
brightness() { convert "$SHOTS/$1.png" -crop "$2" -colorspace Gray -format "%[fx:round(255*mean)]" info:; }

. "$(dirname "$0")/../lib/xvfb.sh"
. "$(dirname "$0")/../lib/app.sh"

# --- 1. The part of the root no monitor shows --------------------------------------------------
start_xvfb 1440x600x24 -dpi 96 || exit 1
# 640x480 on the left, the primary 800x600 beside it: a 640x120 strip under the left one is in
# no monitor.
xrandr --setmonitor left 640/169x480/127+0+0 none >/dev/null
xrandr --setmonitor '*main' 800/211x600/158+640+0 screen >/dev/null
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || { echo "xrandr cannot split the screen"; exit 1; }
xsetroot -solid "$PANEL"
HOLE=640x120+0+480
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nspeed=60\n' >"$INI"
start --mute /s
sleep 3
shot hole
n=$(not_black hole "$HOLE")
b=$(brightness hole 800x600+640+0)
[ "${n:-1}" -eq 0 ] && [ "${b:-0}" -gt 20 ] && pass "the strip outside the monitors is black under /s, the monitors show the scene (brightness $b)" ||
  fail "outside the monitors: $n pixels not black; primary monitor brightness $b"
xdotool mousemove 300 540 click 1
if ended; then pass "a click outside the monitors ends the saver"; else fail "a click outside the monitors left the saver running"; stop; fi
sleep 0.5
shot hole-after
n=$(pixels_of hole-after "$HOLE" "$PANEL")
[ "${n:-0}" -eq 76800 ] && pass "the desktop shows again where the backdrop was" || fail "after the saver, $n of 76800 pixels show the desktop"
kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=""

# --- 2. Panels that stay on top ----------------------------------------------------------------
start_xvfb 1024x768x24 -dpi 96 || exit 1
cat >"$TMP/tint2rc" <<EOF
rounded = 0
border_width = 0
background_color = $PANEL 100
border_color = $PANEL 100
panel_items = C
time1_format =
panel_size = 100% 40
panel_margin = 0 0
panel_padding = 0 0 0
panel_background_id = 1
panel_position = bottom center horizontal
panel_layer = top
panel_dock = 0
wm_menu = 0
strut_policy = none
autohide = 0
EOF
PANEL_AREA=1024x40+0+728
# xfwm4 keeps its settings in a daemon reached over the session bus.
if command -v dbus-daemon >/dev/null; then
  dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 3>"$TMP/bus.address" 4>"$TMP/bus.pid" &&
    { export DBUS_SESSION_BUS_ADDRESS; DBUS_SESSION_BUS_ADDRESS=$(cat "$TMP/bus.address"); BUS_PID=$(cat "$TMP/bus.pid"); }
fi
panels() { xdotool search --onlyvisible --class '^tint2$' 2>/dev/null | wc -l; }
panel() {  # starts a panel; true once it is mapped
  local before
  before=$(panels)
  tint2 -c "$TMP/tint2rc" >>"$TMP/tint2.log" 2>&1 &
  HELPERS+=($!)
  for _ in $(seq 50); do [ "$(panels)" -gt "$before" ] && return 0; sleep 0.1; done
  return 1
}
panel_shows() {  # true when the panel's colour fills its area
  for _ in $(seq 20); do
    shot panel-check
    [ "$(pixels_of panel-check "$PANEL_AREA" "$PANEL")" -gt 30000 ] && return 0
    sleep 0.1
  done
  return 1
}
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nspeed=60\n' >"$INI"
for desktop in openbox "openbox picom" "xfwm4 --compositor=off" xfwm4; do
  wm=${desktop% picom}
  with_picom=""; [ "$wm" != "$desktop" ] && with_picom=1
  name="$wm${with_picom:+ with picom}"
  if ! command -v "${wm%% *}" >/dev/null || ! command -v tint2 >/dev/null || { [ -n "$with_picom" ] && ! command -v picom >/dev/null; }; then
    skip "$name: not installed (scripts/deps installs openbox, xfwm4, tint2 and picom)"
    continue
  fi
  $wm >"$TMP/wm.log" 2>&1 &
  HELPERS+=($!)
  up=""
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && { up=1; break; }; sleep 0.1; done
  if [ -z "$up" ] || ! kill -0 "${HELPERS[-1]}" 2>/dev/null; then
    skip "$name: the window manager did not start: $(tail -3 "$TMP/wm.log" | tr '\n' ' ')"
    stop_helpers
    continue
  fi
  if [ -n "$with_picom" ]; then
    picom --backend xrender >"$TMP/picom.log" 2>&1 &
    HELPERS+=($!)
    sleep 1
    kill -0 "${HELPERS[-1]}" 2>/dev/null || { skip "$name: picom did not start: $(tail -3 "$TMP/picom.log" | tr '\n' ' ')"; stop_helpers; continue; }
  fi
  if ! panel || ! panel_shows; then
    skip "$name: the panel does not show: $(tail -3 "$TMP/tint2.log" | tr '\n' ' ')"
    stop_helpers
    continue
  fi
  tag=${name// /-}
  start --mute /s
  sleep 3
  shot "panel-$tag"
  n=$(pixels_of "panel-$tag" "$PANEL_AREA" "$PANEL")
  b=$(brightness "panel-$tag" 1024x728+0+0)
  [ "${n:-1}" -eq 0 ] && [ "${b:-0}" -gt 20 ] && pass "$name: no pixel of the panel shows over /s" ||
    fail "$name: $n pixels of the panel show over /s (scene brightness $b)"
  # A panel that starts while the saver runs goes under it too.
  panel || fail "$name: the second panel never mapped"
  sleep 1
  shot "panel-late-$tag"
  n=$(pixels_of "panel-late-$tag" "$PANEL_AREA" "$PANEL")
  [ "${n:-1}" -eq 0 ] && pass "$name: a panel started during /s stays under it" ||
    fail "$name: $n pixels of a panel started during /s show over it"
  xdotool key a
  if ended; then pass "$name: a key ends the saver"; else fail "$name: a key left the saver running"; stop; fi
  stop_helpers
  sleep 0.5
done
# The dialogs stay the window manager's: a frame around them.
if command -v openbox >/dev/null; then
  openbox >"$TMP/wm.log" 2>&1 &
  HELPERS+=($!)
  sleep 1
  start /c
  D=$(window "Zelkin Wumpets Version .*")
  sleep 0.5
  frame=$( [ -n "$D" ] && xprop -id "$D" _NET_FRAME_EXTENTS 2>/dev/null)
  echo "$frame" | grep -qE '= .*[1-9]' && pass "the settings dialog has a window manager's frame ($frame)" ||
    fail "the settings dialog has no frame: '$frame'"
  stop
  stop_helpers
fi

# --- 3. Icon and window class ------------------------------------------------------------------
desktop_class=$(sed -n 's/^StartupWMClass=//p' "$SRC/packaging/org.vornicade.ZelkinWumpets.desktop")
[ -n "$desktop_class" ] && pass "the menu entry names the window class $desktop_class" || fail "the menu entry has no StartupWMClass"
identity() {  # identity WINDOW WHAT: the class the window carries matches the menu entry, an icon
  local class icon
  class=$(xprop -id "$1" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
  icon=$(xprop -id "$1" -notype _NET_WM_ICON 2>/dev/null | grep -c "Icon (")
  [ -n "$class" ] && [ "$class" = "$desktop_class" ] && [ "${icon:-0}" -gt 0 ] &&
    pass "$2: class $class, $icon icon sizes" || fail "$2: class '$class' (the menu entry says '$desktop_class'), $icon icons"
}
start --mute --window=320x200
W=$(window "Zelkin Wumpets")
[ -n "$W" ] && identity "$W" "the saver's window" || fail "no saver window"
stop
start /c
D=$(window "Zelkin Wumpets Version .*")
[ -n "$D" ] && identity "$D" "the settings dialog" || fail "no settings dialog"
stop

# --- 4. Standard error holds our lines only ----------------------------------------------------
# No sound server here (a private runtime folder without their sockets), the music on.
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\nmusicchoice0=1\n' >"$INI"
if ! ldconfig -p 2>/dev/null | grep -q libpipewire-0.3.so.0; then
  skip "PipeWire's client library is not installed: its noise cannot show here (scripts/deps installs it)"
fi
start /s
sleep 3
kill -0 "$APP_PID" 2>/dev/null && pass "the saver runs with no sound server" || fail "the saver ended: $(cat "$TMP/err.log")"
stop
foreign=$(grep -v '^zelkin-wumpets: ' "$TMP/err.log")
[ -z "$foreign" ] && pass "standard error holds only our lines ($(wc -l <"$TMP/err.log") lines)" ||
  fail "standard error holds lines not ours: $foreign"
kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=""

# --- 5. The message's characters ---------------------------------------------------------------
render() {  # render NAME MESSAGE: the message alone on a black picture
  "$PROG" --config-dir="$TMP/cfg" --render="$SHOTS/$1.png" --size=400x300 --seed=1 --background=black \
    --wumpets=off --notes=off --roses=off --lava-lamps=off --peace-signs=off --disco-ball=off --hippie=off \
    --mute --message="$2" >>"$TMP/render.log" 2>&1
}
same() { [ "$(compare -metric AE "$SHOTS/$1.png" "$SHOTS/$2.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]; }
render tab "$(printf 'Peace\tLove')"
render space "Peace Love"
same tab space && pass "a tab in the message shows as a space" || fail "a tab is drawn unlike a space (see $SHOTS/tab.png)"
# U+2713 (a check mark) is in DejaVu Sans, not in the message's font; U+0378 is in no font.
if fc-list ':charset=2713' family | grep -q .; then
  render check "Peace $(printf '\xe2\x9c\x93')"
  render nothing "Peace $(printf '\xcd\xb8')"
  ! same check nothing && pass "a character the message's font lacks comes from a font that has it" ||
    fail "the check mark is drawn as the box of a character no font has (see $SHOTS/check.png)"
else
  skip "no font has U+2713 here (scripts/deps installs fonts-dejavu-core)"
fi

[ "$failures" -eq 0 ] && echo "all desktop cover checks passed" || echo "$failures failed"
exit $((failures > 0))
