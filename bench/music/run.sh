#!/usr/bin/env bash
# Builds the music benchmark in a build folder and prints its figures for every song made.
#   bench/music/run.sh [build-folder] [seconds]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
seconds="${2:-15}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 1 --target wumpets-music-bench
for song in "$build"/data/d_*.Mid; do
  SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" "$build/bench/music/wumpets-music-bench" "$song" "$seconds"
  echo
done
