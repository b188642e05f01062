#!/usr/bin/env bash
# Captures the folder editor and the Setup dialog in the classic look (no
# visual styles), with the system's plain controls and with Vantrel's flat
# ones (the mouse over the editor's "Browse..."), from the built 64-bit tree
# into docs/images/{editor,setup}-{classic,flat}.png.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
driver="$build/bin/flat_shots.exe"
[ -f "$driver" ] || { echo "missing $driver: build first" >&2; exit 1; }
. "$root/scripts/winenv.sh"
vt_use_imagemagick || { echo "missing ImageMagick: run scripts/deps.sh" >&2; exit 1; }
vt_wine_start "$build" keep
trap vt_wine_stop EXIT
work=$(mktemp -d)
mkdir -p "$root/docs/images"

wait_ready() {
  local n=0
  while [ ! -s "$work/ready" ] && [ $n -lt 300 ]; do sleep 0.1; n=$((n+1)); done
  [ -s "$work/ready" ] || { echo "the driver showed nothing" >&2; return 1; }
}
# Without a window manager a Wine window's X window is its client area.
shot() {  # <file> <window title>
  wait_ready
  local id
  id=$(xwininfo -name "$2" -display "$DISPLAY" | awk '/Window id:/ {print $4}')
  [ -n "$id" ] || { echo "\"$2\" has no X window" >&2; exit 1; }
  xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$1"
  rm -f "$work/ready"
  touch "$work/next"
}

VT_SHOT_READY="Z:$work/ready" VT_SHOT_NEXT="Z:$work/next" "$VT_WINE" "$driver" &
pid=$!
shot "$root/docs/images/editor-classic.png" "Add/Edit"
shot "$root/docs/images/setup-classic.png" "Setup"
shot "$root/docs/images/editor-flat.png" "Add/Edit"
shot "$root/docs/images/setup-flat.png" "Setup"
wait $pid || true
rm -rf "$work"
for f in editor-classic editor-flat setup-classic setup-flat; do
  echo "$root/docs/images/$f.png"
done
