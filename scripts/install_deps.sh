#!/bin/sh
# Installs the Debian packages the build, the tests and the runs need, when any is missing.
# Usage: scripts/install_deps.sh [run|test|ci]
set -e
mode=${1:-test}
packages="build-essential cmake pkg-config libsdl2-dev libjpeg-dev libstb-dev libvorbis-dev libopenmpt-dev
  libgtest-dev fonts-dejavu-core locales"
packages="$packages libmpg123-dev"
case "$mode" in
  run) packages="$packages imagemagick" ;;
  test) ;;
  ci) packages="$packages clang libclang-rt-14-dev patch mingw-w64 xvfb x11-utils xdotool imagemagick sox wine wine64
    python3 file" ;;
esac
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
fi
# The clock tests and runs compare a 12-hour and a 24-hour locale.
for loc in en_US de_DE; do
  locale -a 2>/dev/null | grep -qi "^$loc.utf-\?8$" && continue
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
done
