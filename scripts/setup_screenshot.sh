#!/usr/bin/env bash
# Captures the Setup dialog with a few folders into docs/images/setup.png:
# tests/fixtures/setup_shots stores the folders, starts Vantrel.exe, chooses
# "Setup..." and selects a row; this script then takes the dialog's picture
# from its X window. Runs in a Wine prefix of its own (build/x64/wineprefix,
# as the tests) inside its own Xvfb, and ends everything it started.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
driver="$build/bin/setup_shots.exe"
[ -f "$driver" ] || { echo "missing $driver: build first" >&2; exit 1; }
. "$root/scripts/winenv.sh"
vt_use_imagemagick || { echo "missing ImageMagick: run scripts/deps.sh" >&2; exit 1; }
vt_wine_start "$build" keep
work=$(mktemp -d)
trap 'vt_wine_stop; rm -rf "$work"' EXIT
mkdir -p "$root/docs/images"

VT_SHOT_READY="Z:$work/ready" VT_SHOT_NEXT="Z:$work/next" "$VT_WINE" "$driver" &
pid=$!
n=0
while [ ! -s "$work/ready" ] && [ $n -lt 600 ]; do
  kill -0 $pid 2>/dev/null || { wait $pid; echo "the driver ended early ($?)" >&2; exit 1; }
  sleep 0.1; n=$((n+1))
done
[ -s "$work/ready" ] || { echo "the Setup dialog did not show" >&2; exit 1; }

# Without a window manager a Wine window's X window is its client area.
id=$(xwininfo -name "Setup" -display "$DISPLAY" | awk '/Window id:/ {print $4}')
[ -n "$id" ] || { echo "the Setup dialog has no X window" >&2; exit 1; }
xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$root/docs/images/setup.png"
touch "$work/next"
wait $pid || { echo "the driver failed ($?)" >&2; exit 1; }
echo "$root/docs/images/setup.png"
