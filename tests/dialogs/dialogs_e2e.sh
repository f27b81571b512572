#!/usr/bin/env bash
# The real program's dialogs on a private Xvfb display, driven with xdotool:
#   1. "/c" on a first run opens centred with the default boxes checked and the title scene;
#      clicking boxes shows their pictures; "&Apply Changes" writes the file and ends.
#   2. "Change" opens the message dialog, whose Apply saves "messagetext"; "&Cancel" ends.
#   3. A settings overflow shows the error dialog; its button opens the bug page.
# Screenshots of each go to $WUMPETS_SHOTS (default: a folder under the temporary one, kept).
# Usage: dialogs_e2e.sh PATH/TO/zelkin-wumpets
set -uo pipefail

PROG=$(readlink -f "$1")
RES=$(dirname "$PROG")/resources
TMP=$(mktemp -d /tmp/wumpets-dlg-e2e.XXXXXX)
SHOTS=${WUMPETS_SHOTS:-$TMP/shots}
mkdir -p "$SHOTS" "$TMP/run" "$TMP/home" "$TMP/cfg"
chmod 700 "$TMP/run"
failures=0
XVFB_PID=""
APP_PID=""

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  if [ -z "${WUMPETS_SHOTS:-}" ] && [ "$failures" -eq 0 ]; then rm -rf "$TMP"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

SW=1024
SH=768
. "$(dirname "$0")/../lib/xvfb.sh"
start_xvfb ${SW}x${SH}x24 || exit 1

export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run" XDG_CONFIG_HOME="$TMP/home/.config" XDG_CACHE_HOME="$TMP/home/.cache"
# Pages "opened in the browser" are written down instead, by a stand-in xdg-open first on the
# PATH: the real one would start whatever browser this machine has registered.
mkdir -p "$TMP/bin"
printf '#!/bin/sh\necho "$1" >> "%s/opened"\n' "$TMP" >"$TMP/bin/xdg-open"
chmod +x "$TMP/bin/xdg-open"
export PATH="$TMP/bin:$PATH"
INI="$TMP/cfg/vornicade.ini"

start() {  # start ARGS...: runs the program in the background
  "$PROG" --config-dir="$TMP/cfg" "$@" >"$TMP/out.log" 2>&1 &
  APP_PID=$!
}
window() {  # window NAME: waits for a visible window of that exact name, prints its id
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}
geometry() {  # geometry ID: sets WX WY WW WH
  eval "$(xdotool getwindowgeometry --shell "$1")"
  WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
}
ended() {  # ended: waits up to 5 s for the program to end
  for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || { wait "$APP_PID" 2>/dev/null; APP_PID=""; return 0; }; sleep 0.1; done
  return 1
}
shot() { import -window root "$SHOTS/$1.png"; }
click_at() {  # click_at X Y (window-relative pixels)
  xdotool mousemove $((WX + $1)) $((WY + $2)) click 1
  sleep 0.3
}
# Pixels of a control: twips of the layout / 15, relative to the window.
box_dark_pixels() {  # the check mark's dark pixels inside the 13 x 13 box of a check box at X Y
  shot probe
  convert "$SHOTS/probe.png" -crop 11x11+$((WX + $1 + 3))+$((WY + $2 + 3)) -threshold 30% -negate \
    -format "%[fx:round(mean*w*h)]" info:
}
preview_is() {  # preview_is FILE: the preview box (inside its border) shows this picture
  [ -f "$RES/$1" ] || return 0  # the pictures are not built here: nothing to compare
  shot probe
  convert "$SHOTS/probe.png" -crop 140x131+$((WX + 310))+$((WY + 24)) +repage "$TMP/preview.png"
  local diff
  diff=$(compare -metric AE "$TMP/preview.png" "$RES/$1" null: 2>&1)
  [ "${diff%% *}" -lt 50 ] 2>/dev/null
}

# Check boxes, window-relative pixels: frame origin + control origin.
PEACE=(200 28)    # peacecheck in fraOptions
BLUE=(18 28)      # wumpetcheck(1)
NOTES1=(200 106)  # notes1check
NOTES2=(200 132)  # notes2check
HIPPIE=(200 54)   # hippiecheck
OK=(290 390)      # cmdOK
CANCEL=(415 390)  # cmdCancel
CHANGE=(392 206)  # change in Frame1
# An empty box shows about 15 dark pixels of its sunken border there, a checked one about 30.
MARKED=22

# --- 1. First run ---------------------------------------------------------------------------
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -z "$W" ]; then
  fail "the settings dialog did not open"; cat "$TMP/out.log"
else
  geometry "$W"
  [ "$WW" -eq 471 ] && [ "$WH" -eq 410 ] && pass "client area 471 x 410" || fail "size ${WW}x${WH}"
  ex=$(( (SW * 15 / 2 - 7065 / 2) )); ey=$(( (SH * 15 / 2 - 6150 / 2) ))
  if [ $((WX * 15 - ex)) -le 15 ] && [ $((ex - WX * 15)) -le 15 ] && [ $((WY * 15 - ey)) -le 15 ] && [ $((ey - WY * 15)) -le 15 ]; then
    pass "centred at $WX,$WY"
  else
    fail "not centred: $WX,$WY"
  fi
  shot configuration
  blue=$(box_dark_pixels "${BLUE[@]}"); n1=$(box_dark_pixels "${NOTES1[@]}")
  peace=$(box_dark_pixels "${PEACE[@]}"); n2=$(box_dark_pixels "${NOTES2[@]}")
  if [ "$blue" -gt "$MARKED" ] && [ "$n1" -gt "$MARKED" ] && [ "$peace" -lt "$MARKED" ] && [ "$n2" -lt "$MARKED" ]; then
    pass "first-run boxes (blue dancer and notes 1 checked, peace signs and notes 2 not)"
  else
    fail "check marks blue=$blue notes1=$n1 peace=$peace notes2=$n2"
  fi
  preview_is pic0.bmp && pass "title scene shown" || fail "the preview does not show pic0.bmp"
  click_at $((PEACE[0] + 6)) $((PEACE[1] + 8))
  preview_is pic10.bmp && pass "peace signs picture after its click" || fail "no peace picture"
  [ "$(box_dark_pixels "${PEACE[@]}")" -gt "$MARKED" ] && pass "peace signs checked by the click" || fail "peace box not checked"
  click_at $((HIPPIE[0] + 6)) $((HIPPIE[1] + 8))
  preview_is pic11.bmp && pass "hippie picture after its click" || fail "no hippie picture"
  shot configuration-clicked
  click_at "${OK[@]}"
  if ended; then pass "Apply Changes ends the program"; else fail "still running after Apply Changes"; fi
  if grep -q "^peace=1$" "$INI" && grep -q "^hippie=1$" "$INI" && grep -q "^background= 0$" "$INI" &&
     grep -q "^speed=60$" "$INI" && grep -q "^firstrun=1$" "$INI" && [ "$(grep -c = "$INI")" -eq 30 ]; then
    pass "settings written (30 keys)"
  else
    fail "settings file:"; cat "$INI"
  fi
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# --- 2. The message dialog ------------------------------------------------------------------
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nmessage=1\nmessagetext=old text\nspeed=60\n' >"$INI"
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -z "$W" ]; then
  fail "the settings dialog did not open the second time"
else
  geometry "$W"
  click_at "${CHANGE[@]}"
  M=$(window "Zelkin Wumpets ScreenSaver Message")
  if [ -z "$M" ]; then
    fail "Change opened no message dialog"
  else
    pass "Change opens the message dialog"
    [ -z "$(xdotool search --onlyvisible --name '^Zelkin Wumpets Version 6.0$')" ] &&
      pass "the settings dialog is hidden meanwhile" || fail "the settings dialog is still shown"
    geometry "$M"
    [ "$WW" -eq 345 ] && [ "$WH" -eq 95 ] && pass "message dialog 345 x 95" || fail "message size ${WW}x${WH}"
    xdotool key --clearmodifiers ctrl+a BackSpace
    xdotool type --delay 20 "Peace & love, Wumpets"
    shot message
    click_at 80 76  # Apply
    W=$(window "Zelkin Wumpets Version 6.0")
    [ -n "$W" ] && pass "the settings dialog is back after Apply" || fail "no settings dialog after Apply"
    grep -q "^messagetext=Peace & love, Wumpets$" "$INI" && pass "messagetext saved" ||
      { fail "messagetext not saved:"; cat "$INI"; }
    geometry "$W"
    click_at "${CANCEL[@]}"
    ended && pass "Cancel ends the program" || fail "still running after Cancel"
    grep -q "^messagetext=Peace & love, Wumpets$" "$INI" && grep -q "^message=1$" "$INI" &&
      ! grep -q "^peace=" "$INI" && pass "Cancel wrote nothing more" || { fail "after Cancel:"; cat "$INI"; }
  fi
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# --- 3. The error dialog --------------------------------------------------------------------
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=40000\n' >"$INI"
start /c
E=$(window "Error Code: ZW- 6- Starter/X_GetData")
if [ -z "$E" ]; then
  fail "no error dialog"; cat "$TMP/out.log"
else
  pass "error dialog titled with the code"
  geometry "$E"
  [ "$WW" -eq 430 ] && [ "$WH" -eq 105 ] && pass "error dialog 430 x 105" || fail "error size ${WW}x${WH}"
  [ $((WX - (SW - 430) / 2)) -le 1 ] && [ $(((SW - 430) / 2 - WX)) -le 1 ] && pass "error dialog centred" ||
    fail "error dialog at $WX,$WY"
  grep -q "Error Code: ZW- 6- Starter/X_GetData" "$TMP/out.log" && pass "code on standard error" ||
    fail "no code on standard error"
  shot error
  click_at 215 85  # Report This Bug Now
  for _ in $(seq 30); do [ -s "$TMP/opened" ] && break; sleep 0.1; done
  grep -q "/bugs.htm$" "$TMP/opened" 2>/dev/null && pass "the bug page was opened: $(cat "$TMP/opened")" ||
    fail "no bug page opened"
  kill -0 "$APP_PID" 2>/dev/null && pass "the program lives on while the error dialog is open" ||
    fail "the program ended"
fi

[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# --- 4. Web pages: opened through xdg-open, or named where nothing can open them ------------
rm -f "$TMP/opened"
for mode in /h /w; do
  page=support.htm
  [ "$mode" = /w ] && page=index.html
  start "$mode"
  ended && pass "$mode ends at once" || fail "$mode still running"
  for _ in $(seq 30); do grep -q "/$page$" "$TMP/opened" 2>/dev/null && break; sleep 0.1; done
  grep -q "^file://.*/site/$page$" "$TMP/opened" 2>/dev/null && pass "$mode opened $page" ||
    fail "$mode opened: $(cat "$TMP/opened" 2>/dev/null)"
done
env PATH=/nonexistent "$PROG" --config-dir="$TMP/cfg" /h >"$TMP/out.log" 2>&1
grep -q "the page is file://.*/site/support.htm" "$TMP/out.log" && pass "without xdg-open the page is named" ||
  { fail "without xdg-open:"; cat "$TMP/out.log"; }
[ -z "$(xdotool search --onlyvisible --name 'Zelkin' 2>/dev/null)" ] && pass "no window in the web-page modes" ||
  fail "a window is left open"

echo "screenshots: $SHOTS"
[ "$failures" -eq 0 ]
