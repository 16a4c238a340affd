#!/usr/bin/env bash
# win32_soak.sh WINDOWS_BUILD_DIR [PASSES]: ferrant_win32_soak.exe under Wine
# on the X server in DISPLAY (tests/fltk/with_xvfb.sh), in a prefix of its
# own, from a folder holding the logo.
set -euo pipefail
windows=$(cd "$1" && pwd)
passes=${2:-10000}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

. "$root/tests/win32/wine_prefix.sh"
work=$(mktemp -d)
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

wine_prefix_create "$work/prefix"
mkdir "$work/run"
cp "$root/assets/Varnek.bmp" "$work/run/"
cd "$work/run"
"$WINE" "$windows/tests/reliability/ferrant_win32_soak.exe" "$passes"
