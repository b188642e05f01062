#!/usr/bin/env bash
# Captures the Setup dialog with a few folders into docs/images/setup.png:
# tests/fixtures/setup_shots stores the folders, starts Vantrel.exe, chooses
# "Setup..." and selects a row; this script then takes the dialog's picture
# from its X window. Runs in a Wine prefix of its own (build/x64/wineprefix,
# as the tests) inside its own Xvfb, and ends everything it started.
# Builds nothing: run `make build` first. Needs Xvfb, Wine, xwd, ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/shotlib.sh"
vt_shot_begin setup_shots.exe

vt_shot_wait_ready
xwd -id "$(vt_shot_window "Setup")" -display "$DISPLAY" |
  convert xwd:- "$root/docs/images/setup.png"
vt_shot_next
vt_shot_end
echo "$root/docs/images/setup.png"
