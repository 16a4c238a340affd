#!/usr/bin/env bash
# exit_codes.sh FERRANT_REACH: the exit codes and messages that only the real
# program and a real system give: a full disk, a directory on standard input,
# a FILE argument, and a pipe into the tool.
set -uo pipefail
reach=$1
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expect() {  # expect CODE MESSAGE_PART -- COMMAND...: the exit code and a part of standard error
  local code=$1 part=$2
  shift 3
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  if [ "$status" -ne "$code" ] || { [ -n "$part" ] && ! grep -qF -- "$part" "$work/err"; }; then
    echo "FAIL: $* gave exit code $status (expected $code) and: $(cat "$work/err")" >&2
    failures=$((failures + 1))
  fi
}

printf 'link;distance_m;diameter\r\nA;5000;0,4\r\n' >"$work/links.csv"
expect 0 "" -- "$reach" batch "$work/links.csv"
grep -qx 'A;5000;0,4;29;1856;' <(tr -d '\r' <"$work/out") || { echo "FAIL: batch FILE output: $(cat "$work/out")" >&2; failures=$((failures + 1)); }
[ -w /dev/full ] && expect 3 "cannot write the output" -- sh -c "\"$reach\" table --diameter all >/dev/full"
[ -w /dev/full ] && expect 3 "cannot write the output" -- sh -c "\"$reach\" batch \"$work/links.csv\" >/dev/full"
expect 2 "cannot read standard input: " -- sh -c "\"$reach\" batch <\"$work\""
expect 2 "cannot read \"$work\": " -- "$reach" batch "$work"
expect 2 "cannot read \"$work/none.csv\": " -- "$reach" batch -- "$work/none.csv"
expect 1 "" -- sh -c "printf 'distance_m,diameter\n1,9\n' | \"$reach\" batch -"
expect 2 "--version takes no arguments" -- "$reach" --version now

[ "$failures" -eq 0 ] || exit 1
echo "exit codes: all as documented"
