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

# The headless canvas for the same input.
printf '' >"$work/start.script"
printf 'type 0 10\n' >"$work/typed.script"
"$replay" --png "$work/canvas-start.png" "$work/start.script" >/dev/null
"$replay" --png "$work/canvas-typed.png" "$work/typed.script" >/dev/null

step "start: the window, its chart and sketches, the logo"
cp "$root/assets/Varnek.bmp" "$work/"
(cd "$work" && exec "$WINE" "$calc") &
calc_pid=$!
if ! timeout 30 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null; then
  fail "no window appeared"
  exit 1
fi
retry start drawing_matches "$shots/start.png" "$work/canvas-start.png" || fail "start picture differs from the canvas"
read -r ox oy < <("$check" origin "$shots/start.png")
echo "client area at $ox,$oy"
"$check" image "$shots/start.png" "$work/Varnek.bmp" 438 530 || fail "the logo is not shown"
window=$(xdotool search --name '^Ferrant Transmission Calculation$' | head -n1)
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry" | grep -q "Position: 10,0 " || fail "window not at 10,0: $geometry"

step "type baserate 10: line speed, curves"
click_client 35 76
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 10
retry typed drawing_matches "$shots/typed.png" "$work/canvas-typed.png" || fail "chart of baserate 10 differs"
"$check" differ "$shots/start.png" "$shots/typed.png" 205 68 70 16 || fail "line speed label unchanged"
"$check" differ "$shots/start.png" "$shots/typed.png" 20 166 50 20 || fail "distance label unchanged"

step "pick diameter 0.6 from the list"
click_client 45 126
sleep 0.5
shoot list-open
xdotool key Down Down Return
retry picked "$check" differ "$shots/typed.png" "$shots/picked.png" 75 118 150 16 || fail "cross-section label unchanged"
"$check" differ "$shots/typed.png" "$shots/picked.png" 20 166 50 20 || fail "distance unchanged"
drawing_matches "$shots/picked.png" "$work/canvas-typed.png" || fail "drawing changed by the pick"

step "another window covers the chart and goes away: the chart is back at once"
xev -geometry 320x200+$((ox + 330))+$((oy + 60)) >/dev/null 2>&1 &
helper_pid=$!
retry covered "$check" differ "$shots/picked.png" "$shots/covered.png" 330 60 320 200 || fail "cover window not seen"
kill "$helper_pid"
wait "$helper_pid" 2>/dev/null || true
helper_pid=
retry uncovered "$check" same "$shots/picked.png" "$shots/uncovered.png" 300 30 385 285 || fail "chart not repainted"
drawing_matches "$shots/uncovered.png" "$work/canvas-typed.png" || fail "drawing not repainted"

step "type distance 1000: the feet label over the end of \"Meter = 0 Feet\""
click_client 45 406
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 1000
sleep 1
retry distance "$check" differ "$shots/uncovered.png" "$shots/distance.png" 115 398 100 16 ||
  fail "feet label unchanged"

step "Quit ends the program with exit code 0"
click_client 640 636
for _ in $(seq 100); do
  kill -0 "$calc_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$calc_pid" 2>/dev/null; then
  fail "still running after Quit"
else
  status=0
  wait "$calc_pid" || status=$?
  calc_pid=
  [ "$status" -eq 0 ] || fail "exit code $status after Quit"
fi

echo "screenshots: $shots"
if [ "$failures" -ne 0 ]; then
  echo "end-to-end: $failures checks failed" >&2
  exit 1
fi
echo "end-to-end: all checks passed"
