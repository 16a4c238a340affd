# Shared by the end-to-end window tests (sourced): a scratch folder removed
# on exit with the programs still running, failure counting, screenshots and
# clicks into the client area. Expects $shots (where screenshots go) and, for
# click_client, $ox and $oy (the client area's origin on the screen).
work=$(mktemp -d)
calc_pid=
helper_pid=
cleanup() {
  [ -n "$helper_pid" ] && kill "$helper_pid" 2>/dev/null
  [ -n "$calc_pid" ] && kill "$calc_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
step() { echo "--- $*"; }
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
shoot() { import -window root "PNG24:$shots/$1.png"; }
# retry NAME COMMAND...: shoots NAME and runs the check until it holds (the
# program answers X input asynchronously), at most about 5 seconds.
retry() {
  local name=$1
  shift
  for _ in $(seq 25); do
    shoot "$name"
    if "$@" >"$work/check.out" 2>&1; then return 0; fi
    sleep 0.2
  done
  cat "$work/check.out" >&2
  return 1
}
click_client() { xdotool mousemove $((ox + $1)) $((oy + $2)) click 1; }
