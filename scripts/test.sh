#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# With --sanitize it builds a second folder with address and undefined-behaviour
# sanitizers and runs the same tests there; any sanitizer report fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
sanitize=0
[ "${1:-}" = "--sanitize" ] && sanitize=1

"$root/scripts/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)")

if [ $sanitize -eq 1 ]; then
  "$root/scripts/build.sh" "$root/build-asan" -DKURVILON_SANITIZE=ON
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  (cd "$root/build-asan" && ctest --output-on-failure -j"$(nproc)")
fi
