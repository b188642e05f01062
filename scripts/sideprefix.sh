# Sourced by hidpi_prefix.sh and winver_prefix.sh: a second Wine prefix for
# tests, next to the ordinary one, that differs from it in one setting Wine
# reads when a program starts. The caller sets WINEPREFIX and defines
#   vt_side_setting   writes the setting into the (fresh) prefix
#   vt_side_has       true when the prefix holds the setting
# then calls vt_side_main "$@". Uses the caller's DISPLAY.
wine=/usr/lib/wine/wine64

vt_side_end_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

vt_side_start() {
  # Made afresh once more should the setting not be found: a start of the
  # whole sequence failed once, without output, and passed when run again.
  local attempt
  for attempt in 1 2; do
    vt_side_make && return 0
    echo "attempt $attempt: the setting is not in $WINEPREFIX/user.reg" >&2
  done
  return 1
}

vt_side_make() {
  if [ "${VT_KEEP_PREFIX:-}" != 1 ] || ! vt_side_has; then
    vt_side_end_server
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
    vt_side_setting </dev/null >/dev/null 2>&1 || echo "writing the setting failed" >&2
  fi
  # Everything wineboot started read the old setting; and a server still
  # running would ignore -p and end three seconds after each test program,
  # holding ctest's output that long. So end it all, then start a persistent
  # server. Nothing Wine starts may keep this script's output open: ctest
  # waits for it to close.
  vt_side_end_server
  wineserver -p </dev/null >/dev/null 2>&1
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true   # warm the server up
  # No window manager on the test display: unmanaged windows hide at once.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1
  vt_side_has
}

vt_side_stop() {
  if [ -d "$WINEPREFIX" ]; then
    vt_side_end_server
    [ "${VT_KEEP_PREFIX:-}" = 1 ] || rm -rf "$WINEPREFIX"
  fi
}
