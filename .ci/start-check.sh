#!/usr/bin/env bash
# CI: the window starts and stays up. scripts/run.sh runs on a virtual screen; the window program that
# build/src/kurvilon becomes must still be running 20 s after it appeared. The program is built first, so
# that the 20 s are the program's own and not the compiler's (a build still running at the deadline would
# look like a program that stays up).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh --target kurvilon build
exe="$(pwd)/build/src/kurvilon-window"

program_pid() {
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$exe" ] && { echo "${p#/proc/}"; return; }
  done
  return 0
}

xvfb-run -a scripts/run.sh &
runner=$!
pid=""
for _ in $(seq 240); do
  pid=$(program_pid)
  [ -n "$pid" ] && break
  kill -0 $runner 2>/dev/null || break
  sleep 0.5
done
[ -n "$pid" ] || { echo "start-check: the program did not start" >&2; wait $runner || true; exit 1; }
sleep 20
if ! kill -0 "$pid" 2>/dev/null; then
  echo "start-check: the program ended within 20 s" >&2
  wait $runner || true
  exit 1
fi
kill "$pid"
wait $runner || true
echo "start-check: the program started and stayed up for 20 s"
