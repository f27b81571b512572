#!/usr/bin/env bash
# CPU use and start-up time of the saver: runs "/s" with default settings for 20 seconds on its
# own Xvfb at 1920x1080 and prints
#   - the time from exec to the window first shown and to the first animation frame shown,
#   - the process's CPU use in % of one core over the whole run and over its steady part.
# Goals: start-up under 150 ms; CPU at most 4% (limit 6%).
# Usage: bench/saver_cpu.sh [program] [seconds]   (default build/zelkin-wumpets, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
prog="$(realpath "${1:-build/zelkin-wumpets}")"
secs="${2:-20}"
[ -x "$prog" ] || { echo "no program at $prog (build first)" >&2; exit 1; }

tmp="$(mktemp -d /tmp/wumpets-bench-XXXXXX)"
mkdir -p "$tmp/config" "$tmp/run"
xvfb_pid=""; saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# A display of our own, its number chosen by Xvfb itself.
. tests/lib/xvfb.sh  # the working folder is the repository's root
start_xvfb 1920x1080x24 || exit 1
xvfb_pid=$XVFB_PID
display=$DISPLAY

clk=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# One run of "/s" with the settings folder $1; prints its figures under the title $2.
measure() {
  rm -rf "$tmp/run" && mkdir -p "$tmp/run"
  local start steady_from total shown first
  start=$(date +%s.%N)
  DISPLAY="$display" XDG_RUNTIME_DIR="$tmp/run" HOME="$tmp" WUMPETS_TRACE_FIRST_FRAME=1 \
    "$prog" --config-dir="$1" /s 2>"$tmp/stderr" &
  saver_pid=$!
  sleep 2
  steady_from=$(cpu_ticks "$saver_pid")
  sleep "$((secs - 2))"
  kill -0 "$saver_pid" 2>/dev/null || { echo "the saver ended early:"; cat "$tmp/stderr"; exit 1; }
  total=$(cpu_ticks "$saver_pid")
  kill "$saver_pid"; wait "$saver_pid" 2>/dev/null || true; saver_pid=""
  shown=$(awk '/^wumpets-trace: shown/ {print $3; exit}' "$tmp/stderr")
  first=$(awk '/^wumpets-trace: first-frame/ {print $3; exit}' "$tmp/stderr")
  awk -v s="$start" -v a="$shown" -v b="$first" -v t="$total" -v f="$steady_from" -v c="$clk" -v n="$secs" \
      -v title="$2" 'BEGIN {
    printf "%s\n", title
    printf "  start-up: window shown %.0f ms, first animation frame %.0f ms after exec (goal < 150 ms)\n",
           (a - s) * 1000, (b - s) * 1000
    printf "  CPU: %.1f%% of one core over %d s, %.1f%% after the first 2 s (goal <= 4%%, limit 6%%)\n",
           100 * t / c / n, n, 100 * (t - f) / c / (n - 2)
  }'
}

measure "$tmp/config" "default settings (1920x1080, speed 60, three songs):"
# The same scene without the songs, to tell the picture's share from the synthesiser's.
mkdir -p "$tmp/quiet"
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nwumpet3=1\nwumpet4=1\nwumpet5=1\nredrose=1\npinkrose=1\nwhiterose=1\nyellowrose=1\nnotes1=1\nbackground=0\nspeed=60\n' \
  >"$tmp/quiet/vornicade.ini"
measure "$tmp/quiet" "default settings without music:"
