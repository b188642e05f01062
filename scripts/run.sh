#!/usr/bin/env bash
# Starts Vantrel under Wine on the current display; without a display, runs the
# scripted demonstration inside Xvfb and writes screenshots to build/demo/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
. "$root/scripts/winenv.sh"
if [ -n "${DISPLAY:-}" ]; then
  # A prefix of our own that survives between runs, never ~/.wine.
  export VT_OWN_XVFB=0
  vt_wine_start "$build" keep
  trap vt_wine_stop EXIT
  "$VT_WINE" "$build/bin/Vantrel.exe" "$@"
  # Vantrel runs hidden: wait until it has ended (Exit in its menu, or /quit).
  wineserver -w
else
  exec "$root/scripts/demo.sh"
fi
