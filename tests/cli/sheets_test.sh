#!/usr/bin/env bash
# sheets_test.sh COMMAND...: ferrant-reach batch (the COMMAND: the program,
# or wine and the .exe) on the files spreadsheets write (sheets/), each
# output compared byte for byte with the expected one: the input's fields,
# quoting, line ends, encoding and mark kept, the results in their columns.
# Then, for a program of this machine, what a shell sees of a closed pipe
# and a full disk.
set -uo pipefail
sheets=$(cd "$(dirname "$0")/sheets" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# check EXPECTED STATUS ARG...: standard output (standard error for
# *.refused, its CRs aside) against sheets/EXPECTED, and the exit status.
check() {
  local expected=$1 status=$2 got=0
  shift 2
  (cd "$sheets" && "${command[@]}" batch "$@" >"$work/out" 2>"$work/err") || got=$?
  local output=$work/out
  # Messages end lines as the platform's console does.
  [[ $expected == *.refused ]] && tr -d '\r' <"$work/err" >"$work/message" && output=$work/message
  cmp -s "$output" "$sheets/$expected" || fail "batch $* differs from $expected: $(cmp "$output" "$sheets/$expected")"
  [ "$got" -eq "$status" ] || fail "batch $* exits with $got, not $status"
}

command=()
for arg in "$@"; do  # the files of the command, wherever it runs from
  if [ -e "$arg" ]; then command+=("$(realpath "$arg")"); else command+=("$arg"); fi
done
check excel-utf8.expected 1 excel-utf8.csv
check rerun.expected 1 excel-utf8.expected
check rerun-older.expected 1 rerun-older.csv
check excel-cp1252.expected 0 --encoding cp1252 excel-cp1252.csv
check excel-cp1252.jsonl 0 --encoding cp1252 --format json excel-cp1252.csv
check excel-cp1252.refused 2 excel-cp1252.csv
check unicode-text.expected 0 unicode-text.txt
check unicode-text.jsonl 0 --format json unicode-text.txt
check libreoffice-sep.expected 0 libreoffice-sep.csv

if [ $# -eq 1 ]; then
  # A reader that has all it wants closes the pipe: the signal ends the
  # program, nothing is said.
  "${command[0]}" table --diameter all 2>"$work/err" | head -n 1 >/dev/null
  status=${PIPESTATUS[0]}
  [ "$status" -eq 141 ] || fail "a closed pipe gives status $status, not 141 (SIGPIPE)"
  [ ! -s "$work/err" ] || fail "a closed pipe is reported: $(cat "$work/err")"
  if [ -w /dev/full ]; then
    status=0
    "${command[0]}" table --diameter all >/dev/full 2>"$work/err" || status=$?
    [ "$status" -eq 3 ] || fail "a full disk gives exit code $status, not 3"
    grep -qx "ferrant-reach: cannot write the output: No space left on device" "$work/err" ||
      fail "a full disk is reported as: $(cat "$work/err")"
  fi
fi
[ "$failures" -eq 0 ] && echo "batch on every sheet as expected"
[ "$failures" -eq 0 ]
