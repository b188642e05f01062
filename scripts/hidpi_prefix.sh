#!/usr/bin/env bash
# A second Wine prefix for the high-DPI tests, next to the ordinary one.
#   hidpi_prefix.sh start <prefix> <dpi>   make it (or keep it, with
#                                          VT_KEEP_PREFIX=1) and start its
#                                          wineserver
#   hidpi_prefix.sh stop <prefix>          end its wineserver; remove it
#                                          unless VT_KEEP_PREFIX=1
# Wine reads the DPI (LogPixels) when its programs start, so the value is
# written into a fresh prefix and every process of that prefix is ended
# before any test program runs in it. Uses the caller's DISPLAY.
set -euo pipefail
cmd=$1 prefix=$2 dpi=${3:-144}
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$(dirname "$0")/sideprefix.sh"

want=$(printf '%x' "$dpi")
vt_side_has() { grep -qi "\"LogPixels\"=dword:0*$want\$" "$prefix/user.reg" 2>/dev/null; }
vt_side_setting() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
}

case $cmd in
start)
  vt_side_start || { echo "LogPixels $dpi is not in $prefix" >&2; exit 1; }
  echo "prefix $prefix at $dpi DPI"
  ;;
stop) vt_side_stop ;;
*)
  echo "usage: $0 start|stop <prefix> [dpi]" >&2
  exit 2
  ;;
esac
