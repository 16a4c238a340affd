# Sourced by the end-to-end window tests: a scratch folder, failure counting,
# screenshots, clicks at $ox,$oy (the client area's origin) + x,y, and the
# steps both tests share. Expects $shots, where screenshots go.
work=$(mktemp -d)
calc_pid=
helper_pid=
cleanup() {
  kill "$helper_pid" "$calc_pid" 2>/dev/null || true  # those still running
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
step() { echo "--- $*"; }
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
shoot() { import -window root "PNG24:$shots/$1.png"; }
# retry NAME COMMAND...: shoots NAME and runs the check until it holds (the
# program answers X input asynchronously), at most about 5 seconds.
retry() {
  local name=$1
  shift
  for _ in $(seq 25); do
    shoot "$name"
    "$@" >"$work/check.out" 2>&1 && return 0
    sleep 0.2
  done
  cat "$work/check.out" >&2
  return 1
}
click_client() { xdotool mousemove $((ox + $1)) $((oy + $2)) click 1; }

# The headless canvas (ferrant-replay REPLAY) after start-up and after typing
# baserate 10: $work/canvas-start.png and $work/canvas-typed.png.
replay_canvases() {
  "$1" --png "$work/canvas-start.png" </dev/null >/dev/null
  printf 'type 0 10\n' | "$1" --png "$work/canvas-typed.png" >/dev/null
}

# The steps both window tests share; they expect $root, $check
# (fltk_screen_check) and the caller's drawing_matches SHOT CANVAS.
# step_start TIMEOUT COMMAND...: starts the program in $work beside the logo
# and waits up to TIMEOUT seconds for its window; sets window, ox and oy.
step_start() {
  local timeout_s=$1
  shift
  step "start: the window, its chart and sketches, the logo"
  cp "$root/assets/Varnek.bmp" "$work/"
  (cd "$work" && exec "$@") &
  calc_pid=$!
  if ! timeout "$timeout_s" xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null; then
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
}
step_pick_diameter() {
  step "pick diameter 0.6 from the list"
  click_client 45 126
  sleep 0.5
  shoot list-open
  xdotool key Down Down Return
  retry picked "$check" differ "$shots/typed.png" "$shots/picked.png" 75 118 150 16 || fail "cross-section label unchanged"
  "$check" differ "$shots/typed.png" "$shots/picked.png" 20 166 50 20 || fail "distance unchanged"
  drawing_matches "$shots/picked.png" "$work/canvas-typed.png" || fail "drawing changed by the pick"
}

step_cover_chart() {
  step "another window covers the chart and goes away: the chart is back at once"
  xev -geometry 320x200+$((ox + 330))+$((oy + 60)) >/dev/null 2>&1 &
  helper_pid=$!
  retry covered "$check" differ "$shots/picked.png" "$shots/covered.png" 330 60 320 200 || fail "cover window not seen"
  kill "$helper_pid"
  wait "$helper_pid" 2>/dev/null || true
  helper_pid=
  retry uncovered "$check" same "$shots/picked.png" "$shots/uncovered.png" 300 30 385 285 || fail "chart not repainted"
  drawing_matches "$shots/uncovered.png" "$work/canvas-typed.png" || fail "drawing not repainted"
}

# A planner pastes "12,000" into the distance field: the field shows the 12
# the program reads (copied back out of it), and the feet label shows what
# typing 12 gives. The clipboard is served by xclip, in the foreground.
step_paste_distance() {
  step "paste \"12,000\" into the distance field: it shows 12"
  printf '12,000' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
  helper_pid=$!
  sleep 0.3
  click_client 45 406
  xdotool key End shift+Home ctrl+v
  sleep 1
  shoot pasted
  kill "$helper_pid" 2>/dev/null || true
  wait "$helper_pid" 2>/dev/null || true
  helper_pid=
  xdotool key End shift+Home ctrl+c
  local shown=
  for _ in $(seq 25); do
    shown=$(timeout 2 xclip -selection clipboard -o 2>/dev/null || true)
    [ "$shown" = 12 ] && break
    sleep 0.2
  done
  [ "$shown" = 12 ] || fail "the distance field shows \"$shown\" after pasting 12,000"
  xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
  xdotool type --delay 50 12
  retry typed-12 "$check" same "$shots/pasted.png" "$shots/typed-12.png" 115 398 100 16 ||
    fail "the feet label after the paste is not that of 12 m"
}

# Clicks Quit; the program ($calc_pid) must end within 10 s with exit code 0.
step_quit() {
  step "Quit ends the program with exit code 0"
  click_client 640 636
  for _ in $(seq 100); do kill -0 "$calc_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$calc_pid" 2>/dev/null && { fail "still running after Quit"; return; }
  local status=0
  wait "$calc_pid" || status=$?
  calc_pid=
  [ "$status" -eq 0 ] || fail "exit code $status after Quit"
}

finish() {
  echo "screenshots: $shots"
  if [ "$failures" -ne 0 ]; then
    echo "end-to-end: $failures checks failed" >&2
    exit 1
  fi
  echo "end-to-end: all checks passed"
}
