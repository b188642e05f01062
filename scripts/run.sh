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
  # Vantrel runs hidden; this returns when it has ended ("Exit" in its menu,
  # or Vantrel.exe /quit). The wineserver is persistent: waiting for it
  # (wineserver -w) would never return.
  echo "Vantrel runs hidden: press Windows key + A, or run"
  echo "  WINEPREFIX=$WINEPREFIX $VT_WINE $build/bin/Vantrel.exe /pop"
  "$VT_WINE" "$build/bin/Vantrel.exe" "$@"
else
  exec "$root/scripts/demo.sh"
fi
