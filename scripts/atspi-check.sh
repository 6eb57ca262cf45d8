#!/usr/bin/env bash
# Starts the built program under Xvfb with an accessibility bus, types the
# linear example and reads the window over AT-SPI as a screen reader would:
# scripts/atspi-check.sh [Rus|Eng]. Needs xvfb-run, dbus-run-session, xdotool,
# at-spi2-core and python3-pyatspi. Exits non-zero when a check fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
lang="${1:-Rus}"
exe="$root/build/src/kurvilon"
[ -x "$exe" ] || "$root/scripts/build.sh" "$root/build"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || launcher=/usr/lib/at-spi2-core/at-spi-bus-launcher

# A settings file beside the program, so the start asks no question; any
# earlier one is put back afterwards.
ini="$(dirname "$exe")/Kurvilon.ini"
saved=""
if [ -e "$ini" ]; then saved="$(mktemp)"; cp "$ini" "$saved"; fi
restore() { if [ -n "$saved" ]; then mv "$saved" "$ini"; else rm -f "$ini"; fi; }
trap restore EXIT
printf '[Config]\r\nLanguage=%s\r\nPoints=Yes\r\n[FormMain]\r\nLeft=0\r\nTop=0\r\nFunction=1\r\nOnTop=N\r\n' "$lang" >"$ini"

export KURVILON_EXE="$exe" KURVILON_LANG="$lang" KURVILON_CHECK="$root/scripts/atspi-check.py" LAUNCHER="$launcher"
xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  "$LAUNCHER" --launch-immediately & bus=$!
  sleep 1
  "$KURVILON_EXE" & pid=$!
  for i in $(seq 50); do xdotool search --pid $pid >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1.5
  win=$(xdotool search --pid $pid | tail -1)
  xdotool windowfocus "$win" 2>/dev/null || true
  for pair in "2.1 1" "3.9 2" "6.2 3" "7.8 4"; do
    set -- $pair
    xdotool type --delay 30 "$1"; xdotool key Return
    xdotool type --delay 30 "$2"; xdotool key Return
  done
  sleep 1
  status=0
  /usr/bin/python3 "$KURVILON_CHECK" "$KURVILON_LANG" || status=$?
  kill $pid $bus 2>/dev/null || true
  exit $status
'
