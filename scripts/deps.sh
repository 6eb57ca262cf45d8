#!/usr/bin/env bash
# Installs the Debian 12 packages Kurvilon needs to build, run and test; the one list of packages.
# run.sh and test.sh call it; when nothing is missing it runs no apt command at all.
#   scripts/deps.sh          what the two README commands need
#   scripts/deps.sh --look   also the tools of scripts/screenshot.sh (xdotool, ImageMagick)
set -euo pipefail

PACKAGES=(
  build-essential cmake
  # Qt 6: Charts needs the OpenGL development files, which qt6-base-dev only recommends.
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-svg-dev
  # Qt's own Russian texts (buttons of message boxes, file and print dialogs).
  qt6-translations-l10n
  libgtest-dev
  # Boost's header-only Math (Student's t for the fit statistics) and, in the tests, Multiprecision.
  libboost-dev
  # Fonts the window asks for; the window tests measure texts in them.
  fonts-liberation fonts-dejavu-core
  # The start check runs the window on a virtual X server; the install tests validate the desktop files.
  xvfb xauth desktop-file-utils appstream
  # cpack -G DEB finds the program among the installed files with file(1) before it reads its libraries.
  file
  # The report's window test reads its PDF's text back with pdftotext.
  poppler-utils
)
[ "${1:-}" = "--look" ] && PACKAGES+=(xdotool imagemagick)

# Only real package names here: dpkg-query never reports a virtual package as installed.
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
