#!/usr/bin/env bash
# CPU, memory and start-up of the running saver, measured side by side in one run: "/s" on Xvfb
# displays of our own, the program and the X server together (what the saver costs the machine),
# beside stock hacks on the same display. Each case runs for SECONDS and is measured after its
# first 2 s; with --before=PROGRAM another build (the one before a change) runs every case too,
# right after this one, so both columns see the same machine.
#
# Goals it prints each figure against:
#   program + X server at 1920x1080, default settings with music   <= 1.5% of one core
#   the same muted                                                 <= 1%
#   every object on                                                <= 2.5%
#   3840x2160 at Xft.dpi 192 (a 2x scene)                          no more than 1920x1080 at 96
#   resident memory at 1920x1080 with music                        <= 40 MB
#   a second 1920x1080 monitor adds to it no more than its own picture (its window's 8.1 MB)
#   exec to the first animation frame at 1920x1080                 < 100 ms
#
# Usage: bench/saver_cpu.sh [--before=PROGRAM] [PROGRAM] [SECONDS]
#        (default build/zelkin-wumpets, 20 s; its data folder is used for both programs)
set -euo pipefail
cd "$(dirname "$0")/.."
before=""
if [ "${1:-}" != "${1#--before=}" ]; then
  before="$(realpath "${1#--before=}")"
  shift
fi
prog="$(realpath "${1:-build/zelkin-wumpets}")"
secs="${2:-20}"
[ -x "$prog" ] || { echo "no program at $prog (build first)" >&2; exit 1; }
[ -z "$before" ] || [ -x "$before" ] || { echo "no program at $before" >&2; exit 1; }
[ "$secs" -ge 5 ] || { echo "at least 5 seconds a case" >&2; exit 1; }
data="$(dirname "$prog")/data"
before_scales=""
[ -n "$before" ] && "$before" --help 2>/dev/null | grep -q -- '--scale' && before_scales=1

tmp="$(mktemp -d /tmp/wumpets-bench-XXXXXX)"
mkdir -p "$tmp/default" "$tmp/every" "$tmp/run"
pids=()
run_pid=""
cleanup() {
  [ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# Every object: the five dancers, both sets of notes, the roses, peace signs, lava lamps, the
# disco ball and the hippie, with the songs.
printf '[Zelkin Wumpets]\nfirstrun=1\nwumpet1=1\nwumpet2=1\nwumpet3=1\nwumpet4=1\nwumpet5=1\nnotes1=1\nnotes2=1\npeace=1\nhippie=1\nyellowrose=1\nredrose=1\npinkrose=1\nwhiterose=1\ndiscoball=1\nlavalamp=1\nbackground=0\nspeed=60\nmusicchoice0=1\nmusicchoice1=1\nmusicchoice2=1\n' \
  >"$tmp/every/vornicade.ini"

# Two displays of our own, their numbers chosen by Xvfb itself: a 1080p one at 96 dpi and a 4K
# one whose desktop says 192 (scaled to 200%).
. tests/lib/xvfb.sh  # the working folder is the repository's root
start_xvfb 1920x1080x24 || exit 1
hd_display=$DISPLAY hd_x=$XVFB_PID
pids+=("$hd_x")
start_xvfb 3840x2160x24 || exit 1
uhd_display=$DISPLAY uhd_x=$XVFB_PID
pids+=("$uhd_x")
echo "Xft.dpi: 192" | DISPLAY=$uhd_display xrdb -merge
# Two 1920x1080 monitors side by side (a RandR split of one screen): what a second monitor adds.
start_xvfb 3840x1080x24 || exit 1
dual_display=$DISPLAY dual_x=$XVFB_PID
pids+=("$dual_x")
DISPLAY=$dual_display xrandr --setmonitor right 1920/508x1080/286+1920+0 none >/dev/null
DISPLAY=$dual_display xrandr --setmonitor '*left' 1920/508x1080/286+0+0 screen >/dev/null
[ "$(DISPLAY=$dual_display xrandr --listmonitors | head -1)" = "Monitors: 2" ] || { echo "xrandr cannot split the screen" >&2; exit 1; }

clk=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }

# Runs one command on a display for $secs seconds; prints "program% x% rss_kb first_ms".
#   measure DISPLAY XVFB_PID COMMAND...
measure() {
  local display=$1 xpid=$2
  shift 2
  rm -rf "$tmp/run" && mkdir -p "$tmp/run"
  local start p0 x0 p1 x1 rss first
  start=$(date +%s.%N)
  DISPLAY="$display" XDG_RUNTIME_DIR="$tmp/run" HOME="$tmp" WUMPETS_TRACE_FIRST_FRAME=1 "$@" 2>"$tmp/stderr" &
  run_pid=$!
  sleep 2
  p0=$(cpu_ticks "$run_pid") x0=$(cpu_ticks "$xpid")
  sleep "$((secs - 2))"
  kill -0 "$run_pid" 2>/dev/null || { echo "$* ended early:" >&2; cat "$tmp/stderr" >&2; exit 1; }
  p1=$(cpu_ticks "$run_pid") x1=$(cpu_ticks "$xpid") rss=$(rss_kb "$run_pid")
  kill "$run_pid"; wait "$run_pid" 2>/dev/null || true; run_pid=""
  first=$(awk '/^wumpets-trace: first-frame/ {print $3; exit}' "$tmp/stderr")
  awk -v s="$start" -v f="${first:-0}" -v p="$((p1 - p0))" -v x="$((x1 - x0))" -v c="$clk" -v n="$((secs - 2))" \
      -v r="$rss" 'BEGIN { printf "%.2f %.2f %d %.0f\n", 100 * p / c / n, 100 * x / c / n, r, (f > 0 ? (f - s) * 1000 : -1) }'
}

saver() {  # saver DISPLAY XPID PROGRAM CONFIG [OPTIONS...]
  local display=$1 xpid=$2 program=$3 config=$4
  shift 4
  measure "$display" "$xpid" "$program" --config-dir="$config" --data-dir="$data" "$@" /s
}

# One line of the table: a case, its figures for each program.
declare -A fig
row() {  # row KEY TITLE DISPLAY XPID CONFIG [OPTIONS...]
  local key=$1 title=$2 display=$3 xpid=$4 config=$5
  shift 5
  fig[$key.after]=$(saver "$display" "$xpid" "$prog" "$config" "$@")
  if [ -n "$before" ]; then
    # A build from before the whole-pixel scale knows no --scale: it always draws at 1.
    local a old=()
    for a in "$@"; do [ "${a#--scale=}" = "$a" ] || [ -n "$before_scales" ] && old+=("$a"); done
    fig[$key.before]=$(saver "$display" "$xpid" "$before" "$config" ${old[@]+"${old[@]}"})
  fi
  local line
  line=$(printf '%-44s' "$title")
  for side in ${before:+before} after; do
    read -r p x r f <<<"${fig[$key.$side]}"
    line+=$(awk -v p="$p" -v x="$x" -v r="$r" -v f="$f" 'BEGIN { printf " | %4.2f + %4.2f = %4.2f%%  %5.1f MB  %4s ms", p, x, p + x, r / 1024, (f < 0 ? "-" : f) }')
  done
  echo "$line"
}
total() { read -r p x _ _ <<<"${fig[$1]}"; awk -v p="$p" -v x="$x" 'BEGIN { printf "%.2f", p + x }'; }
field() { read -r -a v <<<"${fig[$1]}"; echo "${v[$2]}"; }

echo "Each case ${secs} s, measured after its first 2 s; program + X server in % of one core, resident memory, exec to first animation frame."
printf '%-44s' "case"
[ -z "$before" ] || printf ' | %-38s' "before: $(basename "$(dirname "$before")")/$(basename "$before")"
printf ' | %-38s\n' "after: $(basename "$(dirname "$prog")")/$(basename "$prog")"
row hd "1920x1080, default settings with music" "$hd_display" "$hd_x" "$tmp/default"
row mute "1920x1080, default settings muted" "$hd_display" "$hd_x" "$tmp/default" --mute
row every "1920x1080, every object, with music" "$hd_display" "$hd_x" "$tmp/every"
row uhd1 "3840x2160 at scale 1, with music" "$uhd_display" "$uhd_x" "$tmp/default" --scale=1
row uhd "3840x2160, Xft.dpi 192 (scale 2), with music" "$uhd_display" "$uhd_x" "$tmp/default"
row dual "two 1920x1080 monitors, with music" "$dual_display" "$dual_x" "$tmp/default"

# Stock hacks on the same 1080p display, for scale.
hacks=""
for dir in /usr/libexec/xscreensaver /usr/lib/xscreensaver; do
  [ -x "$dir/deco" ] && { hacks=$dir; break; }
done
if [ -n "$hacks" ]; then
  for h in deco popsquares fuzzyflakes; do
    [ -x "$hacks/$h" ] || continue
    read -r p x r _ <<<"$(measure "$hd_display" "$hd_x" "$hacks/$h" -root)"
    awk -v t="stock hack '$h' -root, 1920x1080" -v p="$p" -v x="$x" -v r="$r" \
        'BEGIN { printf "%-44s | %4.2f + %4.2f = %4.2f%%  %5.1f MB\n", t, p, x, p + x, r / 1024 }'
  done
else
  echo "(no stock hacks to compare with: the package xscreensaver-data is not installed)"
fi

echo
echo "Goals (figures of $(basename "$prog")${before:+; before in brackets}):"
goal() {  # goal TEXT VALUE_AFTER VALUE_BEFORE MET(0/1)
  printf '  %-66s %s%s  %s\n' "$1" "$2" "${3:+ [$3]}" "$([ "$4" = 1 ] && echo met || echo NOT met)"
}
cmp_le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? 1 : 0 }'; }
b() { [ -n "$before" ] && "$@" || true; }
v=$(total hd.after); goal "1920x1080 with music, program + X <= 1.5%" "$v%" "$(b total hd.before)" "$(cmp_le "$v" 1.5)"
v=$(total mute.after); goal "1920x1080 muted, program + X <= 1%" "$v%" "$(b total mute.before)" "$(cmp_le "$v" 1.0)"
v=$(total every.after); goal "1920x1080 every object, program + X <= 2.5%" "$v%" "$(b total every.before)" "$(cmp_le "$v" 2.5)"
v=$(total uhd.after); goal "3840x2160 at scale 2 no more than 1920x1080 at scale 1 ($(total hd.after)%)" "$v%" "" "$(cmp_le "$v" "$(total hd.after)")"
v=$(field hd.after 2); goal "resident memory at 1920x1080 with music <= 40 MB" "$((v / 1024)) MB" "$(b field hd.before 2 | awk '{ if ($1) printf "%d MB", $1 / 1024 }')" "$(cmp_le "$v" 40960)"
v=$(( $(field dual.after 2) - $(field hd.after 2) ))
# Its own buffers: the window's 8.1 MB picture; 1 MB more is the spread of one run's memory
# against another's (the songs' samples loaded so far, the allocator's free lists).
goal "a second 1920x1080 monitor adds no more than its picture (8.1 MB, +1 MB spread)" "$(awk -v v="$v" 'BEGIN { printf "%.1f MB", v / 1024 }')" "$(b field dual.before 2 | awk -v h="$(b field hd.before 2)" '{ if ($1) printf "%.1f MB", ($1 - h) / 1024 }')" "$(cmp_le "$v" 9124)"
v=$(field hd.after 3); goal "exec to first animation frame at 1920x1080 < 100 ms" "$v ms" "$(b field hd.before 3 | awk '{ if ($1) printf "%s ms", $1 }')" "$(cmp_le "$v" 99)"
