#!/usr/bin/env bash
# Captures the flat and the classic folder-menu look from the built 64-bit
# tree into docs/images/menu-flat.png and docs/images/menu-classic.png, and
# the flat look at 150 % (144 DPI, in a Wine prefix of that DPI next to the
# ordinary one) into docs/images/menu-flat-144.png.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/shotlib.sh"
vt_shot_prefix menu_demo.exe
demo=$driver
hidpi="$WINEPREFIX-144"
cleanup() {
  VT_KEEP_PREFIX=1 "$root/scripts/hidpi_prefix.sh" stop "$hidpi" || true
  vt_wine_stop
}
trap cleanup EXIT
work=$(mktemp -d)
mkdir -p "$root/docs/images"

shoot() {  # <style> <out.png>
  local style=$1 out=$2
  rm -f "$work/ready" "$work/done"
  VT_DEMO_READY="Z:$work/ready" VT_DEMO_DONE="Z:$work/done" \
    "$VT_WINE" "$demo" "$style" noshadow hold &
  local pid=$! n=0
  while [ ! -s "$work/ready" ] && [ $n -lt 200 ]; do sleep 0.1; n=$((n+1)); done
  [ -s "$work/ready" ] || { echo "the demo showed no menu" >&2; kill $pid; return 1; }
  local x y w h id
  read -r x y w h < <(tr -d '\r' < "$work/ready")
  # The menu is its own X window; the root image does not include its
  # contents, so it is captured by id and laid over the root image.
  id=$(xwininfo -root -tree -display "$DISPLAY" | grep " ${w}x${h}+${x}+${y} " | awk '{print $1}' | head -1)
  xwd -root -display "$DISPLAY" | convert xwd:- "$work/root.png"
  xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$work/menu.png"
  convert "$work/root.png" "$work/menu.png" -geometry "+$x+$y" -composite \
    -crop "$((w+40))x$((h+40))+$((x-20))+$((y-20))" +repage "$out"
  touch "$work/done"
  wait $pid || true
  echo "$out"
}

shoot flat "$root/docs/images/menu-flat.png"
shoot classic "$root/docs/images/menu-classic.png"
# The same menu at 144 DPI: the prefix is reused when it already has that DPI.
VT_KEEP_PREFIX=1 "$root/scripts/hidpi_prefix.sh" start "$hidpi" 144 >/dev/null
WINEPREFIX="$hidpi" shoot flat "$root/docs/images/menu-flat-144.png"
rm -rf "$work"
