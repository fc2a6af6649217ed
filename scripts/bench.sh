#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks in an optimised build; prints their figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QUORVEL_GAMES_DIR="$root/build-bench/games"
for bench in "$root"/build-bench/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench"
done
echo "== sound and start-up on a real sound server"
bash "$root/bench/sound.sh" "$root/build-bench"
