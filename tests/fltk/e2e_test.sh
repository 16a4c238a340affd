#!/usr/bin/env bash
# e2e_test.sh BUILD_DIR: starts ferrant-calc for real on the X server in
# DISPLAY (run it under with_xvfb.sh), drives it with real X input (xdotool)
# and checks screenshots against the headless backend's canvas for the same
# input (ferrant-replay): the chart panel and grid, the typed baserate's
# curves and legends, the green cable sketches, the logo, the chart still
# there after another window covered it, exit code 0 after "Quit", and under
# a window manager no minimise or maximise action.
# The client area is found on the screen (fltk_screen_check origin).
# Screenshots are kept in BUILD_DIR/tests/fltk/e2e/.
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
calc=$build/toolkit/fltk/ferrant-calc
replay=$build/tools/ferrant-replay
check=$build/tests/fltk/fltk_screen_check
shots=$build/tests/fltk/e2e
rm -rf "$shots"
mkdir -p "$shots"
. "$root/tests/e2e_lib.sh"

# The headless canvas for the same input.
printf '' >"$work/start.script"
printf 'type 0 10\n' >"$work/typed.script"
"$replay" --png "$work/canvas-start.png" "$work/start.script" >/dev/null
"$replay" --png "$work/canvas-typed.png" "$work/typed.script" >/dev/null

step "start: the window, its chart and sketches, the logo"
cp "$root/assets/Varnek.bmp" "$work/"
(cd "$work" && exec "$calc") &
calc_pid=$!
if ! timeout 10 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null; then
  fail "no window appeared"
  exit 1
fi
retry start "$check" match "$shots/start.png" "$work/canvas-start.png" || fail "start picture differs from the canvas"
read -r ox oy < <("$check" origin "$shots/start.png")
echo "client area at $ox,$oy"
"$check" image "$shots/start.png" "$work/Varnek.bmp" 438 530 || fail "the logo is not shown"
window=$(xdotool search --name '^Ferrant Transmission Calculation$' | head -n1)
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry" | grep -q "Position: 10,0 " || fail "window not at 10,0: $geometry"
echo "$geometry" | grep -q "Geometry: 700x680" || fail "window not 700x680: $geometry"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"

step "type baserate 10: line speed, curves and legends"
click_client 35 76
xdotool key ctrl+a
xdotool type --delay 50 10
retry typed "$check" match "$shots/typed.png" "$work/canvas-typed.png" || fail "chart of baserate 10 differs"
"$check" differ "$shots/start.png" "$shots/typed.png" 205 68 70 16 || fail "line speed label unchanged"

step "pick diameter 0.6 from the list"
click_client 45 126
sleep 0.5
shoot list-open
xdotool key Down Down Return
retry picked "$check" differ "$shots/typed.png" "$shots/picked.png" 75 118 150 16 || fail "cross-section label unchanged"
"$check" differ "$shots/typed.png" "$shots/picked.png" 20 166 50 20 || fail "distance unchanged"
"$check" match "$shots/picked.png" "$work/canvas-typed.png" || fail "drawing changed by the pick"

step "another window covers the chart and goes away: the chart is back at once"
xev -geometry 320x200+$((ox + 330))+$((oy + 60)) >/dev/null 2>&1 &
helper_pid=$!
retry covered "$check" differ "$shots/picked.png" "$shots/covered.png" 330 60 320 200 || fail "cover window not seen"
kill "$helper_pid"
wait "$helper_pid" 2>/dev/null || true
helper_pid=
retry uncovered "$check" same "$shots/picked.png" "$shots/uncovered.png" 300 30 385 285 || fail "chart not repainted"
"$check" match "$shots/uncovered.png" "$work/canvas-typed.png" || fail "drawing not repainted"

step "Quit ends the program with exit code 0"
click_client 640 636
status=0
for _ in $(seq 50); do
  kill -0 "$calc_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$calc_pid" 2>/dev/null; then
  fail "still running after Quit"
else
  wait "$calc_pid" || status=$?
  calc_pid=
  [ "$status" -eq 0 ] || fail "exit code $status after Quit"
fi

step "under a window manager: moving, sizing and closing only"
# The window asks for no minimise or maximise box (Motif hints); JWM honours
# that and says so in the actions it allows. (Openbox keeps its buttons
# whatever the hints say, so it cannot show this.)
command -v jwm >/dev/null || fail "jwm is not installed (scripts/packages/fltk.txt)"
jwm >/dev/null 2>&1 &
helper_pid=$!
(cd "$work" && exec "$calc") &
calc_pid=$!
timeout 10 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null || fail "no window under jwm"
window=$(xdotool search --name '^Ferrant Transmission Calculation$' | head -n1)
actions=
for _ in $(seq 50); do
  actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS 2>/dev/null || true)
  case $actions in *_NET_WM_ACTION_CLOSE*) break ;; esac
  sleep 0.1
done
echo "$actions"
for action in MOVE RESIZE CLOSE; do
  case $actions in *_NET_WM_ACTION_$action*) ;; *) fail "the window manager does not offer $action" ;; esac
done
case $actions in *MINIMIZE* | *MAXIMIZE*) fail "the window manager offers minimise or maximise" ;; esac
kill "$calc_pid" "$helper_pid"
wait "$calc_pid" "$helper_pid" 2>/dev/null || true
calc_pid=
helper_pid=

echo "screenshots: $shots"
if [ "$failures" -ne 0 ]; then
  echo "end-to-end: $failures checks failed" >&2
  exit 1
fi
echo "end-to-end: all checks passed"
