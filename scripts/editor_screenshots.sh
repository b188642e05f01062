#!/usr/bin/env bash
# Captures the folder editor, opened by a start of Vantrel.exe with a folder
# path, and its "Icon Options..." menu, from the built 64-bit tree into
# docs/images/editor.png and docs/images/editor-icon-options.png.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/shotlib.sh"
vt_shot_begin editor_shots.exe

# The X window of a Wine window, found by its geometry.
window_id() {  # <x> <y> <w> <h>
  xwininfo -root -tree -display "$DISPLAY" | grep " ${3}x${4}+${1}+${2} " | awk '{print $1}' | head -1
}

# Geometry (x y w h) of an X window.
x_geometry() {  # <id>
  xwininfo -id "$1" -display "$DISPLAY" | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# 1: the editor, as its own X window shows it.
vt_shot_wait_ready
id=$(vt_shot_window "Add/Edit")
xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$work/dialog.png"
cp "$work/dialog.png" "$root/docs/images/editor.png"
vt_shot_next

# 2: the editor with its menu. The menu is an X window of its own, captured
# by id; the editor under it is the picture above (captured now, its X
# window would lack what the menu and its shadows cover). Both are laid over
# a plain background.
vt_shot_wait_ready
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
vt_shot_next
vt_shot_end
echo "$root/docs/images/editor.png"
echo "$root/docs/images/editor-icon-options.png"
