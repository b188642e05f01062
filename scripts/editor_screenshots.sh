#!/usr/bin/env bash
# Captures the folder editor, opened by a start of Vantrel.exe with a folder
# path, and its "Icon Options..." menu, from the built 64-bit tree into
# docs/images/editor.png and docs/images/editor-icon-options.png.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
driver="$build/bin/editor_shots.exe"
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

# The X window of a Wine window, found by its geometry.
window_id() {  # <x> <y> <w> <h>
  xwininfo -root -tree -display "$DISPLAY" | grep " ${3}x${4}+${1}+${2} " | awk '{print $1}' | head -1
}

VT_SHOT_READY="Z:$work/ready" VT_SHOT_NEXT="Z:$work/next" "$VT_WINE" "$driver" &
pid=$!

# Id and geometry (x y w h) of an X window. Without a window manager a Wine
# window's X window is its client area: there is no caption to capture.
x_geometry() {  # <id>
  xwininfo -id "$1" -display "$DISPLAY" | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}
dialog_id() {
  xwininfo -name "Add/Edit" -display "$DISPLAY" | awk '/Window id:/ {print $4}'
}

# 1: the editor, as its own X window shows it.
wait_ready
id=$(dialog_id)
[ -n "$id" ] || { echo "the editor has no X window" >&2; exit 1; }
xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$work/dialog.png"
cp "$work/dialog.png" "$root/docs/images/editor.png"
rm -f "$work/ready"
touch "$work/next"

# 2: the editor with its menu. The menu is an X window of its own, captured
# by id; the editor under it is the picture above (captured now, its X
# window would lack what the menu and its shadows cover). Both are laid over
# a plain background.
wait_ready
read -r mx my mw mh < <(tr -d '\r' < "$work/ready" | sed -n 2p)
read -r x y w h < <(x_geometry "$id")
mid=$(window_id "$mx" "$my" "$mw" "$mh")
[ -n "$mid" ] || { echo "the menu has no X window" >&2; exit 1; }
xwd -id "$mid" -display "$DISPLAY" | convert xwd:- "$work/menu.png"
left=$((x - 12)); top=$((y - 12))
right=$(( (x + w > mx + mw ? x + w : mx + mw) + 12 ))
bottom=$(( (y + h > my + mh ? y + h : my + mh) + 12 ))
convert -size "$((right - left))x$((bottom - top))" xc:'#3a6ea5' \
  "$work/dialog.png" -geometry "+$((x - left))+$((y - top))" -composite \
  "$work/menu.png" -geometry "+$((mx - left))+$((my - top))" -composite \
  "$root/docs/images/editor-icon-options.png"
rm -f "$work/ready"
touch "$work/next"
wait $pid || true
rm -rf "$work"
echo "$root/docs/images/editor.png"
echo "$root/docs/images/editor-icon-options.png"
