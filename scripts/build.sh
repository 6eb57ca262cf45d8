#!/usr/bin/env bash
# Configures and builds one build folder:
#   scripts/build.sh [--target NAME] [folder] [extra cmake args...]
# Without --target it builds everything (program, tests, benchmark).
# KURVILON_WERROR=ON in the environment (CI sets it) makes every warning an error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target=()
if [ "${1:-}" = "--target" ]; then
  target=(--target "$2")
  shift 2
fi
dir="${1:-$root/build}"
shift || true
werror=()
[ -n "${KURVILON_WERROR:-}" ] && werror=(-DKURVILON_WERROR="$KURVILON_WERROR")
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${werror[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${target[@]}"
