#!/bin/sh
# The emulator CMake hands to ctest for the 64-bit test programs:
#   wine-emulator.sh <build prefix> <program> [args...]
# Runs the program under Wine in the prefix the environment names, or else in
# the build's own prefix, so that even a bare "ctest -N" in the build folder
# never creates or touches the user's ~/.wine.
prefix=$1
shift
export WINEPREFIX="${WINEPREFIX:-$prefix}"
export WINEARCH="${WINEARCH:-win64}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
