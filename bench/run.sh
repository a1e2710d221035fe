#!/bin/sh
# Builds the bench when needed and runs it: one table of figures, each with its target.
# Usage: bench/run.sh [--no-xvfb]    (BUILD_DIR overrides build-bench)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$root/build-bench"}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C "$build" qelv_bench qelv-modemsim >/dev/null
exec "$build/bin/qelv_bench" "$@"
