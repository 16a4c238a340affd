#!/usr/bin/env bash
# program_test.sh FERRANT_CALC FERRANT_REPLAY SCREEN_CHECK: the real program on
# the X server in DISPLAY (run it under with_xvfb.sh), driven with X input
# (xdotool): its window's place, size and icon, its pixels against
# ferrant-replay's canvas for the same input, the results copied to the
# clipboard, the refused-character hint, Quit's exit code, the same window at
# 200 % (Xft.dpi) and 150 % (FERRANT_SCALE), and under a window manager only
# moving, sizing and closing offered.
set -euo pipefail
calc=$(realpath "$1") replay=$(realpath "$2") check=$(realpath "$3")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# shot_until NAME CHECK...: screenshots until the check holds (X input is
# answered asynchronously), at most about 5 seconds.
shot_until() {
  local name=$work/$1.png
  shift
  for _ in $(seq 25); do
    import -window root "PNG24:$name"
    "$@" "$name" >"$work/check.out" 2>&1 && return 0
    sleep 0.2
  done
  cat "$work/check.out" >&2
  return 1
}
matches_at() { "$check" --scale "$1" match "$3" "$2"; }
start() {
  (cd "$work" && exec env "$@" "$calc") &
  pids+=($!)
  timeout 10 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null || { fail "no window"; exit 1; }
  window=$(xdotool search --name '^Ferrant Transmission Calculation$' | head -n1)
}
# open_at SCALE ENV...: starts the program at that display scale: the window
# as many device pixels larger, its picture the canvas at that scale, pixel
# for pixel, at start and after baserate 10 is typed. Sets ox oy, the
# client area's origin on the screen.
open_at() {
  local scale=$1 size
  shift
  "$replay" --scale "$scale" --png "$work/canvas-$scale.png" </dev/null >/dev/null
  printf 'type 0 10\n' | "$replay" --scale "$scale" --png "$work/canvas-$scale-typed.png" >/dev/null
  start "$@"
  shot_until "start-$scale" matches_at "$scale" "$work/canvas-$scale.png" ||
    fail "at $scale the start picture differs from the canvas"
  size=$(awk -v s="$scale" 'BEGIN { printf "%dx%d", int(700 * s + 0.5), int(680 * s + 0.5) }')
  [[ $(xdotool getwindowgeometry "$window") == *"Geometry: $size"* ]] || fail "at $scale the window is not $size"
  read -r ox oy < <("$check" --scale "$scale" origin "$work/start-$scale.png")
  xdotool mousemove "$(awk -v o="$ox" -v s="$scale" 'BEGIN { print int(o + 35 * s) }')" \
    "$(awk -v o="$oy" -v s="$scale" 'BEGIN { print int(o + 76 * s) }')" click 1
  xdotool key ctrl+a
  xdotool type --delay 50 10
  shot_until "typed-$scale" matches_at "$scale" "$work/canvas-$scale-typed.png" ||
    fail "at $scale the chart of baserate 10 differs from the canvas"
}

cp "$root/assets/Varnek.bmp" "$work/"
open_at 1
[[ $(xdotool getwindowgeometry "$window") == *"Position: 10,0 "* ]] || fail "window not at 10,0"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (32 x 32)" || fail "the window has no 32 x 32 icon"

# Ctrl+Shift+C: the results on the clipboard and the primary selection alike
# (what the copy holds: tests/app/app_test.cpp; the shortcut and the
# clipboard on every backend: the conformance suite).
xdotool key ctrl+shift+c
sleep 0.5
copied=$(timeout 5 xclip -o -selection clipboard || true)
[[ $copied == *"6555 Meter = 21505 Feet"* ]] || fail "the copied results lack baserate 10's reach: $copied"
[[ $(timeout 5 xclip -o -selection primary || true) == "$copied" ]] || fail "the primary selection is not the copied text"
# A refused "." in the distance field: the text stays, the hint shows under
# the field (its pale yellow), and is gone after its five seconds.
hint_shown() { convert "$1" -crop "1x1+$((ox + 50))+$((oy + 380 + 16 + 20 + 12))" -depth 8 txt: | grep -qi "#FFFFE1"; }
xdotool mousemove $((ox + 35)) $((oy + 405)) click 1
xdotool key End period
shot_until hint hint_shown || fail "a refused character shows no hint under the field"
sleep 5.5
import -window root "PNG24:$work/hint-gone.png"
! hint_shown "$work/hint-gone.png" || fail "the hint still shows after five seconds"
xdotool mousemove $((ox + 640)) $((oy + 636)) click 1
status=0
timeout 10 tail --pid="${pids[0]}" -f /dev/null || fail "still running after Quit"
wait "${pids[0]}" || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after Quit"

# Xft.dpi as X resources give it (Xlib reads XENVIRONMENT's file after the
# server's RESOURCE_MANAGER, which a server of its own resets when its last
# client goes).
echo "Xft.dpi: 192" >"$work/resources"
for scaled in "2 XENVIRONMENT=$work/resources" "1.5 FERRANT_SCALE=1.5"; do
  # shellcheck disable=SC2086
  open_at $scaled
  kill "${pids[-1]}"
  wait "${pids[-1]}" 2>/dev/null || true
done

# The window asks for no minimise or maximise box (Motif hints); JWM, unlike
# Openbox, honours that in the actions it allows.
if command -v jwm >/dev/null; then
  # The window manager owns the screen once it names itself on the root
  # window; a window mapped before that may never be managed. The server
  # resets when its last client has gone, and a client connecting meanwhile
  # is turned away: started again until it holds.
  wm=
  for _ in $(seq 100); do
    if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
      jwm >/dev/null 2>&1 &
      wm=$!
      pids+=("$wm")
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
  start
  actions=
  for _ in $(seq 100); do
    actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS 2>/dev/null || true)
    [[ $actions == *_NET_WM_ACTION_CLOSE* ]] && break
    sleep 0.1
  done
  for action in MOVE RESIZE CLOSE; do [[ $actions == *_NET_WM_ACTION_$action* ]] || fail "no $action: $actions"; done
  [[ $actions != *MINIMIZE* && $actions != *MAXIMIZE* ]] || fail "minimise or maximise offered: $actions"
else
  fail "jwm is not installed (scripts/packages/fltk.txt)"
fi
[ "$failures" -eq 0 ]
