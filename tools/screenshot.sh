#!/bin/sh
# Remakes docs/screenshot.png: the window of `qel-v --demo` once its survey of the simulated
# modems has ended, on a virtual X display, cropped to the window.
#
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT.png]      (defaults: build, docs/screenshot.png)
#
# Needs the Debian packages xvfb, xauth, xdotool, imagemagick and fonts-noto-cjk.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/screenshot.png}
case $out in /*) ;; *) out="$PWD/$out" ;; esac

if [ -z "${QELV_SCREENSHOT_DISPLAY:-}" ]; then
    # Again under a display of its own; the window gets its natural size on a plain X server
    # without a window manager.
    exec xvfb-run -a -s "-screen 0 1280x800x24" \
        env QELV_SCREENSHOT_DISPLAY=1 "$0" "$build" "$out"
fi

program="$build/bin/qel-v"
[ -x "$program" ] || { echo "screenshot: $program is missing; build first" >&2; exit 1; }

work=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# A fresh log folder and no mapping from the caller's environment; the demo maps its own ports.
env -u QELV_PORTS XDG_STATE_HOME="$work/state" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb \
    "$program" --demo >"$work/stdout" 2>"$work/stderr" &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1) || true
if [ -z "$window" ]; then
    echo "screenshot: the window did not appear" >&2
    cat "$work/stderr" >&2
    exit 1
fi

# Large enough for all sixteen rows (QELV_SCREENSHOT_WIDTH, _HEIGHT); the grid follows the
# window's size.
xdotool windowsize "$window" "${QELV_SCREENSHOT_WIDTH:-700}" "${QELV_SCREENSHOT_HEIGHT:-640}"

# The demo's survey takes about 15 s from the moment the window opens.
sleep "${QELV_SCREENSHOT_WAIT:-20}"
kill -0 "$pid" 2>/dev/null || { echo "screenshot: qel-v ended early" >&2; cat "$work/stderr" >&2; exit 1; }

mkdir -p "$(dirname "$out")"
import -window "$window" "$work/window.png"
# Few colours are enough for a widget window and keep the file small.
convert "$work/window.png" -strip -colors 64 "PNG8:$out"
echo "screenshot: $out ($(identify -format '%wx%h' "$out"), $(wc -c <"$out") bytes)"
