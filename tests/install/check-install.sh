#!/bin/sh
# Installs a build into a temporary prefix and checks what lands there: the program, the modem
# simulator, the desktop entry (desktop-file-validate), the icons, the manual page (rendered
# by man without a single warning) and the systemd units (systemd-analyze verify); then runs
# the installed program.
#
#   tests/install/check-install.sh BUILD_DIR
set -eu

build=${1:?usage: check-install.sh BUILD_DIR}
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
}

for f in bin/qel-v libexec/qel-v/qelv-modemsim; do
    if [ ! -f "$prefix/$f" ] || [ ! -x "$prefix/$f" ]; then fail "$f is missing or not executable"; continue; fi
    # Installed programs are stripped and hold no path of the machine they were built on.
    readelf -S "$prefix/$f" | grep -q '\.debug_info' && fail "$f is not stripped"
    # The sanitizers' own metadata names each source file as the compiler was given it,
    # which no prefix map reaches; only a build without them is held to this.
    if ! grep -q '^QELV_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
        strings -a "$prefix/$f" | grep -qF -e "$source" -e "$(cd "$build" && pwd)" && fail "$f holds a build path"
    fi
done
for f in share/applications/qel-v.desktop share/man/man1/qel-v.1 \
         share/icons/hicolor/scalable/apps/qel-v.svg; do
    [ -s "$prefix/$f" ] || fail "$f is missing"
done
for size in 16 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/qel-v.png"
    if [ ! -s "$png" ]; then
        fail "the ${size}x${size} icon is missing"
    elif [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" != "89504e470d0a1a0a" ]; then
        fail "the ${size}x${size} icon is not a PNG file"
    fi
done

desktop="$prefix/share/applications/qel-v.desktop"
if [ -f "$desktop" ]; then
    # Hints and warnings count as failures too: the entry is small enough to be spotless.
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: exit status $?"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    grep -qx 'Exec=qel-v' "$desktop" || fail "the desktop entry does not run qel-v"
    grep -qx 'Icon=qel-v' "$desktop" || fail "the desktop entry does not name the qel-v icon"
fi

page="$prefix/share/man/man1/qel-v.1"
if [ -f "$page" ]; then
    for width in 80 60; do
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=$width \
            man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || fail "man -l: exit status $?"
        [ -z "$warnings" ] || fail "man -l (width $width) warns: $warnings"
    done
    # Every option of the program's help has its place in the page.
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$page" 2>/dev/null)
    for option in --text --json --demo --ports --port --read-log --help --version \
                  rfc2217:// socket:// \
                  --op --wait --expect --break --no-events --settings --log \
                  QELV_PORTS QELV_MODEMSIM XDG_STATE_HOME MDCOM.LOG dialout ModemManager; do
        printf '%s\n' "$text" | grep -q -- "$option" || fail "the manual page does not mention $option"
    done
fi

if [ -x "$prefix/bin/qel-v" ]; then
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/qel-v" --version) \
        || fail "the installed qel-v --version: exit status $?"
    case $version in
        "qel-v "[0-9]*) ;;
        *) fail "the installed qel-v --version printed: $version" ;;
    esac
    # The help and the manual page name the same options.
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/qel-v" --help)
    for option in $(printf '%s\n' "$help" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        printf '%s\n' "${text:-}" | grep -q -- "$option" || fail "the manual page lacks $option of --help"
    done
fi

# The timer and its service, as systemd reads them: `systemd-analyze verify` says nothing at
# all of units it finds sound (unknown keys are only warned about, with status 0). It also
# checks that the service's program exists (the install wrote its path under this prefix)
# and that `man qel-v` finds the page the units name.
units="$prefix/lib/systemd/system"
for f in qel-v-metrics.service qel-v-metrics.timer; do
    [ -s "$units/$f" ] || fail "lib/systemd/system/$f is missing"
done
grep -qx "ExecStart=$prefix/bin/qel-v --metrics --parallel --output /var/lib/prometheus/node-exporter/qel-v.prom" \
    "$units/qel-v-metrics.service" || fail "the service does not run the installed qel-v --metrics"
grep -q '^WantedBy=' "$units/qel-v-metrics.service" && fail "the service would be started on its own, not by the timer"
if [ -s "$units/qel-v-metrics.service" ] && [ -s "$units/qel-v-metrics.timer" ]; then
    verified=$(MANPATH="$prefix/share/man:" systemd-analyze verify \
        "$units/qel-v-metrics.service" "$units/qel-v-metrics.timer" 2>&1) \
        || fail "systemd-analyze verify: exit status $?"
    [ -z "$verified" ] || fail "systemd-analyze verify: $verified"
fi

if [ "$failures" -ne 0 ]; then
    echo "check-install: $failures failure(s)" >&2
    exit 1
fi
echo "check-install: the install tree is complete"
