#!/usr/bin/env bash
# Starts the real program under Xvfb, types the linear example into the table
# and saves a screenshot: scripts/screenshot.sh [out.png] [Rus|Eng] [statistics]
# With "statistics" the fit statistics window is open beside the window and
# the chart shows the 95 % band.
# The program's settings file is put beside the built executable first, so the
# start asks no question.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/screenshot.png}"
lang="${2:-Rus}"
extra="${3:-}"
exe="$root/build/src/kurvilon"
"$root/scripts/deps.sh" --look
[ -x "$exe" ] || "$root/scripts/build.sh" "$root/build"

ini="$(dirname "$exe")/Kurvilon.ini"
band=""
window=""
screen=1024x768
if [ "$extra" = statistics ]; then
  screen=1600x900  # room for the statistics window beside the main one
  band='Band=Yes\r\n'
  window='[FormStatistics]\r\nLeft=520\r\nTop=0\r\nVisible=Y\r\n'
fi
printf "[Config]\r\nLanguage=%s\r\nPoints=Yes\r\n${band}[FormMain]\r\nLeft=0\r\nTop=0\r\nFunction=1\r\nOnTop=N\r\n${window}" "$lang" >"$ini"

export KURVILON_SHOT_OUT="$out" KURVILON_EXE="$exe"
xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
  "$KURVILON_EXE" & pid=$!
  for i in $(seq 50); do xdotool search --name "." >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1.5
  # The main window: the last of the program'"'"'s windows that is not the statistics window.
  for w in $(xdotool search --pid $pid); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in
      "Fit statistics" | "Статистика аппроксимации") ;;
      *) win=$w ;;
    esac
  done
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
