#!/bin/sh
# Builds the Debian package with cpack, installs it on THIS machine with apt, checks that
# /usr/bin/qel-v runs and that the package holds what it should, then removes it again.
# It changes the machine (as root, or with sudo), so it is not part of the CTest suite.
#
#   tests/install/check-deb.sh [BUILD_DIR]          (default: build)
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

if dpkg-query -W -f='${Status}' qel-v 2>/dev/null | grep -q "install ok installed"; then
    echo "check-deb: qel-v is already installed here; remove it first" >&2
    exit 1
fi

cmake --build "$build" --target qel-v qelv-modemsim
rm -f "$build"/qel-v_*.deb
(cd "$build" && cpack -G DEB)
set -- "$build"/qel-v_*_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "check-deb: cpack made no single package: $*" >&2
    exit 1
fi
deb=$1
echo "check-deb: $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = qel-v ] || fail "package name $(field Package)"
[ "$(field Section)" = utils ] || fail "section $(field Section)"
field Depends | grep -q 'libqt6widgets6' || fail "no dependency on libqt6widgets6: $(field Depends)"
field Depends | grep -q 'libqt6serialport6' || fail "no dependency on libqt6serialport6"
field Recommends | grep -q 'fonts-noto-cjk' || fail "no Recommends on fonts-noto-cjk"
contents=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/qel-v ./usr/libexec/qel-v/qelv-modemsim ./usr/share/applications/qel-v.desktop \
         ./usr/share/icons/hicolor/48x48/apps/qel-v.png ./usr/share/icons/hicolor/scalable/apps/qel-v.svg \
         ./usr/share/man/man1/qel-v.1; do
    printf '%s\n' "$contents" | grep -q " $f\$" || fail "the package lacks $f"
done

removed=0
remove() {
    [ "$removed" -eq 0 ] || return 0
    removed=1
    $SUDO apt-get remove -y -q qel-v
}
trap remove EXIT

# apt needs a path it can read as the _apt user, so the package goes through /tmp.
stage=$(mktemp -d)
chmod 755 "$stage"
cp "$deb" "$stage/"
$SUDO apt-get install -y -q "$stage/$(basename "$deb")"
rm -rf "$stage"

[ "$(command -v qel-v)" = /usr/bin/qel-v ] || fail "qel-v is not /usr/bin/qel-v"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/qel-v --version) || fail "qel-v --version: exit status $?"
echo "check-deb: /usr/bin/qel-v --version: $version"
case $version in "qel-v $(field Version) "*) ;; *) fail "the version does not match the package's" ;; esac
# The installed demo finds its simulator in /usr/libexec/qel-v.
[ -x /usr/libexec/qel-v/qelv-modemsim ] || fail "the simulator is missing"
man -w qel-v >/dev/null 2>&1 || fail "man does not find qel-v(1)"
# A demo survey without a display (about 15 s): the simulated Hayes modem answers on COM1.
state=$(mktemp -d)
demo=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u QELV_PORTS -u QELV_MODEMSIM \
    XDG_STATE_HOME="$state" /usr/bin/qel-v --demo 2>/dev/null) || fail "qel-v --demo: exit status $?"
rm -rf "$state"
printf '%s\n' "$demo" | grep -q '^COM1 .*SIM-5600' || fail "qel-v --demo did not survey the simulated modems"

remove
dpkg-query -W -f='${Status}' qel-v 2>/dev/null | grep -q "install ok installed" && fail "qel-v is still installed"
[ ! -e /usr/bin/qel-v ] || fail "/usr/bin/qel-v is still there"

if [ "$failures" -ne 0 ]; then
    echo "check-deb: $failures failure(s)" >&2
    exit 1
fi
echo "check-deb: the package builds, installs, runs and removes cleanly"
