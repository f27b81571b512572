#!/usr/bin/env bash
# Builds the music benchmark in a build folder and prints its figures for every song made, on
# each output: SDL's "dummy" (no sound card: the silent clock, nothing synthesized) and "disk"
# (written to /dev/null in real time: what a sound card or sound server costs the program).
#   bench/music/run.sh [build-folder] [seconds]
#   SDL_AUDIODRIVER=NAME bench/music/run.sh ...   that output only
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
seconds="${2:-15}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 1 --target wumpets-music-bench
for driver in ${SDL_AUDIODRIVER:-dummy disk}; do
  for song in "$build"/data/d_*.Mid; do
    SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=/dev/null \
      "$build/bench/music/wumpets-music-bench" "$song" "$seconds" 2> >(grep -v "disk i/o audio driver\|Writing to file" >&2)
    echo
  done
done
