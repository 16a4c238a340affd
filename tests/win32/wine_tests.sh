#!/usr/bin/env bash
# wine_tests.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR: the Windows tests of a
# mingw-x86_64 build under Wine, in a prefix of its own, on the X server in
# DISPLAY (run it under tests/fltk/with_xvfb.sh): the unit tests,
# ferrant-reach.exe against the default Linux build's, the conformance suite
# and win32_own_test in-process, and ferrant-calc.exe with real X input at
# three display scales (its drawing and logo, a typed baserate, Quit).
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
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

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

# Every model row and the chart's numbers as text through the program's own
# output (the other subcommands' formats: ferrant_cli_tests.exe above).
echo "--- ferrant-reach.exe answers as on Linux"
for args in "table --diameter all --format csv" "psd --baserate 110 --format csv" "psd --baserate 10 --format svg"; do
  # shellcheck disable=SC2086
  "$WINE" "$windows/cli/ferrant-reach.exe" $args >"$work/windows.out" 2>&1 || true
  # shellcheck disable=SC2086
  "$linux/cli/ferrant-reach" $args >"$work/linux.out" 2>&1 || true
  cmp -s "$work/windows.out" "$work/linux.out" || {
    diff "$work/linux.out" "$work/windows.out" | head -n 10 >&2
    fail "ferrant-reach $args"
  }
done

echo "--- ferrant-reach.exe batch on the files spreadsheets write"
"$here/../cli/sheets_test.sh" "$WINE" "$windows/cli/ferrant-reach.exe" || fail "ferrant-reach.exe batch"

echo "--- the real window driven in-process"
"$WINE" "$windows/tests/toolkit/conformance/toolkit_conformance_win32.exe" --gtest_brief=1 ||
  fail "toolkit conformance"
"$WINE" "$windows/tests/win32/win32_own_test.exe" --gtest_brief=1 || fail "the Win32 backend's own window tests"

echo "--- ferrant-calc.exe from another folder, with X input and screenshots, at 100 %, 150 % and 200 %"
# The drawing against ferrant-replay's picture at the window's scale, the
# logo against the bitmap scaled alike. Wine takes the prefix's LogPixels when
# its server starts.
check=$linux/tests/fltk/fltk_screen_check
mkdir -p "$work/program" "$work/elsewhere"
cp "$windows/toolkit/win32/ferrant-calc.exe" "$here/../../assets/Varnek.bmp" "$work/program/"
# A layout point (x, y) on the screen at the scale of $dpi.
screen_point() { echo $((ox + ($1 * dpi + 48) / 96)) $((oy + ($2 * dpi + 48) / 96)); }
# Screenshots until the canvas's drawing and the logo are on the screen, then
# the checks again with their reasons.
expect_drawing() {
  local canvas=$1 what=$2
  for _ in $(seq 25); do
    import -window root "PNG24:$work/shot.png"
    "$check" --scale "$scale" match "$work/shot.png" "$canvas" >"$work/why" 2>&1 &&
      "$check" --scale "$scale" image "$work/shot.png" "$work/program/Varnek.bmp" 438 530 >"$work/why" 2>&1 && return
    sleep 0.2
  done
  fail "$what at $dpi DPI: the drawing or the logo beside the program differs: $(cat "$work/why")"
}
for setting in 96:1 144:1.5 192:2; do
  dpi=${setting%%:*} scale=${setting##*:}
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINESERVER" -w
  if [ "$dpi" -eq 144 ]; then
    "$WINE" "$windows/tests/win32/win32_own_test.exe" --gtest_brief=1 || fail "the Win32 backend's own tests at $dpi DPI"
  fi
  "$linux/tools/ferrant-replay" --scale "$scale" --png "$work/canvas.png" </dev/null >/dev/null
  echo "type 0 10" | "$linux/tools/ferrant-replay" --scale "$scale" --png "$work/typed.png" >/dev/null
  (cd "$work/elsewhere" && exec "$WINE" "$work/program/ferrant-calc.exe") &
  calc_pid=$!
  timeout 30 xdotool search --sync --name '^Ferrant Transmission Calculation$' >/dev/null || fail "no window appeared"
  expect_drawing "$work/canvas.png" "at start"
  read -r ox oy < <("$check" --scale "$scale" origin "$work/shot.png")
  # shellcheck disable=SC2046
  xdotool mousemove $(screen_point 35 76) click 1 key End BackSpace type 10
  expect_drawing "$work/typed.png" "baserate 10"
  # shellcheck disable=SC2046
  xdotool mousemove $(screen_point 640 636) click 1
  status=0
  timeout 20 tail --pid=$calc_pid -f /dev/null || { fail "still running after Quit"; kill $calc_pid; }
  wait $calc_pid || status=$?
  [ "$status" -eq 0 ] || fail "exit code $status after Quit at $dpi DPI"
done
echo "programs done in $(($(date +%s) - started)) s"

[ "$failures" -eq 0 ] || { echo "windows tests: $failures failed" >&2; exit 1; }
echo "windows tests: all passed"
