#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks in an optimised build; prints their figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release

# The sound benchmark needs a sound server and its tools; the tests do not.
missing=()
for p in pulseaudio pulseaudio-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    --no-install-recommends "${missing[@]}"
fi
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QUORVEL_GAMES_DIR="$root/build-bench/games"
for bench in "$root"/build-bench/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench"
done
echo "== sound and start-up on a real sound server"
bash "$root/bench/sound.sh" "$root/build-bench"
