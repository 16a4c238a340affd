#!/usr/bin/env bash
# no_display_test.sh FERRANT_CALC FERRANT_REACH: without an X server the
# program says so on one line and exits with 1; --help and --version need no
# display (they open no window), and the version is ferrant-reach's.
set -u
calc=$1
reach=$2
fail=0
check() {  # check DESCRIPTION EXPECTED-STATUS EXPECTED-STDERR COMMAND...
  local description=$1 expected_status=$2 expected=$3
  shift 3
  local output status
  output=$("$@" 2>&1 >/dev/null)
  status=$?
  if [ "$status" -ne "$expected_status" ] || [ "$output" != "$expected" ]; then
    echo "FAIL $description: exit $status, stderr: $output" >&2
    fail=1
  fi
}
check "DISPLAY unset" 1 "cannot open the window: no display (DISPLAY is not set)" env -u DISPLAY "$calc"
check "no server" 1 "cannot open the window: no display (cannot connect to the X server \":99999\")" \
  env DISPLAY=:99999 "$calc"
check "--help" 0 "" env -u DISPLAY "$calc" --help
check "unknown argument" 2 "ferrant-calc: unexpected argument \"--geometry\"; accepted: --help or --version, alone" \
  env -u DISPLAY "$calc" --geometry

[ "$(env -u DISPLAY "$calc" --version)" = "ferrant-calc $("$reach" --version | sed 's/^ferrant-reach //')" ] ||
  { echo "FAIL --version is not ferrant-reach's" >&2; fail=1; }
env -u DISPLAY "$calc" --help | grep -q '^Usage: ferrant-calc' || { echo "FAIL --help prints no usage" >&2; fail=1; }
exit $fail
