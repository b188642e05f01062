#!/usr/bin/env bash
# Captures the folder editor and the Setup dialog in the classic look (no
# visual styles), with the system's plain controls and with Vantrel's flat
# ones (the mouse over the editor's "Browse..."), from the built 64-bit tree
# into docs/images/{editor,setup}-{classic,flat}.png.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/shotlib.sh"
vt_shot_begin flat_shots.exe

shot() {  # <file> <window title>
  vt_shot_wait_ready
  xwd -id "$(vt_shot_window "$2")" -display "$DISPLAY" | convert xwd:- "$1"
  vt_shot_next
}

shot "$root/docs/images/editor-classic.png" "Add/Edit"
shot "$root/docs/images/setup-classic.png" "Setup"
shot "$root/docs/images/editor-flat.png" "Add/Edit"
shot "$root/docs/images/setup-flat.png" "Setup"
vt_shot_end
for f in editor-classic editor-flat setup-classic setup-flat; do
  echo "$root/docs/images/$f.png"
done
