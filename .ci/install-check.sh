#!/usr/bin/env bash
# CI, as root inside a fresh Debian root after scripts/test.sh has built build/: makes the Debian package and
# has lintian check it, installs it with apt-get and checks what it put in place, fits a table with
# `kurvilon fit` and writes its chart and report with `kurvilon chart` and `kurvilon report`, all with no
# display, starts the installed window as root (its settings must go to root's configuration folder, never
# beside the program) and as a normal user twice (the first start answers the language question; the second
# must find the answer remembered in ~/.config/Kurvilon/Kurvilon.ini and stay up without asking), and finally
# purges the package, which must leave nothing behind.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive

# A package names who made it; this one is CI's, under a name that can never be a real address.
rm -f build/kurvilon_*.deb
(cd build && DEBFULLNAME="Kurvilon CI" DEBEMAIL="ci@kurvilon.invalid" cpack -G DEB >/dev/null)
# lintian, xdotool and man only check the package, drive the language question and show the manual page;
# none of them is the project's.
apt-get install -y -qq --no-install-recommends lintian xdotool man-db >/dev/null
lintian --fail-on error,warning build/kurvilon_*.deb

apt-get install -y -qq ./build/kurvilon_*.deb >/dev/null
id="org.kurvilon.Kurvilon"
for f in /usr/bin/kurvilon /usr/libexec/kurvilon/kurvilon-window /usr/libexec/kurvilon/kurvilon-locale.so \
  /usr/share/applications/$id.desktop \
  /usr/share/metainfo/$id.metainfo.xml /usr/share/icons/hicolor/scalable/apps/$id.svg \
  /usr/share/icons/hicolor/48x48/apps/$id.png /usr/share/man/man1/kurvilon.1.gz \
  /usr/share/bash-completion/completions/kurvilon /usr/share/doc/kurvilon/copyright \
  /usr/share/doc/kurvilon/changelog.gz; do
  [ -e "$f" ] || { echo "install-check: missing $f" >&2; exit 1; }
done
desktop-file-validate /usr/share/applications/$id.desktop
appstreamcli validate --no-net /usr/share/metainfo/$id.metainfo.xml >/dev/null

# The command line: no display, no widget library, the window's texts.
if readelf -d /usr/bin/kurvilon | grep -E 'libQt6(Gui|Widgets)'; then
  echo "install-check: kurvilon links a widget library" >&2
  exit 1
fi
# (grep reads all it is given: with pipefail a writer cut short would fail the pipeline.)
kurvilon --version | grep -F "GPLv3+" >/dev/null
fitted=$(printf '2.1 1\n3.9 2\n6.2 3\n7.8 4\n' | env -u DISPLAY LC_ALL=C.UTF-8 kurvilon fit --kind=linear --format=tsv -)
echo "$fitted" | grep -xF $'formula\tY = 1.9400000 * X  +1.5000000e-1' >/dev/null ||
  { echo "install-check: kurvilon fit printed: $fitted" >&2; exit 1; }
status=0
kurvilon fit /nonexistent 2>/dev/null || status=$?
[ $status -eq 3 ] || { echo "install-check: a missing file gave status $status" >&2; exit 1; }
MANWIDTH=80 man kurvilon 2>/dev/null | grep -F "kurvilon fit [OPTION]" >/dev/null ||
  { echo "install-check: man kurvilon does not show the fit command" >&2; exit 1; }
# The chart and the report without a display, as root and as nobody in particular (no settings yet).
out=$(mktemp -d)
printf '2.1 1\n3.9 2\n6.2 3\n7.8 4\n' >"$out/table.txt"
for f in chart.svg chart.png chart.pdf; do
  env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C.UTF-8 kurvilon chart --kind=linear "$out/table.txt" -o "$out/$f"
done
env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C.UTF-8 kurvilon report --lang=en "$out/table.txt" -o "$out/report.pdf"
for f in chart.svg chart.png chart.pdf report.pdf; do
  [ -s "$out/$f" ] || { echo "install-check: kurvilon chart/report wrote no $f" >&2; exit 1; }
done
grep -q "<svg" "$out/chart.svg" || { echo "install-check: chart.svg is no SVG" >&2; exit 1; }
head -c 5 "$out/report.pdf" | grep -q "%PDF-" || { echo "install-check: report.pdf is no PDF" >&2; exit 1; }
MANWIDTH=80 man kurvilon 2>/dev/null | grep -F "kurvilon report [OPTION]" >/dev/null ||
  { echo "install-check: man kurvilon does not show the report command" >&2; exit 1; }
rm -rf "$out"

# Answers the language question of a window started by the calling user (English), then ends it.
first_start='
  kurvilon & pid=$!
  dialog=$(timeout 15 xdotool search --sync --name "Language" | head -n 1)
  [ -n "$dialog" ] || { echo "no language question" >&2; exit 1; }
  sleep 1
  xdotool mousemove --window "$dialog" 30 72 click 1   # the second choice, English
  for i in $(seq 50); do grep -q "Language=Eng" "$HOME/.config/Kurvilon/Kurvilon.ini" 2>/dev/null && break; sleep 0.2; done
  kill -0 $pid && kill $pid'

# Root may write /usr/bin and /usr/libexec: the settings must still go to root's configuration folder.
HOME=/root xvfb-run -a bash -c "$first_start"
grep -q "^Language=Eng" /root/.config/Kurvilon/Kurvilon.ini ||
  { echo "install-check: root's language was not remembered in /root/.config/Kurvilon" >&2; exit 1; }
for f in /usr/bin/Kurvilon.ini /usr/libexec/kurvilon/Kurvilon.ini; do
  [ ! -e "$f" ] || { echo "install-check: root's start wrote $f" >&2; exit 1; }
done

id -u tester >/dev/null 2>&1 || useradd -m tester
ini=/home/tester/.config/Kurvilon/Kurvilon.ini
sudo -u tester -H xvfb-run -a bash -c "$first_start"
grep -q "^Language=Eng" "$ini" || { echo "install-check: the language was not remembered in $ini" >&2; exit 1; }

status=0
sudo -u tester -H xvfb-run -a bash -c '
  timeout 20 kurvilon & pid=$!
  sleep 5
  if xdotool search --name "Language" >/dev/null; then echo "asked for the language again" >&2; kill $pid; exit 1; fi
  wait $pid' || status=$?
[ $status -eq 124 ] || { echo "install-check: the second start ended with status $status" >&2; exit 1; }

# Purging leaves no file of the package behind.
apt-get purge -y -qq kurvilon >/dev/null
for f in /usr/bin/kurvilon /usr/libexec/kurvilon /usr/share/doc/kurvilon /usr/bin/Kurvilon.ini; do
  [ ! -e "$f" ] || { echo "install-check: $f is left after the purge" >&2; exit 1; }
done
echo "install-check: package clean for lintian, installed, fitted, charted and reported without a display, started as root and" \
  "twice as a user, language remembered in $ini and /root/.config, nothing left after the purge"
