#!/usr/bin/env bash
# CI, as root inside a fresh Debian root after scripts/test.sh has built build/: makes the Debian package,
# installs it with apt-get, checks what it put in place, and starts the installed program as a normal user
# twice. The first start answers the language question; the second must find the answer remembered in
# ~/.config/Kurvilon/Kurvilon.ini and stay up without asking.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive

(cd build && cpack -G DEB >/dev/null)
apt-get install -y -qq ./build/kurvilon_*.deb >/dev/null
id="org.kurvilon.Kurvilon"
for f in /usr/bin/kurvilon /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/icons/hicolor/48x48/apps/$id.png \
  /usr/share/man/man1/kurvilon.1; do
  [ -e "$f" ] || { echo "install-check: missing $f" >&2; exit 1; }
done
desktop-file-validate /usr/share/applications/$id.desktop
appstreamcli validate --no-net /usr/share/metainfo/$id.metainfo.xml >/dev/null

# xdotool only drives the language question here; it is not one of the project's packages.
apt-get install -y -qq --no-install-recommends xdotool >/dev/null
id -u tester >/dev/null 2>&1 || useradd -m tester
ini=/home/tester/.config/Kurvilon/Kurvilon.ini

sudo -u tester -H xvfb-run -a bash -c '
  kurvilon & pid=$!
  dialog=$(timeout 15 xdotool search --sync --name "Language" | head -n 1)
  [ -n "$dialog" ] || { echo "no language question" >&2; exit 1; }
  sleep 1
  xdotool mousemove --window "$dialog" 30 72 click 1   # the second choice, English
  for i in $(seq 50); do grep -q "Language=Eng" "$HOME/.config/Kurvilon/Kurvilon.ini" 2>/dev/null && break; sleep 0.2; done
  kill -0 $pid && kill $pid'
grep -q "^Language=Eng" "$ini" || { echo "install-check: the language was not remembered in $ini" >&2; exit 1; }

status=0
sudo -u tester -H xvfb-run -a bash -c '
  timeout 20 kurvilon & pid=$!
  sleep 5
  if xdotool search --name "Language" >/dev/null; then echo "asked for the language again" >&2; kill $pid; exit 1; fi
  wait $pid' || status=$?
[ $status -eq 124 ] || { echo "install-check: the second start ended with status $status" >&2; exit 1; }
echo "install-check: package installed, started twice, language remembered in $ini"
