#!/usr/bin/env bash
# wine_tests.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR: the Windows tests under Wine
# on the X server in DISPLAY (run it under tests/fltk/with_xvfb.sh), in a Wine
# prefix of its own: the unit tests, ferrant-reach.exe's output against the
# Linux build's, the conformance suite and win32_own_test in-process, and
# ferrant-calc.exe started from another folder with real X input (its chart
# against ferrant-replay's canvas, the logo beside it, Quit's exit code).
# WINDOWS_BUILD_DIR: a mingw-x86_64 build; LINUX_BUILD_DIR: a default build.
set -euo pipefail
windows=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

. "$here/wine_prefix.sh"
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

echo "--- a fresh Wine prefix"
started=$(date +%s)
wine_prefix_create "$WINEPREFIX"
# No window manager runs: with unmanaged windows Wine does not wait for one
# (2 s) whenever a window is hidden or destroyed.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$WINESERVER" -w
echo "prefix ready in $(($(date +%s) - started)) s"

echo "--- unit tests of the model, the chart and ferrant-reach (x86_64 Windows)"
for tests in tests/model/ferrant_model_tests.exe tests/chart/ferrant_chart_tests.exe tests/cli/ferrant_cli_tests.exe; do
  "$WINE" "$windows/$tests" --gtest_brief=1 || fail "$tests"
done

echo "--- ferrant-reach.exe answers as on Linux"
reach_cases=(
  "table --diameter all --format csv"
  "distance --baserate 36 --diameter 0.6 --format json"
  "baserate --distance 2500 --diameter 0.5 --model Pellion"
  "baserate --distance 30000 --diameter 1.4 --model Ferrant_IV --format csv"
  "loop --section 0.4:2000 --section 0.6:3000 --section 1.4:10000 --model pellion --format json"
  "psd --baserate 110 --format csv"
  "psd --baserate 10 --format svg"
)
for args in "${reach_cases[@]}"; do
  # shellcheck disable=SC2086
  "$WINE" "$windows/cli/ferrant-reach.exe" $args >"$work/windows.out" 2>&1 || true
  # shellcheck disable=SC2086
  "$linux/cli/ferrant-reach" $args >"$work/linux.out" 2>&1 || true
  cmp -s "$work/windows.out" "$work/linux.out" || {
    diff "$work/linux.out" "$work/windows.out" | head -n 10 >&2
    fail "ferrant-reach $args"
  }
done

echo "--- the real window driven in-process"
"$WINE" "$windows/tests/toolkit/conformance/toolkit_conformance_win32.exe" --gtest_brief=1 ||
  fail "toolkit conformance"
"$WINE" "$windows/tests/win32/win32_own_test.exe" --gtest_brief=1 || fail "the Win32 backend's own window tests"

echo "--- ferrant-calc.exe from another folder, with X input and screenshots"
# Text is drawn in Windows' system font, not the canvas's: the chart's grid
# and curves (left of the legends) are compared.
check=$linux/tests/fltk/fltk_screen_check
mkdir -p "$work/program" "$work/elsewhere"
cp "$windows/toolkit/win32/ferrant-calc.exe" "$here/../../assets/Varnek.bmp" "$work/program/"
"$linux/tools/ferrant-replay" --png "$work/canvas.png" </dev/null >/dev/null
(cd "$work/elsewhere" && exec "$WINE" "$work/program/ferrant-calc.exe") &
calc_pid=$!
timeout 30 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null || fail "no window appeared"
for _ in $(seq 25); do
  import -window root "PNG24:$work/shot.png"
  "$check" same "$work/shot.png" "$work/canvas.png" 340 60 280 211 >/dev/null 2>&1 &&
    "$check" image "$work/shot.png" "$work/program/Varnek.bmp" 438 530 >/dev/null 2>&1 && break
  sleep 0.2
done
"$check" same "$work/shot.png" "$work/canvas.png" 340 60 280 211 || fail "the chart differs from the canvas"
"$check" image "$work/shot.png" "$work/program/Varnek.bmp" 438 530 || fail "the logo beside the program is not shown"
read -r ox oy < <("$check" origin "$work/shot.png")
xdotool mousemove $((ox + 640)) $((oy + 636)) click 1
status=0
timeout 20 tail --pid=$calc_pid -f /dev/null || { fail "still running after Quit"; kill $calc_pid; }
wait $calc_pid || status=$?
[ "$status" -eq 0 ] || fail "exit code $status after Quit"

if [ "$failures" -ne 0 ]; then
  echo "windows tests: $failures failed" >&2
  exit 1
fi
echo "windows tests: all passed"
