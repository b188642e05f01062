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
. "$(dirname "$0")/sideprefix.sh"

vt_side_has() { grep -qi "^\"Version\"=\"$version\"" "$prefix/user.reg" 2>/dev/null; }
vt_side_setting() { "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f; }

case $cmd in
start)
  vt_side_start || { echo "Version $version is not in $prefix" >&2; exit 1; }
  echo "prefix $prefix reports $version"
  ;;
stop) vt_side_stop ;;
*)
  echo "usage: $0 start|stop <prefix> [version]" >&2
  exit 2
  ;;
esac
