#!/usr/bin/env bash
# CPU use of the Windows program under Wine beside the Linux program, side by side on one
# private Xvfb at 1920x1080: each runs "/s" for the same time with the same settings, and the
# figures are the share of one core used by
#   - the Linux program's process, and the X server meanwhile,
#   - the Windows program's process, the prefix's wineserver, every process of the prefix, and
#     the X server meanwhile.
# Goal: the Windows program with wineserver and the X server at most the Linux program with the
# X server + 0.5 points.
# Two runs: default settings, and the same scene without songs (Wine has no MIDI synthesiser
# here, while the Linux program synthesises its songs; the second pair compares the pictures).
# Usage: bench/win32_cpu.sh [--before=OLD.scr] [seconds]   (default 20; needs build/ and build-win/)
#   --before  also runs an older Windows program (a copy kept aside) right after the new one,
#             with the same settings, and reports it as a third line of each pair (it needs the
#             data folder beside it, e.g. a link to build-win/data, or it cannot play the songs
#             and ends)
set -euo pipefail
before=""
case "${1:-}" in --before=*) before="$(realpath "${1#--before=}")"; shift ;; esac
cd "$(dirname "$0")/.."
secs="${1:-20}"
[ -z "$before" ] || [ -f "$before" ] || { echo "no program at $before" >&2; exit 1; }
linux="$(realpath build/zelkin-wumpets)"
scr="$(realpath build-win/ZelkinWumpets.scr)"
[ -x "$linux" ] && [ -f "$scr" ] || { echo "build build/ and build-win/ first (scripts/test does both)" >&2; exit 1; }

tmp="$(mktemp -d /tmp/wumpets-wine-bench-XXXXXX)"
mkdir -p "$tmp/run" "$tmp/home"
chmod 700 "$tmp/run"
xvfb_pid="" pid=""
export WINEPREFIX="$tmp/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

. tests/lib/xvfb.sh  # the working folder is the repository's root
start_xvfb 1920x1080x24 || exit 1
xvfb_pid=$XVFB_PID
export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run"
echo "Making a Wine prefix (about 10 s)..."
wineboot -i >/dev/null 2>&1
wineserver -p >/dev/null 2>&1 || true

clk=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Every process of our prefix (the program, wineserver, Wine's own services), by its environment.
prefix_pids() {
  local p
  for p in /proc/[0-9]*; do
    [ -r "$p/environ" ] || continue
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "${p#/proc/}"
  done
  return 0
}
# The prefix's wineserver works in a folder named after the prefix's device and inode.
wineserver_pid() {
  local p dir
  dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for p in /proc/[0-9]*; do
    case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
    [ "$(basename "$(readlink "$p/cwd" 2>/dev/null)")" = "$dir" ] && echo "${p#/proc/}"
  done
  return 0
}
sum_ticks() { local t=0 p; for p in "$@"; do t=$((t + $(ticks "$p"))); done; echo "$t"; }

# Runs a program for $secs seconds after a 3 s start; prints "program wineserver prefix" ticks.
run_linux() {
  "$linux" /s --config-dir="$1" >/dev/null 2>&1 &
  pid=$!
  sleep 3
  local a b x0 x1
  a=$(ticks "$pid"); x0=$(ticks "$xvfb_pid")
  sleep "$secs"
  b=$(ticks "$pid"); x1=$(ticks "$xvfb_pid")
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
  echo "$((b - a)) $((x1 - x0))"
}
run_windows() {  # config folder [program]
  wine "${2:-$scr}" /s "--config-dir=Z:${1//\//\\}" >/dev/null 2>&1 &
  pid=$!
  sleep 3
  local server all0 all1 a b s0 s1
  server=$(wineserver_pid)
  [ -n "$server" ] || { echo "no wineserver found for the prefix" >&2; exit 1; }
  mapfile -t all0 < <(prefix_pids)
  all0+=("$server")
  local x0 x1
  a=$(ticks "$pid"); s0=$(ticks "$server"); local p0; p0=$(sum_ticks "${all0[@]}"); x0=$(ticks "$xvfb_pid")
  sleep "$secs"
  b=$(ticks "$pid"); s1=$(ticks "$server"); local p1; p1=$(sum_ticks "${all0[@]}"); x1=$(ticks "$xvfb_pid")
  kill -0 "$pid" 2>/dev/null || { echo "the Windows program ended early" >&2; exit 1; }
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
  echo "$((b - a)) $((s1 - s0)) $((p1 - p0)) $((x1 - x0))"
}

report() {  # title linux_ticks linux_x_ticks win_ticks server_ticks prefix_ticks win_x_ticks
  awk -v t="$1" -v l="$2" -v lx="$3" -v w="$4" -v s="$5" -v p="$6" -v wx="$7" -v c="$clk" -v n="$secs" 'BEGIN {
    f = 100 / c / n
    pl = l * f; plx = lx * f; pw = w * f; ps = s * f; pp = p * f; pwx = wx * f
    printf "%s\n", t
    printf "  Linux program:                 %5.2f%% + X server %.2f%% = %.2f%% of one core\n", pl, plx, pl + plx
    printf "  Windows program under Wine:    %5.2f%% + wineserver %.2f%% + X server %.2f%% = %.2f%%\n", pw, ps, pwx, pw + ps + pwx
    printf "  every process of the prefix:   %5.2f%%\n", pp
    printf "  goal: Windows <= Linux + 0.5 points: %.2f%% against %.2f%%: %s\n", pw + ps + pwx, pl + plx + 0.5,
           (pw + ps + pwx <= pl + plx + 0.5) ? "met" : "NOT met"
  }'
}

mkdir -p "$tmp/default" "$tmp/quiet"
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nwumpet3=1\nwumpet4=1\nwumpet5=1\nredrose=1\npinkrose=1\nwhiterose=1\nyellowrose=1\nnotes1=1\nbackground= 0\nspeed=60\n' \
  >"$tmp/quiet/vornicade.ini"
for kind in default quiet; do
  read -r l lx < <(run_linux "$tmp/$kind")
  read -r w s p wx < <(run_windows "$tmp/$kind")
  title="default settings (1920x1080, speed 60, three songs), $secs s:"
  [ "$kind" = quiet ] && title="the same scene without songs, $secs s:"
  report "$title" "$l" "$lx" "$w" "$s" "$p" "$wx"
  if [ -n "$before" ]; then
    read -r w s p wx < <(run_windows "$tmp/$kind" "$before")
    awk -v w="$w" -v s="$s" -v wx="$wx" -v c="$clk" -v n="$secs" 'BEGIN {
      f = 100 / c / n
      printf "  the older Windows program:     %5.2f%% + wineserver %.2f%% + X server %.2f%% = %.2f%%\n", w * f, s * f, wx * f, (w + s + wx) * f
    }'
  fi
done
