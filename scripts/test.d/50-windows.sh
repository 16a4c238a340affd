# The Windows program, cross-built with MinGW-w64: the x86_64 build tested
# under Wine on a virtual X server (tests/win32/wine_tests.sh), the 32-bit
# release build inspected (tests/win32/check_pe.sh; this machine cannot run
# 32-bit Windows programs), and the model's and chart's tests built as 32-bit
# x86 Linux programs with the same flags and run under qemu-i386.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
started=$SECONDS

# ferrant-reach, ferrant-replay and fltk_screen_check for the comparisons.
build_preset default >/dev/null

cmake --preset mingw-x86_64 >/dev/null
cmake --build --preset mingw-x86_64 -j"$JOBS" --target "${WINDOWS_TEST_TARGETS[@]}"

cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 -j"$JOBS" --target ferrant-calc ferrant-reach
i686=build/mingw-i686
tests/win32/check_pe.sh $i686/toolkit/win32/ferrant-calc.exe \
  $i686/model/libferrant_model.a $i686/chart/libferrant_chart.a $i686/app/libferrant_app.a \
  $i686/base/libferrant_base.a

cmake --preset linux-i386 >/dev/null
cmake --build --preset linux-i386 -j"$JOBS" --target ferrant_model_tests ferrant_chart_tests
for tests in tests/model/ferrant_model_tests tests/chart/ferrant_chart_tests; do
  readelf -h "build/linux-i386/$tests" | grep -Eq "Machine:[[:space:]]+Intel 80386" || {
    echo "build/linux-i386/$tests is not a 32-bit x86 program" >&2
    exit 1
  }
  qemu-i386 "build/linux-i386/$tests" --gtest_brief=1
done

FERRANT_XVFB_SCREEN=2200x1600x24 tests/fltk/with_xvfb.sh tests/win32/wine_tests.sh build/mingw-x86_64 build/default
echo "windows stage: $((SECONDS - started)) s"
