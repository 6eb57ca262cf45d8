#!/usr/bin/env bash
# Starts the real program under Xvfb, types the linear example into the table
# and saves a screenshot: scripts/screenshot.sh [out.png] [Rus|Eng]
# The program's settings file is put beside the built executable first, so the
# start asks no question.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/screenshot.png}"
lang="${2:-Rus}"
exe="$root/build/src/kurvilon"
"$root/scripts/deps.sh" --look
[ -x "$exe" ] || "$root/scripts/build.sh" "$root/build"

ini="$(dirname "$exe")/Kurvilon.ini"
printf '[Config]\r\nLanguage=%s\r\nPoints=Yes\r\n[FormMain]\r\nLeft=0\r\nTop=0\r\nFunction=1\r\nOnTop=N\r\n' "$lang" >"$ini"

export KURVILON_SHOT_OUT="$out" KURVILON_EXE="$exe"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$KURVILON_EXE" & pid=$!
  for i in $(seq 50); do xdotool search --name "." >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1.5
  win=$(xdotool search --pid $pid | tail -1)
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win" || true
  sleep 0.3
  # The table has the focus at start: Y, Enter, X, Enter, ...
  for pair in "2.1 1" "3.9 2" "6.2 3" "7.8 4"; do
    set -- $pair
    xdotool type --delay 30 "$1"; xdotool key Return
    xdotool type --delay 30 "$2"; xdotool key Return
  done
  sleep 0.8
  import -window root "$KURVILON_SHOT_OUT"
  kill $pid
'
echo "screenshot: $out"
