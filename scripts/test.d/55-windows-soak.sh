# The Windows program's resource balance under Wine: ten thousand loop passes
# of the real window (mouse movements and random user actions) with its GDI
# and USER objects counted after the first pass and at the end
# (tests/reliability/win32_soak.cpp).
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
cmake --preset mingw-x86_64 >/dev/null
cmake --build --preset mingw-x86_64 -j"$JOBS" --target ferrant_win32_soak
tests/fltk/with_xvfb.sh tests/reliability/win32_soak.sh build/mingw-x86_64 10000
