#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh <folder> [cmake options...] [-- targets...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="$1"
shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options+=("$1")
  shift
done
[ "${1:-}" = "--" ] && shift
targets=("$@")

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$folder" "${launcher[@]}" "${options[@]}" >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$folder" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$folder" -j"$(nproc)"
fi
