#!/usr/bin/env bash
# with_xvfb.sh COMMAND [ARG...]: runs the command on a virtual X server of
# its own (FERRANT_XVFB_SCREEN, default 2400x1600x24: room for the window at
# 200 %). Exits 77, "skipped" to CTest, when Xvfb is not installed.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is not installed (scripts/packages/fltk.txt): skipped" >&2
  exit 77
fi
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${FERRANT_XVFB_SCREEN:-2400x1600x24}" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
stop_server() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap stop_server EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
number=$(head -n1 "$work/display")
if [ -z "$number" ]; then
  echo "Xvfb reported no display number" >&2
  exit 1
fi
export DISPLAY=":$number"
"$@"
