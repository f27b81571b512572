#!/usr/bin/env bash
# The real program's dialogs on a private Xvfb display, driven with xdotool:
#   1. "/c" on a first run opens centred with the default boxes checked and the title scene;
#      clicking boxes shows their pictures; "&Apply Changes" writes the file and ends.
#   2. "Change" opens the message dialog, whose Apply saves "messagetext"; "&Cancel" ends.
#   3. A settings overflow shows the error dialog; its button opens the bug page.
#   4. "/h" and "/w" open their pages.
#   5. The keyboard: Tab and Shift+Tab through the whole settings dialog in its tab order (the
#      background options one stop), the speed bar moved with its keys and saved, Enter on a
#      focused button, a background chosen with the arrows, Escape.
#   6. An error in saver mode: the error dialog stays in sight over the saver's window.
#   7. The note of "/a" is centred.
#   8. At 192 dpi (the screen's size) and at 144 (Xft.dpi) the dialog grows to match.
#   9. Under a window manager that reports a frame, the outer window is what is centred.
# Screenshots of each go to $WUMPETS_SHOTS (default: a folder under the temporary one, kept).
# Usage: dialogs_e2e.sh PATH/TO/zelkin-wumpets [PATH/TO/wumpets-frame-wm]
set -uo pipefail

PROG=$(readlink -f "$1")
FRAME_WM=${2:+$(readlink -f "$2")}
RES=$(dirname "$PROG")/resources
TMP=$(mktemp -d /tmp/wumpets-dlg-e2e.XXXXXX)
SHOTS=${WUMPETS_SHOTS:-$TMP/shots}
mkdir -p "$SHOTS" "$TMP/run" "$TMP/home" "$TMP/cfg"
chmod 700 "$TMP/run"
failures=0
XVFB_PID=""
APP_PID=""
WM_PID=""

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
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
. "$(dirname "$0")/../lib/app.sh"
start_xvfb ${SW}x${SH}x24 -dpi 96 || exit 1

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
geometry() {  # geometry ID: sets WX WY WW WH
  eval "$(xdotool getwindowgeometry --shell "$1")"
  WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
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

# --- 5. The keyboard ------------------------------------------------------------------------
# One Tab order across the whole settings dialog, by the tab numbers of its layout: OK 0,
# Cancel 1, Solid Black 3, trails 5, conga 6, the preview 8, the speed bar 10, Human Skulls 15,
# the message 16, Change 17, Aztec Skeleton 18, Flower Power 19, semi-transparent 20, overlap 21,
# the songs 22..27, the dancers 1, 3, 2, 4 (30..33), the colour changers 34, dancer 5 (35), then
# the objects 36..45. Frames and labels take no focus; "Change" is disabled on a first run. The
# four background options are one group and one stop: the selected one ("Human Skulls" here).
TAB_ORDER=(cmdOK cmdCancel "backcheck(3)" trailcheck congacheck preview speedchk "backcheck(0)" messagecheck
  change "backcheck(1)" "backcheck(2)" transcheck overlapcheck "musicchk(0)" "musicchk(1)" "musicchk(2)"
  "musicchk(3)" "musicchk(4)" "musicchk(5)" "wumpetcheck(1)" "wumpetcheck(3)" "wumpetcheck(2)"
  "wumpetcheck(4)" colorcheck "wumpetcheck(5)" peacecheck notes1check discoballcheck redrosecheck
  pinkrosecheck yellowrosecheck whiterosecheck hippiecheck lavalampcheck notes2check)
focus_log() { grep '^focus: ' "$TMP/out.log" | sed 's/^focus: //' | tr '\n' ' '; }
keys() { for k in "$@"; do xdotool key --clearmodifiers "$k"; done; sleep 0.3; }
# There is no window manager here: the keyboard focus is given to a dialog as a manager would.
focus_window() { xdotool windowfocus --sync "$1" 2>/dev/null; sleep 0.2; }

rm -f "$INI"
export WUMPETS_TRACE_FOCUS=1
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -z "$W" ]; then
  fail "the settings dialog did not open for the keyboard"
else
  reachable=()
  for c in "${TAB_ORDER[@]}"; do
    case "$c" in change | "backcheck(1)" | "backcheck(2)" | "backcheck(3)") ;; *) reachable+=("$c") ;; esac
  done
  n=${#reachable[@]}
  expected="cmdOK"
  for ((i = 1; i < n; i++)); do expected+=" ${reachable[$i]}"; done
  expected+=" cmdOK"
  for ((i = n - 1; i >= 0; i--)); do expected+=" ${reachable[$i]}"; done
  focus_window "$W"
  for ((i = 0; i < n; i++)); do xdotool key Tab; done
  for ((i = 0; i < n; i++)); do xdotool key shift+Tab; done
  sleep 0.5
  got=$(focus_log)
  [ "$got" = "$expected " ] && pass "Tab and Shift+Tab follow the tab order across the frames ($n stops)" ||
    { fail "focus order"; echo "  expected: $expected"; echo "  got:      $got"; }
  # The speed bar: Home and End, the arrows and the page keys (one step each, as laid out).
  keys Tab Tab Tab Tab Tab
  [ "$(focus_log | awk '{print $NF}')" = speedchk ] && pass "the speed bar takes the focus in its place" ||
    fail "focus after five Tabs: $(focus_log | awk '{print $NF}')"
  shot speed-focus
  keys End Home Right Right Right Right Left Page_Down Page_Up Page_Down
  shot speed-moved
  keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
  [ "$(focus_log | awk '{print $NF}')" = cmdOK ] || fail "focus did not come back to Apply Changes"
  # Shift+Tab from the first stop wraps to the last; the space bar checks it.
  keys shift+Tab space Tab
  keys Return
  ended && pass "Enter on the focused Apply Changes applies and ends" || fail "still running after Enter on Apply"
  grep -q "^speed=136$" "$INI" 2>/dev/null && pass "the speed set with the keys is saved (position 4: speed=136)" ||
    { fail "speed after the keys:"; grep speed "$INI"; }
  grep -q "^notes2=1$" "$INI" 2>/dev/null && pass "the space bar checked the box reached by Shift+Tab" ||
    { fail "notes2 after the space bar:"; grep notes2 "$INI"; }
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# A background from the keyboard alone: Tab to the selected option, the arrows choose, Enter
# presses "&Apply Changes" from wherever the focus is.
rm -f "$INI"
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -n "$W" ]; then
  focus_window "$W"
  keys Tab Tab Tab Tab Tab Tab Down Down
  [ "$(focus_log | awk '{print $NF}')" = "backcheck(2)" ] && pass "the arrows move to Flower Power" ||
    fail "focus after Tabs and arrows: $(focus_log | awk '{print $NF}')"
  shot keys-flower-power
  keys Return
  ended && pass "Enter on an option applies and ends" || fail "still running after Enter on an option"
  grep -q "^background= 2$" "$INI" 2>/dev/null && pass "Flower Power chosen with the keys is saved" ||
    { fail "background after the keys:"; grep background "$INI"; }
else
  fail "no settings dialog for the background keys"
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# Escape on a first run: the program ends and no settings file is made.
rm -f "$INI"
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -n "$W" ]; then
  focus_window "$W"
  keys Tab Tab Tab Tab Tab Tab Down Down space Escape
  ended && pass "Escape after choices ends" || fail "still running after Escape"
  [ ! -e "$INI" ] && pass "Escape made no settings file" || { fail "a settings file after Escape:"; cat "$INI"; }
else
  fail "no settings dialog for Escape"
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# Escape: the close box of every dialog. In the message dialog it is Cancel (back to the
# settings, nothing written); in the settings dialog it ends the program without writing.
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nmessage=1\nmessagetext=kept\nspeed=60\n' >"$INI"
before=$(cat "$INI")
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -n "$W" ]; then
  geometry "$W"
  click_at "${CHANGE[@]}"
  M=$(window "Zelkin Wumpets ScreenSaver Message")
  [ -n "$M" ] && focus_window "$M" && xdotool type --delay 20 " and lost"
  keys Escape
  W=$(window "Zelkin Wumpets Version 6.0")
  [ -n "$W" ] && focus_window "$W"
  [ -n "$W" ] && [ -z "$(xdotool search --onlyvisible --name '^Zelkin Wumpets ScreenSaver Message$')" ] &&
    pass "Escape closes the message dialog like Cancel" || fail "Escape in the message dialog"
  keys Escape
  ended && pass "Escape closes the settings dialog and ends" || fail "still running after Escape"
  [ "$(cat "$INI")" = "$before" ] && pass "Escape wrote nothing" || { fail "after Escape:"; cat "$INI"; }
else
  fail "no settings dialog for Escape"
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }
unset WUMPETS_TRACE_FOCUS

# --- 6. The error dialog over the saver ------------------------------------------------------
# The error comes while the settings load, before the saver's window exists; that window then
# covers the screen, and the error dialog must stay in sight above it. Enter on its focused
# button opens the bug page.
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=40000\n' >"$INI"
rm -f "$TMP/opened"
start /s
E=$(window "Error Code: ZW- 6- Starter/X_GetData")
if [ -z "$E" ]; then
  fail "no error dialog in saver mode"; cat "$TMP/out.log"
else
  sleep 2  # the saver's window is up and drawing by now
  geometry "$E"
  shot error-over-saver
  grey=$(convert "$SHOTS/error-over-saver.png" -crop 60x20+$((WX + 10))+$((WY + 80)) -format "%[fx:round(mean*255)]" info:)
  black=$(convert "$SHOTS/error-over-saver.png" -crop 60x20+10+10 -format "%[fx:round(mean*255)]" info:)
  [ "$grey" -gt 150 ] && [ "$black" -lt 60 ] &&
    pass "the error dialog is in sight over the saver (dialog $grey, saver $black)" ||
    fail "error dialog hidden: dialog area $grey, saver corner $black"
  focus_window "$E"
  keys Return
  for _ in $(seq 30); do [ -s "$TMP/opened" ] && break; sleep 0.1; done
  grep -q "/bugs.htm$" "$TMP/opened" 2>/dev/null && pass "Enter on Report This Bug Now opens the bug page" ||
    fail "Enter opened no bug page"
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# --- 7. The note of "/a", centred in the classic look ---------------------------------------
rm -f "$INI"
start "/a 1234"
N=$(window "Zelkin Wumpets")
if [ -z "$N" ]; then
  fail "no note for /a"; cat "$TMP/out.log"
else
  geometry "$N"
  [ $((2 * WX + WW - SW)) -le 2 ] && [ $((SW - 2 * WX - WW)) -le 2 ] && [ $((2 * WY + WH - SH)) -le 2 ] &&
    [ $((SH - 2 * WY - WH)) -le 2 ] && pass "the /a note is centred" || fail "/a note at $WX,$WY size ${WW}x$WH"
  shot password-note
  focus_window "$N"
  keys Return
  ended && pass "Enter on its OK closes the note and ends" || { fail "the /a note stays"; cat "$TMP/out.log"; }
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# --- 8. High resolution ----------------------------------------------------------------------
# At 192 dots per inch a twip is half as many pixels: 7.5 twips to the pixel, so the dialog is
# twice the size in pixels; at 144 (set as the desktop's Xft.dpi) one and a half times.
kill "$XVFB_PID" 2>/dev/null
wait "$XVFB_PID" 2>/dev/null
SW=2048
SH=1536
# (-noreset: the desktop's resources set below outlive the client that sets them)
start_xvfb ${SW}x${SH}x24 -dpi 192 -noreset || exit 1
rm -f "$INI"
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -z "$W" ]; then
  fail "the settings dialog did not open at 192 dpi"; cat "$TMP/out.log"
else
  geometry "$W"
  [ "$WW" -eq 942 ] && [ "$WH" -eq 820 ] && pass "192 dpi: client area 942 x 820" || fail "192 dpi: size ${WW}x${WH}"
  [ $((2 * WX + WW - SW)) -le 2 ] && [ $((SW - 2 * WX - WW)) -le 2 ] && [ $((2 * WY + WH - SH)) -le 2 ] &&
    [ $((SH - 2 * WY - WH)) -le 2 ] && pass "192 dpi: centred" || fail "192 dpi: at $WX,$WY"
  shot configuration-192dpi
  focus_window "$W"
  # The title scene is drawn at twice its size, pixel for pixel: each 2 x 2 block is one colour.
  convert "$SHOTS/configuration-192dpi.png" -crop 280x262+$((WX + 2 * 310))+$((WY + 2 * 24)) +repage "$TMP/p2.png"
  convert "$TMP/p2.png" -sample 50% -sample 200% "$TMP/p2b.png"
  d=$(compare -metric AE "$TMP/p2.png" "$TMP/p2b.png" null: 2>&1)
  [ "${d%% *}" -lt 50 ] 2>/dev/null && pass "192 dpi: the preview picture is doubled pixel for pixel" ||
    fail "192 dpi: the preview picture is not a whole-number enlargement ($d pixels differ)"
  keys Escape
  ended || fail "still running after Escape at 192 dpi"
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }
echo "Xft.dpi: 144" | xrdb -nocpp -merge
start /c
W=$(window "Zelkin Wumpets Version 6.0")
if [ -n "$W" ]; then
  geometry "$W"
  [ "$WW" -eq 707 ] && [ "$WH" -eq 615 ] && pass "Xft.dpi 144: client area 707 x 615" ||
    fail "Xft.dpi 144: size ${WW}x${WH}"
  shot configuration-144dpi
else
  fail "the settings dialog did not open at Xft.dpi 144"
fi
[ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }

# --- 9. Centring the outer window under a window manager -----------------------------------
# The stand-in manager reports a frame of 4 pixels at the sides and the bottom and 24 on top
# (it draws none): the client area lies that far right and down of the centred outer corner.
if [ -n "$FRAME_WM" ]; then
  "$FRAME_WM" 4 4 24 4 >"$TMP/wm.log" 2>&1 &
  WM_PID=$!
  for _ in $(seq 50); do grep -q ready "$TMP/wm.log" && break; sleep 0.1; done
  start /c
  W=$(window "Zelkin Wumpets Version 6.0")
  if [ -z "$W" ]; then
    fail "no settings dialog under the window manager"; cat "$TMP/wm.log" "$TMP/out.log"
  else
    geometry "$W"
    ox=$(((SW - (WW + 8)) / 2 + 4)); oy=$(((SH - (WH + 28)) / 2 + 24))
    [ $((WX - ox)) -le 1 ] && [ $((ox - WX)) -le 1 ] && [ $((WY - oy)) -le 1 ] && [ $((oy - WY)) -le 1 ] &&
      pass "the outer window is centred (client area at $WX,$WY inside a reported frame)" ||
      fail "under a frame: client area at $WX,$WY, expected $ox,$oy"
  fi
  [ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }
  kill "$WM_PID" 2>/dev/null; wait "$WM_PID" 2>/dev/null; WM_PID=""
fi

echo "screenshots: $SHOTS"
[ "$failures" -eq 0 ]
