#!/bin/sh
# Installs what QEL-V needs to build, run and test on Debian 12. Uses sudo when not root.
set -eu
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev libudev-dev libtelnet-dev ser2net
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-noto-cjk
  xvfb xauth socat picocom clang libclang-rt-14-dev
  desktop-file-utils man-db dpkg-dev clang-format util-linux
  imagemagick xdotool
  doxygen lintian appstream
  systemd prometheus prometheus-node-exporter
  dbus-daemon python3-dbusmock
"
# promtool comes with prometheus; the tests start a node exporter and ser2net of their own.
# These packages start and enable their daemons when installed, which would serve on ports
# 9090 and 9100 from then on, and ser2net would serve the machine's ttyS0 and ttyS1 to anyone
# who connects: they are installed under a policy that starts no service (unless the machine
# has a policy of its own), and the daemons they enabled are disabled again.
DAEMONS="prometheus prometheus-node-exporter ser2net"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=""
for p in $PACKAGES; do
  installed "$p" || missing="$missing $p"
done
new_daemons=""
for d in $DAEMONS; do
  installed "$d" || new_daemons="$new_daemons $d"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  policy=/usr/sbin/policy-rc.d
  if [ -n "$new_daemons" ] && [ ! -e "$policy" ]; then
    trap '$SUDO rm -f "$policy"' EXIT
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
    $SUDO chmod 755 "$policy"
  fi
  $SUDO apt-get update -q
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -q --no-install-recommends $missing
  for d in $new_daemons; do
    $SUDO systemctl disable -q "$d.service" 2>/dev/null || true
    if [ -d /run/systemd/system ]; then $SUDO systemctl stop "$d.service" 2>/dev/null || true; fi
  done
fi
