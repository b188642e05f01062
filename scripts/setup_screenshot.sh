#!/usr/bin/env bash
# Captures the Setup dialog with a few folders into docs/images/setup-dialog.png:
# inside an Xvfb of its own and a Wine prefix under build/shots/, it seeds the
# folders, starts Vantrel, pops its menu with "Vantrel.exe /pop", chooses
# "Setup..." with the keyboard and takes the dialog's picture. Ends everything
# it started. Builds nothing: run `make build` first. Needs Xvfb, Wine,
# xdotool, xwd and ImageMagick (scripts/deps.sh installs them).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/x64/bin"
out="$root/build/shots"
for f in Vantrel.exe VTHook.dll; do
  [ -f "$bin/$f" ] || { echo "missing $bin/$f: run make build first" >&2; exit 1; }
done
for t in Xvfb xdotool xwd; do
  command -v "$t" >/dev/null || { echo "missing $t: run scripts/deps.sh" >&2; exit 1; }
done
. "$root/scripts/winenv.sh"
vt_use_imagemagick || { echo "missing ImageMagick: run scripts/deps.sh" >&2; exit 1; }
mkdir -p "$out" "$root/docs/images"
unset DISPLAY
export VT_OWN_XVFB=1
vt_wine_start "$out" keep
work=$(mktemp -d)
cleanup() {
  vt_wine_stop
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "setup_screenshot: $*" >&2; exit 1; }

wait_for() {  # <seconds> <command...>
  local deadline=$(( $(date +%s%N) / 1000000 + $1 * 1000 ))
  shift
  until "$@"; do
    [ $(( $(date +%s%N) / 1000000 )) -ge $deadline ] && return 1
    sleep 0.1
  done
}

drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/Projects/Website" "$drive_c/Projects/Reports" "$drive_c/Photos/2026"
entries=(
  'C:\\Projects|Projects|C:\\windows\\system32\\shell32.dll|3'
  'C:\\Projects\\Reports|Reports|C:\\windows\\system32\\shell32.dll|5'
  'C:\\Projects\\Website|Website|C:\\windows\\system32\\shell32.dll|13'
  'C:\\Photos\\2026|Photos 2026||-1'
  'C:\\windows\\system32|System folder|C:\\windows\\system32\\shell32.dll|15'
)
{
  echo 'REGEDIT4'
  echo
  echo '[-HKEY_CURRENT_USER\Software\Quorvane.\Vantrel]'
  echo
  echo '[HKEY_CURRENT_USER\Software\Quorvane.\Vantrel]'
  echo '"Already Run"=dword:00000001'
  echo '"Show Tray"=dword:00000001'
  echo '"Activate on mouse wheel"=dword:00000001'
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

menu_shown() { [ -n "$(xdotool search --onlyvisible --classname '^vantrel\.exe$' 2>/dev/null)" ]; }
setup_window() { xdotool search --onlyvisible --name '^Setup$' 2>/dev/null | head -1; }
setup_shown() { [ -n "$(setup_window)" ]; }

cd "$bin"
"$VT_WINE" Vantrel.exe >/dev/null 2>&1 &
# A second start forwards "/pop" to the first (it waits while that one starts).
"$VT_WINE" Vantrel.exe /pop >/dev/null 2>&1
wait_for 30 menu_shown || fail "the folder menu did not appear"
# The menu ends with "Setup..." and "Exit".
xdotool key Up Up Return
wait_for 20 setup_shown || fail "the Setup dialog did not appear"
sleep 1   # rows and icons painted
id=$(setup_window)
xdotool windowfocus "$id" >/dev/null 2>&1 || true
sleep 0.3
xwd -id "$id" -display "$DISPLAY" | convert xwd:- "$root/docs/images/setup-dialog.png" ||
  fail "no picture"
xdotool key --window "$id" Escape >/dev/null 2>&1 || true
"$VT_WINE" Vantrel.exe /quit >/dev/null 2>&1
echo "$root/docs/images/setup-dialog.png"
exit 0
