#!/usr/bin/env bash
# Sets up, builds and starts Festral Quorvel in its own working folder, run/, beside the
# files of the four default games. The library file quorvels.dat is the program's own: it
# is written there on the first start and never touched by this script.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -- festral-quorvel quorvel_games
mkdir -p "$root/run"
cp -u "$root/build/games/"* "$root/run/"
cd "$root/run"
exec "$root/build/festral-quorvel"
