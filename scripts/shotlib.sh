# Sourced by the screenshot scripts (menu, editor, flat, Setup) after they set
# $root. A screenshot driver under tests/fixtures shows a window, writes the
# file $work/ready (with any details on its lines) and waits for the file
# $work/next before it goes on; the script takes the picture in between.
# Everything runs in the build's own Wine prefix inside an Xvfb of its own.

# Sets $build and $driver, checks the program is built and ImageMagick is
# there, and starts the build's kept prefix. Also used by the menu script,
# whose demonstration program has a handshake of its own.
vt_shot_prefix() {  # <program in build/x64/bin>
  build="$root/build/x64"
  driver="$build/bin/$1"
  [ -f "$driver" ] || { echo "missing $driver: build first" >&2; exit 1; }
  . "$root/scripts/winenv.sh"
  vt_use_imagemagick || { echo "missing ImageMagick: run scripts/deps.sh" >&2; exit 1; }
  vt_wine_start "$build" keep
}

vt_shot_begin() {  # <driver program in build/x64/bin>
  vt_shot_prefix "$1"
  work=$(mktemp -d)
  trap 'vt_wine_stop; rm -rf "$work"' EXIT
  mkdir -p "$root/docs/images"
  VT_SHOT_READY="Z:$work/ready" VT_SHOT_NEXT="Z:$work/next" "$VT_WINE" "$driver" &
  pid=$!
}

# Waits (up to a minute) until the driver shows its next window.
vt_shot_wait_ready() {
  local n=0
  while [ ! -s "$work/ready" ] && [ $n -lt 600 ]; do
    kill -0 "$pid" 2>/dev/null || { echo "the driver ended early" >&2; exit 1; }
    sleep 0.1; n=$((n+1))
  done
  [ -s "$work/ready" ] || { echo "the driver showed nothing" >&2; exit 1; }
}

# Lets the driver go on to its next window.
vt_shot_next() {
  rm -f "$work/ready"
  touch "$work/next"
}

# The X window of the Wine window with this title. Without a window manager
# a Wine window's X window is its client area: there is no caption.
vt_shot_window() {  # <title>
  local id
  id=$(xwininfo -name "$1" -display "$DISPLAY" | awk '/Window id:/ {print $4}')
  [ -n "$id" ] || { echo "\"$1\" has no X window" >&2; exit 1; }
  echo "$id"
}

# Waits for the driver to end.
vt_shot_end() {
  wait "$pid" || { echo "the driver failed" >&2; exit 1; }
}
