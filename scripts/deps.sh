#!/bin/sh
# Installs what QEL-V needs to build, run and test on Debian 12. Uses sudo when not root.
set -eu
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev libudev-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-noto-cjk
  xvfb xauth socat picocom clang libclang-rt-14-dev
  desktop-file-utils man-db dpkg-dev clang-format util-linux
  imagemagick xdotool
  doxygen lintian appstream
  dbus-daemon python3-dbusmock
"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi
