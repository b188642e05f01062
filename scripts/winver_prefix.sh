#!/usr/bin/env bash
# A Wine prefix that reports another Windows version, next to the ordinary
# one, for the tests of behaviour that depends on the system's version.
#   winver_prefix.sh start <prefix> <version>   make it (or keep it, with
#                                               VT_KEEP_PREFIX=1) and start
#                                               its wineserver
#   winver_prefix.sh stop <prefix>              end its wineserver; remove it
#                                               unless VT_KEEP_PREFIX=1
# <version> is a value of Wine's per-prefix version setting (winecfg -v):
# a 64-bit prefix takes the 64-bit names, "winxp64" for Windows XP.
# Wine reads it when a program starts, so every process wineboot left
# running is ended before a test program runs. Uses the caller's DISPLAY.
set -euo pipefail
cmd=$1 prefix=$2 version=${3:-winxp64}
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

has_version() { grep -qi "^\"Version\"=\"$version\"" "$prefix/user.reg" 2>/dev/null; }

case $cmd in
start)
  if [ "${VT_KEEP_PREFIX:-}" != 1 ] || ! has_version; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
    mkdir -p "$prefix"
    "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f </dev/null >/dev/null 2>&1
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
  has_version || { echo "Version $version is not in $prefix" >&2; exit 1; }
  echo "prefix $prefix reports $version"
  ;;
stop)
  if [ -d "$prefix" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    [ "${VT_KEEP_PREFIX:-}" = 1 ] || rm -rf "$prefix"
  fi
  ;;
*)
  echo "usage: $0 start|stop <prefix> [version]" >&2
  exit 2
  ;;
esac
