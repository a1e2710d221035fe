#!/bin/sh
# Fails when a C++ file of the tree differs from what .clang-format makes of it, and names
# the files. `scripts/check-format.sh --fix` rewrites them instead.
set -eu
cd "$(dirname "$0")/.."
FILES=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  # shellcheck disable=SC2086
  clang-format -i $FILES
  exit 0
fi
bad=""
for f in $FILES; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad="$bad $f"
done
if [ -n "$bad" ]; then
  echo "check-format: these files differ from .clang-format (scripts/check-format.sh --fix):" >&2
  for f in $bad; do echo "  $f" >&2; done
  exit 1
fi
