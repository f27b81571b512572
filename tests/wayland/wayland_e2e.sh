#!/usr/bin/env bash
# The Wayland module on a real compositor: sway, headless, with outputs of different sizes.
#   wayland_e2e.sh PATH/TO/wl_probe PATH/TO/wl_click
# Checks, from grim's screenshots: every output covered by a picture of its own size (the
# probe's border at every edge, nothing of the desktop), animated, with exactly one whole bar
# (partial frames leave no trace); an output created while the probe runs covered too; a typed
# key (wtype) ends the probe; a pointer (wl_click) is reported where it is, shows no cursor over
# the probe, and its click ends it; the same without layer-shell (full-screen windows) and
# --window.
#
# sway runs as an unprivileged user (tests/lib/sway.sh). Everything lives in a temporary
# folder; processes are ended by PID.
set -euo pipefail
probe=$(readlink -f "$1")
click=$(readlink -f "$2")

tmp=$(mktemp -d)
SWAY_PID=""
probe_pid=""
cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  [ -n "$SWAY_PID" ] && kill "$SWAY_PID" 2>/dev/null || true
  [ -n "$SWAY_PID" ] && wait "$SWAY_PID" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$tmp"/probe*.out "$tmp"/probe*.err "$tmp/sway.log"; do
    [ -f "$f" ] && { echo "--- $(basename "$f")" >&2; tail -n 30 "$f" >&2; }
  done
  exit 1
}
checks=0
pass() { checks=$((checks + 1)); echo "ok: $*"; }

source "$(dirname "$0")/../lib/sway.sh"
start_sway "$tmp" "output HEADLESS-1 mode 800x600 position 0 0
output HEADLESS-2 mode 640x480 position 800 0" || fail "sway"
export HOME="$tmp/home"
swaymsg -q create_output || fail "swaymsg create_output"

outputs() { sway_outputs; }

# wait_for FILE PATTERN [SECONDS]: a line of FILE matches PATTERN (grep -E) in time.
wait_for() {
  local n=$((${3:-10} * 10))
  for _ in $(seq "$n"); do
    grep -Eq "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# histogram PNG: "RRGGBB COUNT" per colour.
histogram() {
  convert "$1" -format %c histogram:info:- | sed -n 's/^ *\([0-9]*\):.*#\([0-9A-Fa-f]\{6\}\).*/\2 \1/p'
}
count_of() { awk -v c="$2" 'toupper($1) == toupper(c) { print $2; f = 1 } END { if (!f) print 0 }' <<<"$1"; }

border=4 bar=24  # wl_probe's kBorder and kBar

# check_cover OUT NAME W H [GRIM OPTION]: grim's picture of output NAME is all the probe's, of
# W x H pixels.
check_cover() {
  local out=$1 name=$2 w=$3 h=$4 line bg bar_c edge shot hist grim_opts=("${@:5}")
  line=$(grep -E "^covered $name ${w}x${h} " "$out" | tail -n 1)
  [ -n "$line" ] || fail "$name: the probe never covered it at ${w}x${h}"
  bg=$(sed 's/.* bg=\([0-9A-F]*\).*/\1/' <<<"$line")
  bar_c=$(sed 's/.* bar=\([0-9A-F]*\).*/\1/' <<<"$line")
  edge=$(sed 's/.* border=\([0-9A-F]*\).*/\1/' <<<"$line")
  shot="$tmp/$name.png"
  grim "${grim_opts[@]}" -o "$name" "$shot" || fail "grim -o $name"
  [ "$(identify -format '%wx%h' "$shot")" = "${w}x${h}" ] || fail "$name: the output is not ${w}x${h}"
  hist=$(histogram "$shot")
  [ "$(wc -l <<<"$hist")" -eq 3 ] || fail "$name: colours other than the probe's: $(tr '\n' ' ' <<<"$hist")"
  local want_edge=$((w * h - (w - 2 * border) * (h - 2 * border)))
  local want_bar=$((bar * (h - 2 * border)))
  local want_bg=$((w * h - want_edge - want_bar))
  [ "$(count_of "$hist" "$edge")" -eq "$want_edge" ] || fail "$name: border is not at the ${w}x${h} edges: $(tr '\n' ' ' <<<"$hist")"
  [ "$(count_of "$hist" "$bar_c")" -eq "$want_bar" ] || fail "$name: not one whole bar: $(tr '\n' ' ' <<<"$hist")"
  [ "$(count_of "$hist" "$bg")" -eq "$want_bg" ] || fail "$name: background count: $(tr '\n' ' ' <<<"$hist")"
  pass "$name covered at ${w}x${h} by its own picture (bg $bg)"
}

# check_animated NAME: two pictures a moment apart differ.
check_animated() {
  grim -o "$1" "$tmp/a.png" && sleep 0.4 && grim -o "$1" "$tmp/b.png" || fail "grim -o $1"
  [ "$(identify -format '%#' "$tmp/a.png")" != "$(identify -format '%#' "$tmp/b.png")" ] || fail "$1: the picture does not move"
  pass "$1 animated"
}

# end_with_key OUT: a typed key ends the probe with status 0. wtype's virtual keyboard appears
# first and types a moment later, as a real keyboard that was there all along.
end_with_key() {
  wtype -s 500 x || fail "wtype"
  local status=0
  for _ in $(seq 50); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$probe_pid" 2>/dev/null && fail "a key did not end the probe"
  wait "$probe_pid" || status=$?
  probe_pid=""
  [ "$status" -eq 0 ] || fail "the probe ended with status $status"
  grep -q '^key$' "$1" || fail "the probe did not report the key"
  pass "a key ended it"
}

# 1. Layer-shell: both outputs, then one added while it runs, then a key.
out="$tmp/probe1.out"
"$probe" --seconds 60 >"$out" 2>"$tmp/probe1.err" &
probe_pid=$!
wait_for "$out" "^covered HEADLESS-2 640x480 " && wait_for "$out" "^covered HEADLESS-1 800x600 " ||
  fail "the probe did not cover both outputs"
grep -q '^layer-shell yes$' "$out" || fail "sway's layer-shell was not used"
check_cover "$out" HEADLESS-1 800 600
check_cover "$out" HEADLESS-2 640 480
[ "$(grep -c '^covered HEADLESS-[12] ' "$out")" -eq 2 ] || fail "each output was to be covered once"
check_animated HEADLESS-1
check_animated HEADLESS-2

before=$(outputs)
swaymsg -q create_output || fail "swaymsg create_output"
added=$(outputs | grep -vxF "$before" | head -n 1)
[ -n "$added" ] || fail "sway made no new output"
# Its size changes after it appeared: the surface follows.
swaymsg -q output "$added" mode 1024x768 position 1440 0
wait_for "$out" "^covered $added 1024x768 " || fail "the added output $added was not covered"
check_cover "$out" "$added" 1024 768
check_animated "$added"
end_with_key "$out"

# 2. A compositor without layer-shell: a full-screen window on each output, and a word on
# stderr saying why.
out="$tmp/probe2.out"
WUMPETS_WAYLAND_NO_LAYER_SHELL=1 "$probe" --seconds 60 >"$out" 2>"$tmp/probe2.err" &
probe_pid=$!
for output in "HEADLESS-1 800 600" "HEADLESS-2 640 480" "$added 1024 768"; do
  set -- $output
  wait_for "$out" "^covered $1 ${2}x${3} " || fail "no full-screen window covered $1"
done
grep -q '^layer-shell no$' "$out" || fail "layer-shell was not set aside"
grep -q 'no layer-shell' "$tmp/probe2.err" || fail "stderr did not say what the compositor lacks"
check_cover "$out" HEADLESS-1 800 600
check_cover "$out" HEADLESS-2 640 480
check_cover "$out" "$added" 1024 768
end_with_key "$out"

# 3. --window: a plain 320x240 window (sway floats a window of fixed size) somewhere on the
# outputs, whole.
out="$tmp/probe3.out"
"$probe" --window 320x240 --seconds 60 >"$out" 2>"$tmp/probe3.err" &
probe_pid=$!
wait_for "$out" "^covered window 320x240 " || fail "the window was not shown"
sleep 0.3
line=$(grep '^covered window' "$out")
bar_c=$(sed 's/.* bar=\([0-9A-F]*\).*/\1/' <<<"$line")
edge=$(sed 's/.* border=\([0-9A-F]*\).*/\1/' <<<"$line")
total_edge=0 total_bar=0
for name in $(outputs); do
  grim -o "$name" "$tmp/w.png"
  hist=$(histogram "$tmp/w.png")
  total_edge=$((total_edge + $(count_of "$hist" "$edge")))
  total_bar=$((total_bar + $(count_of "$hist" "$bar_c")))
done
[ "$total_edge" -eq $((320 * 240 - 312 * 232)) ] && [ "$total_bar" -eq $((24 * 232)) ] ||
  fail "the window is not shown whole at 320x240 (border $total_edge, bar $total_bar pixels)"
pass "--window shows a whole 320x240 window"
end_with_key "$out"

# 4. A pointer: reported where it enters and moves, no cursor shown over the probe (grim -c
# draws the cursor into the picture), a click ends it.
out="$tmp/probe4.out"
"$probe" --seconds 60 >"$out" 2>"$tmp/probe4.err" &
probe_pid=$!
wait_for "$out" "^covered HEADLESS-2 640x480 " || fail "the probe did not cover HEADLESS-2"
"$click" HEADLESS-2 100 50 1500 >"$tmp/click.out" 2>&1 &
click_pid=$!
wait_for "$out" "^motion HEADLESS-2 105 55$" || fail "the pointer's motion was not reported"
grep -q '^motion HEADLESS-2 100 50$' "$out" || fail "the pointer's place on entering was not reported"
pass "pointer motion reported in the output's pixels"
check_cover "$out" HEADLESS-2 640 480 -c
pass "no cursor over the probe"
wait "$click_pid" || fail "wl_click: $(cat "$tmp/click.out")"
for _ in $(seq 50); do kill -0 "$probe_pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$probe_pid" || status=$?
probe_pid=""
[ "$status" -eq 0 ] && grep -q '^button$' "$out" || fail "a click did not end the probe (status $status)"
pass "a click ended it"

kill -0 "$SWAY_PID" 2>/dev/null || fail "sway died"
echo "wayland e2e: $checks checks passed"
