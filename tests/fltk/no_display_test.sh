#!/usr/bin/env bash
# no_display_test.sh FERRANT_CALC: without an X server the program says so on
# one line and exits with 1.
set -u
calc=$1
fail=0
check() {  # check DESCRIPTION EXPECTED-MESSAGE COMMAND...
  local description=$1 expected=$2
  shift 2
  local output status
  output=$("$@" 2>&1 >/dev/null)
  status=$?
  if [ "$status" -ne 1 ] || [ "$output" != "$expected" ]; then
    echo "FAIL $description: exit $status, stderr: $output" >&2
    fail=1
  fi
}
check "DISPLAY unset" "cannot open the window: no display (DISPLAY is not set)" env -u DISPLAY "$calc"
check "no server" "cannot open the window: no display (cannot connect to the X server \":99999\")" \
  env DISPLAY=:99999 "$calc"
exit $fail
