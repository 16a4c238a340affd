#!/usr/bin/env bash
# e2e_test.sh BUILD_DIR: ferrant-calc on the X server in DISPLAY (run it under
# with_xvfb.sh), driven with real X input (xdotool); its screenshots must equal
# ferrant-replay's canvas for the same input. Screenshots are kept in
# BUILD_DIR/tests/fltk/e2e/.
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

# The drawing on the screen equals the headless canvas for the same input.
drawing_matches() { "$check" match "$1" "$2"; }
replay_canvases "$replay"

step_start 10 "$calc"
echo "$geometry" | grep -q "Geometry: 700x680" || fail "window not 700x680: $geometry"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"

step "type baserate 10: line speed, curves and legends"
click_client 35 76
xdotool key ctrl+a
xdotool type --delay 50 10
retry typed drawing_matches "$shots/typed.png" "$work/canvas-typed.png" || fail "chart of baserate 10 differs"
"$check" differ "$shots/start.png" "$shots/typed.png" 205 68 70 16 || fail "line speed label unchanged"

step "baserate 100, then 10 again: the chart at scale 1 and back"
printf 'type 0 100\n' | "$replay" --png "$work/canvas-100.png" >/dev/null
xdotool key ctrl+a
xdotool type --delay 50 100
retry scale-1 drawing_matches "$shots/scale-1.png" "$work/canvas-100.png" || fail "chart of baserate 100 differs"
xdotool key ctrl+a
xdotool type --delay 50 10
retry typed-again drawing_matches "$shots/typed-again.png" "$work/canvas-typed.png" || fail "chart of baserate 10 differs"

step_pick_diameter
step_cover_chart
step_paste_distance
step_quit

step "under a window manager: moving, sizing and closing only"
# The window asks for no minimise or maximise box (Motif hints); JWM, unlike
# Openbox, honours that in the actions it allows.
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
  [[ $actions == *_NET_WM_ACTION_CLOSE* ]] && break
  sleep 0.1
done
echo "$actions"
for action in MOVE RESIZE CLOSE; do
  case $actions in *_NET_WM_ACTION_$action*) ;; *) fail "the window manager does not offer $action" ;; esac
done
case $actions in *MINIMIZE* | *MAXIMIZE*) fail "the window manager offers minimise or maximise" ;; esac
kill "$calc_pid" "$helper_pid"
wait "$calc_pid" "$helper_pid" 2>/dev/null || true
calc_pid= helper_pid=
finish
