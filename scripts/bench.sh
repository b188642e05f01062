#!/usr/bin/env bash
# Runs every benchmark program (build/x64/bin/bench_*.exe) under Wine inside
# Xvfb; each prints its figures as "name: value unit".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
. "$root/scripts/winenv.sh"
# The activation benchmark pops a 53-item menu: the screen must be tall enough.
export VT_SCREEN="${VT_SCREEN:-1280x1600x24}"
vt_wine_start "$build"
trap vt_wine_stop EXIT
status=0
shopt -s nullglob
for b in "$build"/bin/bench_*.exe; do
  (cd "$build/bin" && timeout 600 "$VT_WINE" "$b") | tr -d '\r' || status=1
done
exit $status
