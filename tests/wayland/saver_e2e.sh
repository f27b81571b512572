#!/usr/bin/env bash
# The saver itself on a Wayland compositor with no X server: sway, headless, two outputs of
# different sizes.
#   saver_e2e.sh PATH/TO/zelkin-wumpets
# Checks, from grim's pictures: every output covered by an animated scene of its own size with
# nothing of the empty desktop left; an output added while it runs covered too; a typed key
# ends it with status 0; --window shows a window of its own size; the README's swayidle line,
# as written, starts the saver when the seat is idle.
set -euo pipefail
program=$(readlink -f "$1")

tmp=$(mktemp -d)
SWAY_PID=""
saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
  [ -n "$SWAY_PID" ] && kill "$SWAY_PID" 2>/dev/null || true
  [ -n "$SWAY_PID" ] && wait "$SWAY_PID" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$tmp"/*.err "$tmp/sway.log"; do
    [ -f "$f" ] && { echo "--- $(basename "$f")" >&2; tail -n 20 "$f" >&2; }
  done
  exit 1
}
checks=0
pass() { checks=$((checks + 1)); echo "ok: $*"; }

source "$(dirname "$0")/../lib/sway.sh"
start_sway "$tmp" "output HEADLESS-1 mode 800x600 position 0 0
output HEADLESS-2 mode 640x480 position 800 0" || fail "sway"
swaymsg -q create_output || fail "swaymsg create_output"
# The saver's own folders: settings, locks, home.
mkdir -p "$tmp/config" "$tmp/locks" "$tmp/saverhome"
export HOME="$tmp/saverhome" XDG_CONFIG_HOME="$tmp/config" TMPDIR="$tmp/locks"

# colours PNG: how many colours the picture has. share PNG RRGGBB: per mille of its pixels
# that are of that colour.
colours() { identify -format '%k' "$1"; }
share() {
  convert "$1" -format %c histogram:info:- |
    awk -v c="$2" -v total="$(identify -format '%[fx:w*h]' "$1")" \
      'toupper($0) ~ "#" toupper(c) { n += $1 } END { printf "%d", 1000 * n / total }'
}
top_colour() {
  convert "$1" -format %c histogram:info:- | sort -rn | head -n 1 | sed 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/'
}

# The empty desktop's colour on each output, before anything covers it.
grim -o HEADLESS-1 "$tmp/empty.png" || fail "grim"
desktop=$(top_colour "$tmp/empty.png")

# covered NAME W H: grim's picture of the output is a scene of W x H pixels, none of it desktop.
covered() {
  local shot="$tmp/$1.png"
  # A slow machine may take a while to show the first frame.
  for _ in $(seq 40); do
    grim -o "$1" "$shot" || fail "grim -o $1"
    [ "$(identify -format '%wx%h' "$shot")" = "$2x$3" ] && [ "$(colours "$shot")" -gt 200 ] && break
    sleep 0.25
  done
  [ "$(identify -format '%wx%h' "$shot")" = "$2x$3" ] || fail "$1: the output is not $2x$3"
  [ "$(colours "$shot")" -gt 200 ] || fail "$1: no scene on it ($(colours "$shot") colours)"
  [ "$(share "$shot" "$desktop")" -lt 5 ] || fail "$1: the desktop ($desktop) shows ($(share "$shot" "$desktop") per mille)"
  pass "$1 covered by a scene at $2x$3"
}
animated() {
  grim -o "$1" "$tmp/a.png" && sleep 0.5 && grim -o "$1" "$tmp/b.png" || fail "grim -o $1"
  [ "$(identify -format '%#' "$tmp/a.png")" != "$(identify -format '%#' "$tmp/b.png")" ] || fail "$1: the scene does not move"
  pass "$1 animated"
}
# ends_with_key: a typed key ends the saver with status 0 (wtype's keyboard appears first and
# types a moment later, as a keyboard that was there all along).
ends_with_key() {
  wtype -s 500 x || fail "wtype"
  for _ in $(seq 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$saver_pid" 2>/dev/null && fail "a key did not end the saver"
  local status=0
  wait "$saver_pid" || status=$?
  saver_pid=""
  [ "$status" -eq 0 ] || fail "the saver ended with status $status"
  pass "a key ended it"
}
wait_until() {
  for _ in $(seq $((${2:-10} * 10))); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}

# 1. /s: both outputs, then one added while it runs, then a key.
"$program" --mute /s 2>"$tmp/saver1.err" &
saver_pid=$!
covered HEADLESS-1 800 600
grep -q "X11" "$tmp/saver1.err" && fail "the saver did not draw natively on Wayland"
covered HEADLESS-2 640 480
animated HEADLESS-1
animated HEADLESS-2
before=$(sway_outputs)
swaymsg -q create_output || fail "swaymsg create_output"
added=$(sway_outputs | grep -vxF "$before" | head -n 1)
[ -n "$added" ] || fail "sway made no new output"
swaymsg -q output "$added" mode 1024x768 position 1440 0
sleep 0.5
covered "$added" 1024 768
animated "$added"
ends_with_key

# 2. --window: an ordinary window of the size asked for.
"$program" --mute --window=320x240 2>"$tmp/saver2.err" &
saver_pid=$!
size() {
  swaymsg -t get_tree | tr -d ' \n' |
    sed -n 's/.*"geometry":{"x":[0-9]*,"y":[0-9]*,"width":\([0-9]*\),"height":\([0-9]*\)},"name":"ZelkinWumpets".*/\1x\2/p'
}
wait_until '[ "$(size)" = "320x240" ]' 10 || fail "--window: no 320x240 window ($(size))"
pass "--window shows a 320x240 window"
ends_with_key

# 3. The README's line for sway, as written (with a one-second timeout): the seat is idle, so
# the saver starts, covers the outputs, and a key ends it.
mkdir -p "$tmp/bin"
ln -s "$program" "$tmp/bin/zelkin-wumpets"
PATH="$tmp/bin:$PATH" swayidle -w timeout 1 'zelkin-wumpets /s' 2>"$tmp/swayidle.err" &
idle_pid=$!
saver_pid=""
wait_until 'saver_pid=$(pgrep -P "$idle_pid" -f "zelkin-wumpets /s" | head -n 1); [ -n "$saver_pid" ]' 15 ||
  { kill "$idle_pid"; fail "swayidle did not start the saver"; }
# swayidle runs it through a shell: the saver is that shell's child, or the shell itself.
child=$(pgrep -P "$saver_pid" | head -n 1 || true)
[ -n "$child" ] && saver_pid=$child
covered HEADLESS-1 800 600
wtype -s 500 x || fail "wtype"
wait_until '! kill -0 "$saver_pid" 2>/dev/null' 5 || { kill "$idle_pid"; fail "a key did not end the saver swayidle started"; }
saver_pid=""
pass "swayidle's line starts the saver, and a key ends it"
pkill -P "$idle_pid" 2>/dev/null || true  # a saver started again by the next idle second
kill "$idle_pid"
wait "$idle_pid" 2>/dev/null || true

kill -0 "$SWAY_PID" 2>/dev/null || fail "sway died"
echo "saver on Wayland: $checks checks passed"
