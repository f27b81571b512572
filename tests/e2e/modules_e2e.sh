#!/usr/bin/env bash
# The dialogs, the message's text and the MIDI synthesizer are modules the program opens when it
# first needs them, on a private Xvfb display:
#   1. The program links none of their libraries; "/s" with the default settings maps none of
#      them. A message maps the text module's, and still no dialog's. Songs map the synthesizer
#      (FluidSynth) once the saver is up; the same songs muted map none of it.
#   2. A copy of the program without its modules (or with broken ones) does not crash: "/c"
#      says on standard error why no dialog can be shown and ends with status 1; the saver with
#      songs runs on silently and says once why; an error report goes to standard error; a
#      message that cannot be drawn is said, and the picture is made.
# Usage: modules_e2e.sh PATH/TO/zelkin-wumpets
set -uo pipefail

PROG=$(readlink -f "$1")
BUILD=$(dirname "$PROG")
TMP=$(mktemp -d /tmp/wumpets-modules-e2e.XXXXXX)
mkdir -p "$TMP/run" "$TMP/home" "$TMP/cfg" "$TMP/alone"
chmod 700 "$TMP/run"
failures=0
XVFB_PID=""
APP_PID=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  [ "$failures" -eq 0 ] && rm -rf "$TMP"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

. "$(dirname "$0")/../lib/xvfb.sh"
. "$(dirname "$0")/../lib/app.sh"
start_xvfb 800x600x24 -dpi 96 || exit 1
export HOME="$TMP/home" XDG_RUNTIME_DIR="$TMP/run" XDG_CONFIG_HOME="$TMP/home/.config" SDL_AUDIODRIVER=dummy
INI="$TMP/cfg/vornicade.ini"
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\n' >"$INI"
# The same with songs, in a settings folder of its own.
mkdir -p "$TMP/songs"
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\nmusicchoice0=1\nmusicchoice1=1\n' >"$TMP/songs/vornicade.ini"

# Libraries only the dialogs (FLTK and what it draws text with), the message's text or the
# synthesizer use.
DIALOG_LIBS='libfltk|libXft'
TEXT_LIBS='libSDL2_ttf|libfreetype|libharfbuzz|libfontconfig'
# (SDL2's own sound servers already bring libsndfile and its codecs.)
MUSIC_LIBS='libfluidsynth|libinstpatch|libglib-2|libgomp|libjack|libreadline'
# start PROGRAM LOG ARGS...: the program in the background, as APP_PID.
start() {
  local prog=$1 log=$2
  shift 2
  "$prog" --config-dir="$TMP/cfg" "$@" >"$log" 2>&1 &
  APP_PID=$!
}
# The libraries a running program has mapped that match a pattern (one name a line).
mapped() { grep -oE "/[^ ]*($2)[^ /]*$" "/proc/$1/maps" | xargs -rn1 basename | sort -u; }

# --- 1. What the program maps ------------------------------------------------------------------
linked=$(ldd "$PROG" | grep -E "$DIALOG_LIBS|$TEXT_LIBS|$MUSIC_LIBS")
[ -z "$linked" ] && pass "the program links no dialog, font or synthesizer library" || fail "the program links: $linked"
for m in zelkin-wumpets-dialogs.so zelkin-wumpets-text.so zelkin-wumpets-music.so; do
  [ -f "$BUILD/$m" ] && pass "$m is built next to the program" || fail "no $BUILD/$m"
done
start "$PROG" "$TMP/plain.log" /s
sleep 3
if kill -0 "$APP_PID" 2>/dev/null; then
  maps=$(mapped "$APP_PID" "$DIALOG_LIBS|$TEXT_LIBS|$MUSIC_LIBS|zelkin-wumpets-")
  [ -z "$maps" ] && pass "/s without a message maps none of the modules' libraries" ||
    fail "/s without a message maps: $(echo $maps)"
else
  fail "/s ended: $(cat "$TMP/plain.log")"
fi
stop
start "$PROG" "$TMP/message.log" --message="Peace and love" /s
sleep 3
if kill -0 "$APP_PID" 2>/dev/null; then
  text=$(mapped "$APP_PID" 'zelkin-wumpets-text|libSDL2_ttf')
  dialogs=$(mapped "$APP_PID" "$DIALOG_LIBS|zelkin-wumpets-dialogs")
  echo "$text" | grep -q zelkin-wumpets-text.so && echo "$text" | grep -q libSDL2_ttf &&
    pass "a message maps the text module and SDL2_ttf" || fail "a message maps: $(echo $text)"
  [ -z "$dialogs" ] && pass "a message maps no dialog library" || fail "a message maps: $(echo $dialogs)"
else
  fail "/s with a message ended: $(cat "$TMP/message.log")"
fi
stop
# Songs: the synthesizer comes with the first one, after the first frame; muted, never.
for how in songs muted; do
  args=(/s)
  [ "$how" = muted ] && args=(--mute /s)
  "$PROG" --config-dir="$TMP/songs" "${args[@]}" >"$TMP/$how.log" 2>&1 &
  APP_PID=$!
  sleep 3
  if kill -0 "$APP_PID" 2>/dev/null; then
    music=$(mapped "$APP_PID" "$MUSIC_LIBS|zelkin-wumpets-music")
    if [ "$how" = songs ]; then
      echo "$music" | grep -q zelkin-wumpets-music.so && echo "$music" | grep -q libfluidsynth &&
        pass "songs map the music module and FluidSynth" || fail "songs map: $(echo $music)"
    else
      [ -z "$music" ] && pass "songs muted map no synthesizer" || fail "songs muted map: $(echo $music)"
    fi
    [ ! -s "$TMP/$how.log" ] || fail "$how said: $(cat "$TMP/$how.log")"
  else
    fail "/s with $how ended: $(cat "$TMP/$how.log")"
  fi
  stop
done

# --- 2. A copy of the program without its modules ------------------------------------------------
cp "$PROG" "$TMP/alone/"
ln -s "$BUILD/data" "$TMP/alone/data"
ALONE="$TMP/alone/zelkin-wumpets"
for broken in missing garbage foreign; do
  case $broken in
    missing) rm -f "$TMP/alone/"zelkin-wumpets-*.so ;;
    garbage) head -c 4096 /dev/urandom >"$TMP/alone/zelkin-wumpets-dialogs.so" ;;
    # A real shared object that is not our module: no entry.
    foreign) cp "$(ldd "$PROG" | awk '/libm\.so/ {print $3}')" "$TMP/alone/zelkin-wumpets-dialogs.so" ;;
  esac
  [ "$broken" = missing ] ||
    for m in text music; do cp "$TMP/alone/zelkin-wumpets-dialogs.so" "$TMP/alone/zelkin-wumpets-$m.so"; done
  timeout 20 "$ALONE" --config-dir="$TMP/cfg" /c >"$TMP/c-$broken.log" 2>&1
  status=$?
  [ "$status" -eq 1 ] && grep -q "no dialog can be shown: .*zelkin-wumpets-dialogs.so" "$TMP/c-$broken.log" &&
    pass "$broken module: /c ends with status 1 and says why: $(head -1 "$TMP/c-$broken.log")" ||
    fail "$broken module: /c status $status: $(cat "$TMP/c-$broken.log")"
  # Songs without the synthesizer: the saver runs on, silent, and says why once.
  "$ALONE" --config-dir="$TMP/songs" /s >"$TMP/s-$broken.log" 2>&1 &
  APP_PID=$!
  sleep 3
  if kill -0 "$APP_PID" 2>/dev/null; then
    said=$(grep -c "no MIDI synthesizer (.*zelkin-wumpets-music.so.*); music is off" "$TMP/s-$broken.log")
    lines=$(wc -l <"$TMP/s-$broken.log")
    [ "$said" -eq 1 ] && [ "$lines" -eq 1 ] &&
      pass "$broken module: songs without the synthesizer run silent and say why once: $(cat "$TMP/s-$broken.log")" ||
      fail "$broken module: songs without the synthesizer said: $(cat "$TMP/s-$broken.log")"
  else
    fail "$broken module: /s with songs ended: $(cat "$TMP/s-$broken.log")"
  fi
  stop
done
rm -f "$TMP/alone/"zelkin-wumpets-*.so

# An error report (a speed beyond any number the setting holds) in saver mode: the code and why
# no dialog shows go to standard error, and the saver carries on in sight: a click ends it.
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=40000\n' >"$INI"
start "$ALONE" "$TMP/report.log" /s
sleep 3
if kill -0 "$APP_PID" 2>/dev/null; then
  grep -q "Error Code: ZW- 6- Starter/X_GetData" "$TMP/report.log" &&
    grep -q "no dialog can be shown: .*zelkin-wumpets-dialogs.so" "$TMP/report.log" &&
    pass "without the dialogs an error report goes to standard error: $(tr '\n' ' ' <"$TMP/report.log")" ||
    fail "error report without the dialogs: $(cat "$TMP/report.log")"
  xdotool mousemove 400 300 click 1
  ended && pass "the saver ends on a click after the report" || fail "the saver lives on after a click"
else
  wait "$APP_PID"
  fail "the saver ended with status $? after an error report without the dialogs: $(cat "$TMP/report.log")"
  APP_PID=""
fi
stop
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nspeed=60\n' >"$INI"

# A message without the text module: said, and the picture is made without it, exactly as one
# without a message.
timeout 60 "$ALONE" --config-dir="$TMP/cfg" --seed=5 --size=320x240 --message="Peace and love" \
  --render="$TMP/nofont.png" >"$TMP/nofont.log" 2>&1
status=$?
timeout 60 "$ALONE" --config-dir="$TMP/cfg" --seed=5 --size=320x240 --render="$TMP/nomessage.png" >/dev/null 2>&1
if [ "$status" -eq 0 ] && grep -q "the message cannot be drawn: .*zelkin-wumpets-text.so" "$TMP/nofont.log" &&
   cmp -s "$TMP/nofont.png" "$TMP/nomessage.png"; then
  pass "without the text module the message is left out and said: $(cat "$TMP/nofont.log")"
else
  fail "message without the text module: status $status, $(cat "$TMP/nofont.log")"
fi

[ "$failures" -eq 0 ] && echo "all passed" || echo "$failures failed"
exit $((failures > 0))
