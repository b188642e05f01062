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
wine=/usr/lib/wine/wine64

case $cmd in
start)
  want=$(printf '0x%x' "$dpi")
  if [ "${VT_KEEP_PREFIX:-}" != 1 ] || ! grep -qi "\"LogPixels\"=dword:0*${want#0x}\$" "$prefix/user.reg" 2>/dev/null; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
    mkdir -p "$prefix"
    "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      </dev/null >/dev/null 2>&1
    # Everything wineboot started read the old DPI: end it all.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  # A server still running would ignore -p and end three seconds after each
  # test program, holding ctest's output that long. Nothing Wine starts may
  # keep this script's output open: ctest waits for it to close.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true   # warm the server up
  # No window manager on the test display: unmanaged windows hide at once.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1
  grep -qi "\"LogPixels\"=dword:0*${want#0x}\$" "$prefix/user.reg" || {
    echo "LogPixels $dpi is not in $prefix" >&2; exit 1; }
  echo "prefix $prefix at $dpi DPI"
  ;;
stop)
  if [ -d "$prefix" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    [ "${VT_KEEP_PREFIX:-}" = 1 ] || rm -rf "$prefix"
  fi
  ;;
*)
  echo "usage: $0 start|stop <prefix> [dpi]" >&2
  exit 2
  ;;
esac
