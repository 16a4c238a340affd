#!/usr/bin/env bash
# doc_examples.sh FERRANT_REACH README [MANPAGE]: runs the worked examples of
# ferrant-reach in README.md (console blocks under "## ferrant-reach") and the
# man page (no-fill blocks under EXAMPLES) and compares their output with the
# documented one, exactly. An example is a "$ command" line and the output
# lines after it; each document's run in order in a fresh folder, standard
# error after standard output, "$ echo $?" giving the example before's exit
# code. "$ cat FILE" of a FILE not there yet writes the shown lines into it.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 FERRANT_REACH README [MANPAGE]" >&2
  exit 2
fi
program=$(realpath "$1")
readme=$2
manpage=${3:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$program" "$work/bin/ferrant-reach"

# The README's examples: "@ FILE:LINE" before each command and its output.
readme_examples() {
  awk '
    /^## / { in_section = ($0 == "## ferrant-reach") }
    in_section && /^```/ {
      in_block = !in_block && ($0 == "```console")
      next
    }
    in_section && in_block {
      if (/^\$ /) print "@ " FILENAME ":" FNR
      print
    }' "$1"
}

# The man page's, the same way, escapes undone; a request or an escape other
# than \- \e \& \(aq \(dq would show something else, so it stops the check.
manpage_examples() {
  awk '
    /^\.SH / { in_section = ($0 == ".SH EXAMPLES") }
    in_section && $0 == ".nf" { in_block = 1; next }
    in_section && $0 == ".fi" { in_block = 0; next }
    in_section && in_block {
      if (/^[.\047]/) {
        print FILENAME ":" FNR ": a request inside an example" > "/dev/stderr"
        exit 1
      }
      rest = $0
      gsub(/\\(-|e|&|\(aq|\(dq)/, "", rest)
      if (index(rest, "\\")) {
        print FILENAME ":" FNR ": an escape the check does not know" > "/dev/stderr"
        exit 1
      }
      line = $0
      gsub(/\\-/, "-", line); gsub(/\\\(aq/, "\047", line); gsub(/\\\(dq/, "\"", line)
      gsub(/\\&/, "", line); gsub(/\\e/, "\\", line)
      if (line ~ /^\$ /) print "@ " FILENAME ":" FNR
      print line
    }' "$1"
}

failures=0
examples=0

# Runs one document's examples (on standard input) in a fresh folder; status
# is the last one's exit code, for "echo $?".
check_examples() {
  local folder where='' command='' expected status=0 line
  folder=$(mktemp -d "$work/run.XXXX")
  expected=$work/expected
  : >"$expected"
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ $line == "@ "* ]]; then
      [ -z "$command" ] || run_example "$folder" "$where" "$command" "$expected"
      where=${line#@ }
      IFS= read -r line
      command=${line#\$ }
      : >"$expected"
    else
      printf '%s\n' "$line" >>"$expected"
    fi
  done
  [ -z "$command" ] || run_example "$folder" "$where" "$command" "$expected"
}

run_example() {
  local folder=$1 where=$2 command=$3 expected=$4 actual=$work/actual previous=$status
  examples=$((examples + 1))
  status=0
  if [[ $command =~ ^cat\ ([^\ \<\>\|]+)$ ]] && [ ! -e "$folder/${BASH_REMATCH[1]}" ]; then
    cp "$expected" "$folder/${BASH_REMATCH[1]}"
    return
  fi
  (cd "$folder" && PATH="$work/bin:$PATH" LC_ALL=C.UTF-8 bash -c "(exit $previous); $command") \
    </dev/null >"$actual" 2>&1 || status=$?
  if ! diff -u --label "documented" --label "ferrant-reach's output" "$expected" "$actual" >"$work/diff"; then
    echo "FAIL: $where: \$ $command" >&2
    cat "$work/diff" >&2
    failures=$((failures + 1))
  fi
}

for document in "$readme" ${manpage:+"$manpage"}; do
  if [ "$document" = "$readme" ]; then
    readme_examples "$document" >"$work/examples"
  else
    manpage_examples "$document" >"$work/examples"
  fi
  before=$examples
  check_examples <"$work/examples"
  if [ "$examples" -eq "$before" ]; then
    echo "FAIL: $document shows no examples of ferrant-reach" >&2
    failures=$((failures + 1))
  fi
done

[ "$failures" -eq 0 ] || { echo "$failures of $examples documented examples differ from ferrant-reach's output" >&2; exit 1; }
echo "$examples documented examples agree with ferrant-reach's output"
