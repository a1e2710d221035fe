#!/bin/sh
# Builds the three Debian packages with cpack and checks them without installing anything:
# their control fields and dependencies, what each one holds (and that no file is in two),
# lintian (any E: fails), appstreamcli on the AppStream metainfo, desktop-file-validate on
# the desktop entry.
#
#   tests/install/check-packages.sh [BUILD_DIR]          (default: build)
#
# The packages are made from a tree configured with -DCMAKE_INSTALL_PREFIX=/usr (cpack
# refuses any other): BUILD_DIR itself if it is one, otherwise BUILD_DIR-deb, which the first
# run configures from scratch (Debian's build flags, no tests, no bench) and later runs build
# again incrementally. tests/install/check-deb.sh picks the same tree.
set -eu

started=$(date +%s)
root=$(cd "$(dirname "$0")/../.." && pwd)
given=${1:-$root/build}
given=${given%/}

prefix_of() { sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$1/CMakeCache.txt" 2>/dev/null; }
if [ "$(prefix_of "$given")" = /usr ]; then
    build=$given
else
    build=$given-deb
fi

if [ "$(prefix_of "$build")" != /usr ]; then
    if [ -e "$build/CMakeCache.txt" ]; then
        echo "check-packages: $build is configured with CMAKE_INSTALL_PREFIX=$(prefix_of "$build")" >&2
        exit 1
    fi
    generator=Ninja
    command -v ninja >/dev/null 2>&1 || generator="Unix Makefiles"
    launcher=""
    command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    # What Debian builds its packages with (hardening included); the project's own prefix maps
    # already keep the build's paths out of the binaries. CMake reads CXXFLAGS and LDFLAGS,
    # not CPPFLAGS, which carries the fortify level.
    eval "$(DEB_BUILD_MAINT_OPTIONS='hardening=+all reproducible=-fixfilepath,-fixdebugpath' dpkg-buildflags --export=sh)"
    # shellcheck disable=SC2153
    CXXFLAGS="$CXXFLAGS $CPPFLAGS"
    export CXXFLAGS LDFLAGS
    echo "check-packages: configuring $build for /usr"
    # shellcheck disable=SC2086
    cmake -S "$root" -B "$build" -G "$generator" $launcher -DCMAKE_INSTALL_PREFIX=/usr \
        -DQELV_BUILD_TESTS=OFF -DQELV_BUILD_BENCH=OFF
fi
build=$(cd "$build" && pwd)

cmake --build "$build"
rm -f "$build"/*.deb
log=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$log" "$work"' EXIT
(cd "$build" && cpack -G DEB) >"$log" 2>&1 || {
    cat "$log" >&2
    echo "check-packages: cpack failed" >&2
    exit 1
}
cat "$log"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
major=${version%%.*}
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=libqelv-modemlink$major
dev=libqelv-modemlink-dev
program=qel-v
libdir=usr/lib/$multiarch

for package in $lib $dev $program; do
    deb=$build/${package}_${version}_$arch.deb
    if [ ! -f "$deb" ]; then
        echo "check-packages: cpack made no $(basename "$deb"); it made:" "$build"/*.deb >&2
        exit 1
    fi
done
set -- "$build"/*.deb
[ $# -eq 3 ] || fail "cpack made $# packages, not 3: $*"

debof() { echo "$build/${1}_${version}_$arch.deb"; }
field() { dpkg-deb --field "$(debof "$1")" "$2"; }
# One entry of a comma-separated relation field, exactly as given (version and all).
has_relation() {
    printf '%s\n' "$(field "$1" "$2")" | tr ',' '\n' | sed 's/^ *//; s/ *$//' | grep -qxF "$3"
}

# ---- control fields ----
for package in $lib $dev $program; do
    echo "check-packages: ---- dpkg-deb --info $(basename "$(debof "$package")")"
    dpkg-deb --info "$(debof "$package")"
    [ "$(field "$package" Package)" = "$package" ] || fail "$package: Package is $(field "$package" Package)"
    [ "$(field "$package" Version)" = "$version" ] || fail "$package: Version is $(field "$package" Version)"
    [ "$(field "$package" Architecture)" = "$arch" ] || fail "$package: Architecture is $(field "$package" Architecture)"
    [ "$(field "$package" Source)" = qel-v ] || fail "$package: Source is $(field "$package" Source)"
    field "$package" Maintainer | grep -qE '^[^<>]+ <[^@<> ]+@[^@<> ]+\.[a-z]+>$' \
        || fail "$package: Maintainer is not 'Name <address>': $(field "$package" Maintainer)"
    # A summary line and a long description under it.
    [ "$(field "$package" Description | wc -l)" -ge 3 ] || fail "$package: the description has no long text"
done
[ "$(field "$lib" Section)" = libs ] || fail "$lib: Section is $(field "$lib" Section)"
[ "$(field "$dev" Section)" = libdevel ] || fail "$dev: Section is $(field "$dev" Section)"
[ "$(field "$program" Section)" = utils ] || fail "$program: Section is $(field "$program" Section)"

for dep in libqt6core6 libqt6serialport6 libqt6network6 libtelnet2 libudev1 libc6; do
    field "$lib" Depends | grep -q "\\b$dep\\b" || fail "$lib does not depend on $dep: $(field "$lib" Depends)"
done
has_relation "$dev" Depends "$lib (= $version)" || fail "$dev does not depend on $lib (= $version): $(field "$dev" Depends)"
has_relation "$dev" Depends qt6-base-dev || fail "$dev does not depend on qt6-base-dev: $(field "$dev" Depends)"
field "$program" Depends | tr ',' '\n' | grep -qE "^ *$lib( \\(.*\\))? *\$" \
    || fail "$program does not depend on $lib: $(field "$program" Depends)"
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libqt6dbus6; do
    field "$program" Depends | grep -q "\\b$dep\\b" || fail "$program does not depend on $dep: $(field "$program" Depends)"
done
has_relation "$program" Recommends fonts-noto-cjk || fail "$program does not recommend fonts-noto-cjk"

# The library's control files: the shlibs entry that gives dependants their dependency, and
# dpkg's ldconfig trigger.
mkdir "$work/control"
dpkg-deb --control "$(debof "$lib")" "$work/control"
shlibs=$(cat "$work/control/shlibs" 2>/dev/null || true)
[ "$shlibs" = "libqelv-modemlink $major $lib (>= $version)" ] || fail "$lib: shlibs is: $shlibs"
grep -qx 'activate-noawait ldconfig' "$work/control/triggers" 2>/dev/null || fail "$lib has no ldconfig trigger"

# ---- contents ----
# `type path` per entry, paths without the leading ./, directories left out; read once, as
# a pipe that stops early would cut dpkg-deb short.
contents() { cat "$work/$1.contents"; }
for package in $lib $dev $program; do
    dpkg-deb --contents "$(debof "$package")" >"$work/$package.listing"
    awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print substr($1, 1, 1), $6 }' "$work/$package.listing" \
        >"$work/$package.contents"
    echo "check-packages: ---- dpkg-deb --contents $(basename "$(debof "$package")") (files)"
    contents "$package" | grep -v '/html/.' || true
    html=$(contents "$package" | grep -c '/html/.' || true)
    [ "$html" -eq 0 ] || echo "- ... and $html files under usr/share/doc/$package/html/"
    contents "$package" | cut -d' ' -f2 >"$work/$package.files"
    for f in copyright changelog.gz; do
        grep -qx "usr/share/doc/$package/$f" "$work/$package.files" || fail "$package lacks usr/share/doc/$package/$f"
    done
done
# Every file of a package lies where that package's files belong, and what it must hold is
# there.
only() {
    package=$1
    shift
    stray=$(grep -vxE "$(printf '%s\n' "$@" | paste -sd'|')" "$work/$package.files" || true)
    [ -z "$stray" ] || fail "$package holds what is not its own: $(printf '%s\n' "$stray" | paste -sd' ')"
}
needs() {
    package=$1
    shift
    for f in "$@"; do
        grep -qxF "$f" "$work/$package.files" || fail "$package lacks $f"
    done
}
ma_re=$(printf '%s' "$libdir" | sed 's/[.]/\\./g')
only "$lib" "$ma_re/libqelv-modemlink\\.so\\.$major" "$ma_re/libqelv-modemlink\\.so\\.$version" \
    "usr/share/doc/$lib/(copyright|changelog\\.gz)"
needs "$lib" "$libdir/libqelv-modemlink.so.$major" "$libdir/libqelv-modemlink.so.$version"
[ "$(grep " ./$libdir/libqelv-modemlink.so.$major " "$work/$lib.listing" | sed 's/.* -> //')" \
    = "libqelv-modemlink.so.$version" ] || fail "$lib: libqelv-modemlink.so.$major does not point at .so.$version"

only "$dev" "usr/include/qelv/[a-z0-9_]+\\.h" "$ma_re/libqelv-modemlink\\.so" \
    "$ma_re/cmake/QelvModemLink/QelvModemLink[A-Za-z-]*\\.cmake" "$ma_re/pkgconfig/qelv-modemlink\\.pc" \
    "usr/share/doc/$dev/(copyright|changelog\\.gz)" "usr/share/doc/$dev/html/.+" "usr/share/doc-base/$dev"
needs "$dev" usr/include/qelv/mdcomm.h usr/include/qelv/qelvexport.h usr/include/qelv/qelvversion.h \
    "$libdir/libqelv-modemlink.so" "$libdir/pkgconfig/qelv-modemlink.pc" \
    "$libdir/cmake/QelvModemLink/QelvModemLinkConfig.cmake" \
    "$libdir/cmake/QelvModemLink/QelvModemLinkConfigVersion.cmake" \
    "$libdir/cmake/QelvModemLink/QelvModemLinkTargets.cmake" \
    "usr/share/doc/$dev/html/index.html" "usr/share/doc-base/$dev"
contents "$dev" | grep -qx "l $libdir/libqelv-modemlink.so" || fail "$dev: libqelv-modemlink.so is not a symbolic link"

icons="usr/share/icons/hicolor/scalable/apps/qel-v.svg"
for size in 16 32 48 64 128 256; do icons="$icons usr/share/icons/hicolor/${size}x$size/apps/qel-v.png"; done
only "$program" usr/bin/qel-v usr/libexec/qel-v/qelv-modemsim usr/share/applications/qel-v.desktop \
    'usr/share/metainfo/[a-z0-9_.]+\.metainfo\.xml' 'usr/share/icons/hicolor/[0-9a-z]+/apps/qel-v\.(png|svg)' \
    'usr/share/man/man1/qel-v\.1\.gz' "usr/share/doc/$program/(copyright|changelog\\.gz)" \
    'usr/lib/systemd/system/qel-v-metrics\.(service|timer)'
# shellcheck disable=SC2086
needs "$program" usr/bin/qel-v usr/libexec/qel-v/qelv-modemsim usr/share/applications/qel-v.desktop \
    usr/share/man/man1/qel-v.1.gz usr/lib/systemd/system/qel-v-metrics.service \
    usr/lib/systemd/system/qel-v-metrics.timer $icons
grep -qE '^usr/share/metainfo/.+\.metainfo\.xml$' "$work/$program.files" || fail "$program lacks its AppStream metainfo"

dups=$(cat "$work/$lib.files" "$work/$dev.files" "$work/$program.files" | sort | uniq -d)
[ -z "$dups" ] || fail "files in more than one package: $dups"

# ---- the files themselves ----
for package in $lib $dev $program; do
    mkdir "$work/$package"
    dpkg-deb --extract "$(debof "$package")" "$work/$package"
done
# Debian's own library search path is all the program needs.
for f in "$work/$program/usr/bin/qel-v" "$work/$program/usr/libexec/qel-v/qelv-modemsim" \
         "$work/$lib/$libdir/libqelv-modemlink.so.$version"; do
    readelf -d "$f" | grep -qE '\((RPATH|RUNPATH)\)' && fail "${f#"$work"/} has a search path: $(readelf -d "$f" | grep -E 'RPATH|RUNPATH')"
done
for package in $lib $dev $program; do
    doc=$work/$package/usr/share/doc/$package
    # gzip -9 (extra flags 02), no name (flags 00), no time stamp (00000000).
    header=$(od -An -tx1 -N10 "$doc/changelog.gz" | tr -d ' \n')
    [ "$header" = 1f8b0800000000000203 ] || fail "$package: changelog.gz is not gzip -9n output (header $header)"
    zcat "$doc/changelog.gz" | head -1 | grep -q "^qel-v ($version) " || fail "$package: changelog.gz does not begin with $version"
    head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
        || fail "$package: the copyright file is not in the machine-readable format"
done
# The timer's service runs the packaged program; installing the package enables nothing.
grep -qx 'ExecStart=/usr/bin/qel-v --metrics --parallel --output /var/lib/prometheus/node-exporter/qel-v.prom' \
    "$work/$program/usr/lib/systemd/system/qel-v-metrics.service" \
    || fail "$program: qel-v-metrics.service does not run /usr/bin/qel-v --metrics"
for f in postinst preinst; do
    dpkg-deb --info "$(debof "$program")" "$f" >/dev/null 2>&1 && fail "$program has a $f script"
done
cmp -s "$work/$lib/usr/share/doc/$lib/changelog.gz" "$work/$program/usr/share/doc/$program/changelog.gz" \
    || fail "the packages' changelogs differ"
grep -q "^Version: $version\$" "$work/$dev/$libdir/pkgconfig/qelv-modemlink.pc" || fail "qelv-modemlink.pc does not say Version: $version"
grep -q '^prefix=/usr$' "$work/$dev/$libdir/pkgconfig/qelv-modemlink.pc" || fail "qelv-modemlink.pc does not say prefix=/usr"

# ---- lintian, appstreamcli, desktop-file-validate ----
for package in $lib $dev $program; do
    echo "check-packages: ---- lintian --display-info $(basename "$(debof "$package")")"
    out=$(lintian --display-info "$(debof "$package")" 2>&1 | grep -v '^running with root privileges' || true)
    [ -z "$out" ] || printf '%s\n' "$out"
    printf '%s\n' "$out" | grep -q '^E: ' && fail "lintian reports errors on $package"
done
set -- "$work/$program"/usr/share/metainfo/*.metainfo.xml
if [ -f "$1" ]; then
    echo "check-packages: ---- appstreamcli validate --no-net $(basename "$1")"
    status=0
    out=$(appstreamcli validate --no-net --explain "$1" 2>&1) || status=$?
    printf '%s\n' "$out"
    printf '%s\n' "$out" | grep -q '^E: ' && fail "appstreamcli reports errors"
    # A failed validation is explained by its issues; one without any did not run at all.
    if [ "$status" -ne 0 ] && ! printf '%s\n' "$out" | grep -q '^[EWI]: '; then
        fail "appstreamcli validate: exit status $status"
    fi
fi
desktop=$work/$program/usr/share/applications/qel-v.desktop
if [ -f "$desktop" ]; then
    echo "check-packages: ---- desktop-file-validate qel-v.desktop"
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: exit status $?"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
fi

echo "check-packages: packages in $build, checked in $(($(date +%s) - started)) s"
if [ "$failures" -ne 0 ]; then
    echo "check-packages: $failures failure(s)" >&2
    exit 1
fi
echo "check-packages: the three packages are complete and lintian finds no error"
