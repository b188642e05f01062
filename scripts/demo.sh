#!/usr/bin/env bash
# The scripted demonstration behind `make run` without a display: inside an
# Xvfb of its own and a Wine prefix under build/demo/, it seeds a few folders,
# starts Vantrel, opens a real Open dialog, pops the folder menu with
# "Vantrel.exe /pop", picks the second folder with the keyboard and writes a
# screenshot of each step to build/demo/. Ends everything it started.
#
#   scripts/demo.sh [--readme] [--open-folders]
#     --readme        also writes docs/images/folder-menu.png
#     --open-folders  opens two Explorer windows first, so that the menu
#                     lists their folders at its top; with --readme the
#                     picture goes to docs/images/folder-menu-open-folders.png
#
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xdotool, xwd,
# xwininfo and ImageMagick (scripts/deps.sh installs them).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/x64/bin"
out="$root/build/demo"
readme=0
open_folders=0
for a in "$@"; do
  case $a in
    --readme) readme=1 ;;
    --open-folders) open_folders=1 ;;
    *) echo "unknown option $a" >&2; exit 2 ;;
  esac
done
for f in Vantrel.exe VTHook.dll navtargets.exe; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f: run make build first" >&2; exit 1; }
done
for t in Xvfb xdotool xwd xwininfo; do
  command -v "$t" >/dev/null || { echo "missing $t: run scripts/deps.sh" >&2; exit 1; }
done

. "$root/scripts/winenv.sh"
vt_use_imagemagick || { echo "missing ImageMagick: run scripts/deps.sh" >&2; exit 1; }
mkdir -p "$out"
rm -f "$out"/*.png
# Always an Xvfb of our own, even if the caller has a display.
unset DISPLAY
export VT_OWN_XVFB=1
vt_wine_start "$out" keep
work=$(mktemp -d)
cleanup() {
  vt_wine_stop
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "demo: $*" >&2; exit 1; }

# Polls a condition every 0.1 s until it holds or the deadline (seconds) passes.
wait_for() {  # <seconds> <command...>
  local deadline=$(( $(date +%s%N) / 1000000 + $1 * 1000 ))
  shift
  until "$@"; do
    [ $(( $(date +%s%N) / 1000000 )) -ge $deadline ] && return 1
    sleep 0.1
  done
}

# --- the folders ------------------------------------------------------------
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Projects/Website" "$drive_c/Projects/Reports" "$drive_c/Photos/2026"
touch "$drive_c/Projects/Reports/"{budget.xls,minutes.doc,summary.txt}
touch "$drive_c/Projects/Website/"{index.html,style.css}
touch "$drive_c/Photos/2026/"{harbour.jpg,mountains.jpg}

# Entries: path, title, icon file, icon index (-1: the default folder picture).
entries=(
  'C:\\Projects|Projects|C:\\windows\\system32\\shell32.dll|5'
  'C:\\Projects\\Reports|Reports|C:\\windows\\system32\\shell32.dll|5'
  'C:\\Projects\\Website|Website|C:\\windows\\system32\\shell32.dll|15'
  'C:\\Photos\\2026|Photos 2026||-1'
  'C:\\windows\\system32|System folder|C:\\windows\\system32\\shell32.dll|8'
)
{
  echo 'REGEDIT4'
  echo
  echo '[-HKEY_CURRENT_USER\Software\Quorvane.\Vantrel]'
  echo
  echo '[HKEY_CURRENT_USER\Software\Quorvane.\Vantrel]'
  echo '"Show Tray"=dword:00000000'
  echo
  echo '[HKEY_CURRENT_USER\Software\Quorvane.\Vantrel\Entries]'
  printf '"Count"=dword:%08x\n' "${#entries[@]}"
  i=0
  for e in "${entries[@]}"; do
    IFS='|' read -r path title icon index <<<"$e"
    echo "\"Path$i\"=\"$path\""
    echo "\"Title$i\"=\"$title\""
    echo "\"IconFile$i\"=\"$icon\""
    printf '"IconIndex%d"=dword:%08x\n' $i $(( index & 0xffffffff ))
    i=$((i+1))
  done
} > "$work/seed.reg"
"$VT_WINE" regedit /s "Z:${work//\//\\}\\seed.reg" >/dev/null 2>&1 || fail "could not seed the registry"

# --- screenshots ------------------------------------------------------------
# Wine's menu windows come out black in a root image: each visible popup menu
# is captured by its own id and laid over the root image.
shoot() {  # <out.png>
  xwd -root -display "$DISPLAY" | convert xwd:- "$work/shot.png" || return 1
  local id geo
  for id in $(menu_windows); do
    geo=$(xwininfo -id "$id" -display "$DISPLAY" |
          awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} END{print "+" x "+" y}')
    xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$work/menu.png" || return 1
    convert "$work/shot.png" "$work/menu.png" -geometry "$geo" -composite "$work/shot.png"
  done
  cp "$work/shot.png" "$1"
}

# Widens the picture area (left top right bottom) to hold a window.
area=()
include() {  # <window>
  eval "$(xdotool getwindowgeometry --shell "$1")"
  if [ ${#area[@]} -eq 0 ]; then
    area=($X $Y $((X + WIDTH)) $((Y + HEIGHT)))
  else
    [ $X -lt ${area[0]} ] && area[0]=$X
    [ $Y -lt ${area[1]} ] && area[1]=$Y
    [ $((X + WIDTH)) -gt ${area[2]} ] && area[2]=$((X + WIDTH))
    [ $((Y + HEIGHT)) -gt ${area[3]} ] && area[3]=$((Y + HEIGHT))
  fi
}

# Visible X windows of Vantrel's process: only its popup menu is ever shown.
menu_windows() { xdotool search --onlyvisible --classname '^vantrel\.exe$' 2>/dev/null; }
menu_shown() { [ -n "$(menu_windows)" ]; }
menu_gone() { ! menu_shown; }

dialog_window() { xdotool search --onlyvisible --name '^Open$' 2>/dev/null | head -1; }
dialog_shown() { [ -n "$(dialog_window)" ]; }

vantrel_ready() {
  "$VT_WINE" reg query 'HKCU\Software\Quorvane.\Vantrel' /v 'Already Run' 2>/dev/null |
    grep -q 'Already Run'
}

# --- the demonstration --------------------------------------------------------
cd "$bin"
echo "demo: starting Vantrel (hidden) in a Wine prefix under build/demo/"
"$VT_WINE" Vantrel.exe >/dev/null 2>&1 &
# Its first start marks the profile; the window is published right after.
wait_for 30 vantrel_ready || fail "Vantrel did not start"
# A first start tells its shortcut in a message box (there is no tray icon);
# it is answered, as a user would, before anything else is shown.
if wait_for 10 menu_shown; then
  for id in $(menu_windows); do xdotool key --window "$id" Return >/dev/null 2>&1 || true; done
  wait_for 10 menu_gone || fail "the start-up notice did not close"
fi

explorer_count() { xdotool search --onlyvisible --classname '^explorer\.exe$' 2>/dev/null | wc -l; }
more_explorers_than() { [ "$(explorer_count)" -gt "$1" ]; }
if [ $open_folders = 1 ]; then
  echo "demo: opening two Explorer windows"
  before=$(explorer_count)
  "$VT_WINE" 'C:\windows\explorer.exe' 'C:\Photos\2026' >/dev/null 2>&1 &
  wait_for 30 more_explorers_than "$before" || fail "no Explorer window appeared"
  before=$(explorer_count)
  "$VT_WINE" 'C:\windows\explorer.exe' 'C:\Projects\Reports' >/dev/null 2>&1 &
  wait_for 30 more_explorers_than "$before" || fail "no second Explorer window appeared"
  sleep 1   # the windows list their folders
fi

echo "demo: opening a file dialog"
"$VT_WINE" navtargets.exe open-explorer 'C:\demo-dialog.log' 'C:\windows' >/dev/null 2>&1 &
wait_for 30 dialog_shown || fail "the Open dialog did not appear"
dlg=$(dialog_window)
xdotool windowactivate --sync "$dlg" >/dev/null 2>&1 || xdotool windowfocus "$dlg"
include "$dlg"
# The menu pops at the cursor: put it over the dialog's file list.
xdotool mousemove $(( (2 * area[0] + area[2]) / 3 )) $(( (2 * area[1] + area[3]) / 3 ))
sleep 0.5   # let the dialog finish filling its list before the picture
shoot "$out/01-dialog.png"

echo "demo: popping the folder menu (Vantrel.exe /pop)"
"$VT_WINE" Vantrel.exe /pop >/dev/null 2>&1
wait_for 15 menu_shown || fail "the folder menu did not appear"
sleep 0.3   # the items are painted right after the window is mapped
shoot "$out/02-menu.png"
include "$(menu_windows | head -1)"

echo "demo: choosing the second folder with the keyboard"
xdotool key Down Down Return
wait_for 10 menu_gone ||
  fail "the folder menu did not close"
sleep 1   # the dialog lists the new folder
shoot "$out/03-navigated.png"

echo "demo: ending Vantrel and the dialog"
"$VT_WINE" Vantrel.exe /quit >/dev/null 2>&1
xdotool key --window "$dlg" Escape >/dev/null 2>&1 || true
# Every picture shows the dialog and the menu's place, with a margin.
left=$((area[0] - 10)); top=$((area[1] - 10))
[ $left -lt 0 ] && left=0
[ $top -lt 0 ] && top=0
crop="$((area[2] + 10 - left))x$((area[3] + 10 - top))+$left+$top"
for f in "$out"/0*.png; do convert "$f" -crop "$crop" +repage "$f"; done
echo "demo: screenshots in $out:"
ls -1 "$out"/*.png
if [ $readme = 1 ]; then
  mkdir -p "$root/docs/images"
  picture=folder-menu.png
  [ $open_folders = 1 ] && picture=folder-menu-open-folders.png
  cp "$out/02-menu.png" "$root/docs/images/$picture"
  echo "demo: README picture in $root/docs/images/$picture"
fi
exit 0
