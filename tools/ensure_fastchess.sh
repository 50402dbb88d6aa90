#!/usr/bin/env bash
# Builds the fastchess match manager (the one OpenBench's workers play their
# games with) into build/fastchess/ when it is not there yet, from its source:
# $FASTCHESS_SRC, else ../shared/tools/fastchess beside this checkout, else
# /work/shared/tools/fastchess. Without a source it says so and leaves the
# fastchess tests to report themselves skipped. Never fails the build.
#   tools/ensure_fastchess.sh [BUILD_DIR]     (default: build)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
dest="${1:-$root/build}/fastchess"
for src in "${FASTCHESS_SRC:-}" "$root/../shared/tools/fastchess" /work/shared/tools/fastchess; do
  [ -n "$src" ] && [ -x "$src/build.sh" ] && break
  src=
done
if [ -z "$src" ]; then
  [ -x "$dest/fastchess" ] || echo "fastchess source not found (set FASTCHESS_SRC): the fastchess tests will be skipped"
  exit 0
fi
# build.sh returns at once when its binary was built from this very source.
"$src/build.sh" "$dest" || echo "fastchess did not build: the fastchess tests will be skipped"
exit 0
