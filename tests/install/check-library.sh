#!/bin/sh
# Installs a build into a temporary prefix and uses the modem-link library the way another
# program would: every installed header compiles on its own, the library exports exactly
# what the headers mark QELV_EXPORT, and examples/atping builds outside the source tree both
# through find_package(QelvModemLink) and through pkg-config, then runs against simulated
# modems on pseudo-terminals, directly and over RFC 2217 through Debian's ser2net.
#
#   tests/install/check-library.sh BUILD_DIR
set -eu

build=$(cd "${1:?usage: check-library.sh BUILD_DIR}" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
sim=""
holder=""
ser2net=""
cleanup() {
    # ser2net before the simulator: the device it serves must outlive it.
    [ -z "$ser2net" ] || { kill "$ser2net" 2>/dev/null; wait "$ser2net" 2>/dev/null; } || true
    [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
prefix="$work/prefix"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for component in lib dev; do
    cmake --install "$build" --prefix "$prefix" --component "$component" >"$work/install.log" 2>&1 || {
        cat "$work/install.log" >&2
        echo "FAIL: cmake --install --component $component" >&2
        exit 1
    }
done
# lib/ or lib/<multiarch>/, as the prefix the build was configured with decides.
library=$(find "$prefix" -name libqelv-modemlink.so.1 | head -n 1)
[ -n "$library" ] || { echo "FAIL: no libqelv-modemlink.so.1 under $prefix" >&2; exit 1; }
libdir=$(dirname "$library")
[ -f "$libdir/pkgconfig/qelv-modemlink.pc" ] || fail "no pkg-config file in $libdir/pkgconfig"
readelf -d "$library" | grep -q 'Library soname: \[libqelv-modemlink.so.1\]' || fail "the soname is not libqelv-modemlink.so.1"
qtflags=$(pkg-config --cflags Qt6Core)

# Each header on its own, with nothing but the installed ones and Qt's on the include path.
headers=$(cd "$prefix/include/qelv" && ls ./*.h | sed 's|^\./||')
[ -n "$headers" ] || fail "no headers in $prefix/include/qelv"
# shellcheck disable=SC2086
printf '%s\n' $headers | xargs -P 2 -I{} sh -c \
    'printf "#include <qelv/%s>\n" "$1" | c++ -std=c++20 -fPIC -fsyntax-only -Wall -Wextra -Werror \
        -I"$2/include" $3 -x c++ - 2>"$4/header-$1.log" || echo "$1" >>"$4/header-failures"' \
    sh {} "$prefix" "$qtflags" "$work"
if [ -s "$work/header-failures" ]; then
    for h in $(cat "$work/header-failures"); do
        cat "$work/header-$h.log" >&2
        fail "<qelv/$h> does not compile on its own"
    done
fi

# The public names: what the headers mark QELV_EXPORT, qualified by the namespaces around it.
awk '
    /^namespace [A-Za-z_:]+ \{/ { stack[++depth] = $2; next }
    /^\}  \/\/ namespace/ { depth--; next }
    /^[ \t]*(\/\/|#|\*)/ { next }
    /QELV_EXPORT/ {
        line = $0
        if (match(line, /(class|struct) QELV_EXPORT [A-Za-z_]+/)) {
            name = substr(line, RSTART, RLENGTH); sub(/.* /, "", name)
        } else if (match(line, /[A-Za-z_]+\(/)) {
            name = substr(line, RSTART, RLENGTH - 1)
        } else next
        ns = ""; for (i = 1; i <= depth; i++) ns = ns stack[i] "::"
        print ns name
    }' "$prefix"/include/qelv/*.h | sort -u >"$work/public-names"
# What the library exports, by the name each symbol belongs to.
nm -D --defined-only -C "$library" | sed 's/^[0-9a-f]* [A-Za-z] //' | grep -v '^QELV_MODEMLINK_1$' \
    | sed -e 's/^typeinfo name for //' -e 's/^typeinfo for //' -e 's/^vtable for //' \
          -e 's/^non-virtual thunk to //' -e 's/@@QELV_MODEMLINK_1$//' -e 's/(.*//' \
    | sort -u >"$work/exported"
[ -s "$work/exported" ] || fail "the library exports nothing"
while IFS= read -r symbol; do
    owner=""
    while IFS= read -r name; do
        case $symbol in "$name" | "$name"::*) owner=$name; break ;; esac
    done <"$work/public-names"
    [ -n "$owner" ] || fail "the library exports $symbol, which no public header marks"
done <"$work/exported"
while IFS= read -r name; do
    grep -q -e "^$name\$" -e "^$name::" "$work/exported" || fail "the headers mark $name, which the library does not export"
done <"$work/public-names"
echo "check-library: $(wc -l <"$work/public-names") public names and $(wc -l <"$work/exported") exported ones compared"

# qel-v runs on the shared library alone: a copy of its code linked in as well would hold
# state of its own (the end request a signal sets, the claims on ports) that the library's
# code never sees. Inline functions may be compiled into the program; nothing else may.
nm -C --defined-only "$build/bin/qel-v" | awk '$2 == "T" || $2 == "t" || $2 == "B" || $2 == "b" || $2 == "D" || $2 == "d"' \
    | sed 's/^[0-9a-f]* [A-Za-z] //; s/(.*//' | sort -u >"$work/program-symbols"
twice=$(comm -12 "$work/exported" "$work/program-symbols")
[ -z "$twice" ] || fail "qel-v holds its own copy of library code: $(echo $twice)"

# The example, outside the source tree, both ways.
cp -R "$source/examples/atping" "$work/atping"
if cmake -S "$work/atping" -B "$work/by-cmake" -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" 2>&1 &&
    cmake --build "$work/by-cmake" >>"$work/cmake.log" 2>&1; then
    readelf -d "$work/by-cmake/atping" | grep -q 'NEEDED.*libqelv-modemlink.so.1' \
        || fail "atping (CMake) does not link libqelv-modemlink.so.1"
else
    cat "$work/cmake.log" >&2
    fail "atping does not build through find_package(QelvModemLink)"
fi
if ! (cd "$work/atping" && PKG_CONFIG_PATH="$libdir/pkgconfig" make >"$work/make.log" 2>&1); then
    cat "$work/make.log" >&2
    fail "atping does not build through pkg-config"
fi

# Against simulated devices: a Hayes modem answers OK, a silent device nothing; a port that
# another process holds is refused before it is opened.
devices="$work/devices"
mkdir "$devices"
"$build/bin/qelv-modemsim" --dir "$devices" hayes@1 silent@2 hayes@3 quectel-ec25@4 </dev/zero >"$work/sim.log" 2>&1 &
sim=$!
i=0
while [ ! -e "$devices/ready" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
[ -e "$devices/ready" ] || { cat "$work/sim.log" >&2; echo "FAIL: the simulator did not start" >&2; exit 1; }
sleep 30 <>"$devices/com3" &
holder=$!

expect_run() {  # expect_run WHICH STATUS PORT PATTERN [OPTION]
    status=0
    out=$(LD_LIBRARY_PATH="$libdir" "$1" ${5:-} "$3" 2>&1) || status=$?
    [ "$status" -eq "$2" ] || fail "$1 $3: exit status $status, not $2: $out"
    printf '%s\n' "$out" | grep -q -- "$4" || fail "$1 $3 printed: $out"
}
# ser2net serving the Hayes modem over RFC 2217 on 127.0.0.1, at a port the kernel picks:
# the one its process listens on.
serve_rfc2217() {  # serve_rfc2217 DEVICE; sets ser2net and port
    /usr/sbin/ser2net -n -u -Y 'connection: &atping' \
        -Y '  accepter: telnet(rfc2217),tcp,127.0.0.1,0' \
        -Y "  connector: serialdev,$1,115200n81,local" >"$work/ser2net.log" 2>&1 &
    ser2net=$!
    port=""
    i=0
    while [ -z "$port" ] && [ $i -lt 100 ]; do
        sleep 0.05
        for inode in $(ls -l "/proc/$ser2net/fd" 2>/dev/null | sed -n 's/.*socket:\[\([0-9]*\)\]$/\1/p'); do
            hex=$(awk -v inode="$inode" '$10 == inode && $4 == "0A" { split($2, a, ":"); print a[2] }' /proc/net/tcp)
            [ -z "$hex" ] || port=$((0x$hex))
        done
        i=$((i + 1))
    done
    [ -n "$port" ] || { cat "$work/ser2net.log" >&2; fail "ser2net does not listen"; }
}
serve_rfc2217 "$(readlink "$devices/com1")"

for program in "$work/by-cmake/atping" "$work/atping/atping"; do
    [ -x "$program" ] || continue
    expect_run "$program" 0 "$devices/com1" '^result code: 0$'
    expect_run "$program" 1 "$devices/com2" '^result code: -1$'
    expect_run "$program" 2 "$devices/com3" "PID $holder"
    expect_run "$program" 2 "$work/no-such-device" 'error 8010'
    [ -z "$port" ] || expect_run "$program" 0 "rfc2217://127.0.0.1:$port" '^result code: 0$'
    expect_run "$program" 0 "$devices/com4" '^model: EC25$' --identify
    expect_run "$program" 0 "$devices/com1" '^revision: QEL-SIM V.92 Data/Fax Modem Version 2.1.0$' --identify
done

if [ "$failures" -ne 0 ]; then
    echo "check-library: $failures failure(s)" >&2
    exit 1
fi
echo "check-library: the installed library builds and runs atping both ways, over RFC 2217 too"
