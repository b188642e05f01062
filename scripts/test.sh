#!/usr/bin/env bash
# Runs every test of the 64-bit build under Wine inside Xvfb; prints ctest's summary.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
. "$root/scripts/winenv.sh"
vt_wine_start "$build" "${VT_KEEP_PREFIX:+keep}" unmanaged
trap vt_wine_stop EXIT
cd "$build" && ctest --output-on-failure --timeout 300 -j2 "$@"
