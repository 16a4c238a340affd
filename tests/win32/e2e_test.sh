#!/usr/bin/env bash
# e2e_test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR: starts ferrant-calc.exe under
# Wine ($WINE, in $WINEPREFIX) on the X server in DISPLAY, drives it with real
# X input (xdotool) and checks screenshots against the headless canvas for the
# same input (ferrant-replay from LINUX_BUILD_DIR), as the Linux test does.
#
# Text drawn into the window is in Windows' system font, not in the canvas's
# built-in font, so the pictures are compared where no text is drawn: the
# chart's grid and curves, and the cable sketches beside their labels. The
# client area is found on the screen (fltk_screen_check origin).
# Screenshots are kept in WINDOWS_BUILD_DIR/tests/win32/e2e/.
set -euo pipefail
windows=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
calc=$windows/toolkit/win32/ferrant-calc.exe
replay=$linux/tools/ferrant-replay
check=$linux/tests/fltk/fltk_screen_check
: "${WINE:?}" "${WINEPREFIX:?}"
shots=$windows/tests/win32/e2e
rm -rf "$shots"
mkdir -p "$shots"
. "$root/tests/e2e_lib.sh"

# The drawing on the screen equals the canvas where no text is drawn: the
# chart's grid and curves (left of the legends), and each cable sketch left
# and right of its two resistance labels (x 125 to 174).
drawing_matches() {
  local shot=$1 canvas=$2
  "$check" same "$shot" "$canvas" 340 60 280 211 &&
    "$check" match "$shot" "$canvas" 14 282 111 26 &&
    "$check" match "$shot" "$canvas" 175 282 54 26 &&
    "$check" match "$shot" "$canvas" 14 612 111 26 &&
    "$check" match "$shot" "$canvas" 175 612 54 26
}

replay_canvases "$replay"

step_start 30 "$WINE" "$calc"

step "type baserate 10: line speed, curves"
click_client 35 76
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 10
retry typed drawing_matches "$shots/typed.png" "$work/canvas-typed.png" || fail "chart of baserate 10 differs"
"$check" differ "$shots/start.png" "$shots/typed.png" 205 68 70 16 || fail "line speed label unchanged"
"$check" differ "$shots/start.png" "$shots/typed.png" 20 166 50 20 || fail "distance label unchanged"

step_pick_diameter
step_cover_chart

step "type distance 1000: the feet label over the end of \"Meter = 0 Feet\""
click_client 45 406
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 1000
sleep 1
retry distance "$check" differ "$shots/uncovered.png" "$shots/distance.png" 115 398 100 16 ||
  fail "feet label unchanged"

step_paste_distance
step_quit

step "started from another folder: the logo from the program's own folder"
mkdir -p "$work/program" "$work/elsewhere"
cp "$calc" "$root/assets/Varnek.bmp" "$work/program/"
(cd "$work/elsewhere" && exec "$WINE" "$work/program/ferrant-calc.exe") &
calc_pid=$!
timeout 30 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null || fail "no window appeared"
retry logo-beside "$check" image "$shots/logo-beside.png" "$root/assets/Varnek.bmp" 438 530 ||
  fail "the logo beside the program is not shown"
step_quit
finish
