#!/bin/sh
# Builds and checks the three Debian packages (tests/install/check-packages.sh), installs them
# on THIS machine with apt, checks that they work together (/usr/bin/qel-v runs with the
# library from its package, the demo surveys the simulated modems, pkg-config finds the
# library), then removes them again. It changes the machine (as root, or with sudo), so it is
# not part of the CTest suite.
#
#   tests/install/check-deb.sh [BUILD_DIR]          (default: build)
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
given=${1:-$root/build}
given=${given%/}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for package in libqelv-modemlink1 libqelv-modemlink-dev qel-v; do
    if installed $package; then
        echo "check-deb: $package is already installed here; remove it first" >&2
        exit 1
    fi
done

"$root/tests/install/check-packages.sh" "$given"
# The tree check-packages.sh made the packages in.
prefix_of() { sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$1/CMakeCache.txt" 2>/dev/null; }
if [ "$(prefix_of "$given")" = /usr ]; then build=$given; else build=$given-deb; fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
lib=libqelv-modemlink${version%%.*}
packages="$lib libqelv-modemlink-dev qel-v"
arch=$(dpkg --print-architecture)

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Purged, not only removed: the library's package has maintainer scripts (CPack's ldconfig
# calls), and dpkg would keep it listed in state rc until then.
removed=0
remove() {
    [ "$removed" -eq 0 ] || return 0
    removed=1
    # shellcheck disable=SC2086
    $SUDO apt-get purge -y -q $packages
}
trap remove EXIT

# apt needs paths it can read as the _apt user, so the packages go through /tmp.
stage=$(mktemp -d)
chmod 755 "$stage"
debs=""
for package in $packages; do
    cp "$build/${package}_${version}_$arch.deb" "$stage/"
    debs="$debs $stage/${package}_${version}_$arch.deb"
done
# shellcheck disable=SC2086
$SUDO apt-get install -y -q $debs
rm -rf "$stage"

for package in $packages; do
    installed "$package" || fail "$package is not installed"
done
# dpkg's ldconfig trigger has put the library into the loader's cache.
ldconfig -p | grep -q "libqelv-modemlink\.so\.${version%%.*} " || fail "ldconfig does not know libqelv-modemlink"
[ "$(command -v qel-v)" = /usr/bin/qel-v ] || fail "qel-v is not /usr/bin/qel-v"
loaded=$(ldd /usr/bin/qel-v | sed -n 's/^[[:space:]]*libqelv-modemlink\.so\.[0-9]* => \([^ ]*\).*/\1/p')
case $loaded in
    /usr/lib/*/libqelv-modemlink.so.*|/lib/*/libqelv-modemlink.so.*) ;;
    *) fail "/usr/bin/qel-v does not load the library from its package: ${loaded:-not found}" ;;
esac
version_line=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/qel-v --version) || fail "qel-v --version: exit status $?"
echo "check-deb: /usr/bin/qel-v --version: $version_line"
case $version_line in "qel-v $version "*) ;; *) fail "the version does not match the package's" ;; esac
# The installed demo finds its simulator in /usr/libexec/qel-v.
[ -x /usr/libexec/qel-v/qelv-modemsim ] || fail "the simulator is missing"
man -w qel-v >/dev/null 2>&1 || fail "man does not find qel-v(1)"
# A demo survey without a display (about 15 s): the simulated Hayes modem answers on COM1.
# The table is made wide enough to show its answer whole.
state=$(mktemp -d)
demo=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u QELV_PORTS -u QELV_MODEMSIM \
    XDG_STATE_HOME="$state" COLUMNS=1000 /usr/bin/qel-v --demo 2>/dev/null) || fail "qel-v --demo: exit status $?"
rm -rf "$state"
printf '%s\n' "$demo" | grep -q '^COM1 .*SIM-5600' || fail "qel-v --demo did not survey the simulated modems"
# What building against the library takes is found where Debian looks for it.
[ "$(pkg-config --modversion qelv-modemlink 2>&1)" = "$version" ] \
    || fail "pkg-config --modversion qelv-modemlink: $(pkg-config --modversion qelv-modemlink 2>&1)"
pkg-config --libs qelv-modemlink | grep -q -- '-lqelv-modemlink' || fail "pkg-config --libs does not name the library"

remove
for package in $packages; do
    dpkg-query -W "$package" >/dev/null 2>&1 && fail "dpkg still knows $package: $(dpkg-query -W -f='${Status}' "$package")"
done
[ ! -e /usr/bin/qel-v ] || fail "/usr/bin/qel-v is still there"
ldconfig -p | grep -q 'libqelv-modemlink\.so' && fail "ldconfig still knows libqelv-modemlink"

if [ "$failures" -ne 0 ]; then
    echo "check-deb: $failures failure(s)" >&2
    exit 1
fi
echo "check-deb: the three packages build, install, work together and remove cleanly"
