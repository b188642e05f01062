# Sourced by the test, bench and run scripts: a throwaway Wine prefix inside the
# build folder, one Xvfb server and a persistent wineserver. Never touches ~/.wine.

vt_wine_env() {   # <build dir>
  export WINEPREFIX="$1/wineprefix"
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export VT_WINE=/usr/lib/wine/wine64
}

# Windows of a prefix that tests run in are left unmanaged: with no window
# manager on Xvfb, Wine waits two seconds for one each time a managed window
# is hidden, which made most window tests wait rather than work. Everything
# else (the demonstration, screenshots, benchmarks) keeps Wine's default.
vt_wine_managed() {  # yes|no
  local key='HKCU\Software\Wine\X11 Driver'
  if [ "$1" = no ]; then
    "$VT_WINE" reg add "$key" /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 || true
  else
    "$VT_WINE" reg delete "$key" /v Managed /f </dev/null >/dev/null 2>&1 || true
  fi
}

# A running wineserver (wineboot's, or one left behind) ends three seconds
# after its last process and ignores "wineserver -p". Every test program then
# starts a server of its own that holds ctest's output for those three
# seconds: so end any server first and start the persistent one afresh.
vt_wine_persistent_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
}

vt_wine_start() {  # <build dir> [keep-prefix] [unmanaged]
  vt_wine_env "$1"
  if [ "${2:-}" != keep ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
  fi
  if [ -z "${DISPLAY:-}" ] || [ "${VT_OWN_XVFB:-1}" = 1 ]; then
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${VT_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    VT_XVFB_PID=$!
    local n=0
    while [ ! -s "$fdfile" ] && [ $n -lt 100 ]; do sleep 0.1; n=$((n+1)); done
    export DISPLAY=":$(head -1 "$fdfile")"
    rm -f "$fdfile"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$VT_WINE" wineboot -i >/dev/null 2>&1 || true
  fi
  if [ "${3:-}" = unmanaged ]; then vt_wine_managed no; else vt_wine_managed yes; fi
  vt_wine_persistent_server
  "$VT_WINE" cmd /c exit >/dev/null 2>&1 || true   # warm the server up
  # Test runs keep the desktop open for the whole run (see desktopkeeper.cpp);
  # vt_wine_stop ends it with the session.
  if [ "${3:-}" = unmanaged ] && [ -f "$1/bin/desktopkeeper.exe" ]; then
    "$VT_WINE" "$1/bin/desktopkeeper.exe" </dev/null >/dev/null 2>&1 &
  fi
}

vt_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # Prefixes made beside this one (the high-DPI, older-Windows and packaging
  # tests' ones) have servers of their own; an interrupted run must not leave
  # them behind.
  local p
  for p in "$WINEPREFIX"-* "$(dirname "$WINEPREFIX")/packaging/prefix"; do
    [ -d "$p" ] || continue
    WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$p wineserver -w >/dev/null 2>&1 || true
  done
  [ -n "${VT_XVFB_PID:-}" ] && kill "$VT_XVFB_PID" >/dev/null 2>&1 || true
}

# ImageMagick's convert, even where another "convert" comes first on PATH.
vt_use_imagemagick() {
  local c
  for c in "$(command -v convert)" /usr/bin/convert /usr/bin/convert-im6.q16; do
    if [ -x "$c" ] && "$c" -version 2>/dev/null | grep -q '^Version: ImageMagick'; then
      VT_CONVERT=$c
      convert() { command "$VT_CONVERT" "$@"; }
      return 0
    fi
  done
  return 1
}
