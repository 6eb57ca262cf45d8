#!/usr/bin/env bash
# Installs what is missing, builds the program (only the program: tests are test.sh's) and starts it.
# Needs a display; without one, run it under xvfb-run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" --target kurvilon "$root/build"
exec "$root/build/src/kurvilon" "$@"
