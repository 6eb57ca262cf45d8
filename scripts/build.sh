#!/usr/bin/env bash
# Configures and builds one build folder:
#   scripts/build.sh [--target NAME] [folder] [extra cmake args...]
# Without --target it builds everything (program, tests, benchmark).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target=()
if [ "${1:-}" = "--target" ]; then
  target=(--target "$2")
  shift 2
fi
dir="${1:-$root/build}"
shift || true
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${target[@]}"
