#!/usr/bin/env bash
# first_frame_and_cpu.sh [BUILD_DIR] (default build/default): on a virtual X
# server of its own, prints
#   - start-up to the first complete frame, median of 15 alternating runs:
#     ferrant-calc's start-up (bench_fltk_first_frame) against a bare FLTK
#     window with the same controls (bench_fltk_bare_first_frame); goal: at
#     most 1.15 times the bare window's
#   - ferrant-calc's first complete frame at 200 % (FERRANT_SCALE=2) against
#     100 %, median of 15 alternating runs; goal: at most 1.3 times
#   - CPU time of ferrant-calc over 10 s of idleness (goal: near zero)
#   - CPU time of ferrant-calc over 1000 mouse movements across its window
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
if [ -z "${FERRANT_BENCH_ON_XVFB:-}" ]; then
  FERRANT_BENCH_ON_XVFB=1 exec "$root/tests/fltk/with_xvfb.sh" "$0" "$build"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/assets/Varnek.bmp" "$work/"
cd "$work"

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
runs=15
for _ in $(seq "$runs"); do
  "$build/bench/fltk/bench_fltk_first_frame" "$(date +%s%N)" >>program.ms
  "$build/bench/fltk/bench_fltk_bare_first_frame" "$(date +%s%N)" >>bare.ms
done
program=$(median <program.ms)
bare=$(median <bare.ms)
echo "first complete frame, median of $runs: ferrant-calc $program ms, bare FLTK window $bare ms," \
  "ratio $(awk -v a="$program" -v b="$bare" 'BEGIN {printf "%.3f", a / b}') (goal <= 1.15)"

for _ in $(seq "$runs"); do
  FERRANT_SCALE=1 "$build/bench/fltk/bench_fltk_first_frame" "$(date +%s%N)" >>scale100.ms
  FERRANT_SCALE=2 "$build/bench/fltk/bench_fltk_first_frame" "$(date +%s%N)" >>scale200.ms
done
at100=$(median <scale100.ms)
at200=$(median <scale200.ms)
echo "first complete frame, median of $runs: at 200 % $at200 ms, at 100 % $at100 ms," \
  "ratio $(awk -v a="$at200" -v b="$at100" 'BEGIN {printf "%.3f", a / b}') (goal <= 1.3)"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
ticks_per_second=$(getconf CLK_TCK)
"$build/toolkit/fltk/ferrant-calc" &
pid=$!
timeout 10 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null
sleep 1
before=$(cpu_ticks "$pid")
sleep 10
after=$(cpu_ticks "$pid")
echo "CPU time over 10 s idle: $(awk -v t=$((after - before)) -v h="$ticks_per_second" 'BEGIN {printf "%.3f", t / h}') s"

moves=()
for i in $(seq 0 999); do moves+=(mousemove $((40 + (i * 7) % 640)) $((40 + (i * 13) % 600))); done
before=$(cpu_ticks "$pid")
start=$(date +%s%N)
xdotool "${moves[@]}"
sleep 1
after=$(cpu_ticks "$pid")
echo "CPU time over 1000 mouse movements: $(awk -v t=$((after - before)) -v h="$ticks_per_second" 'BEGIN {printf "%.3f", t / h}') s" \
  "(xdotool took $(( ($(date +%s%N) - start) / 1000000 - 1000 )) ms)"
kill "$pid"
wait "$pid" 2>/dev/null || true
