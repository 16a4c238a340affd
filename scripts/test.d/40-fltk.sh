# The FLTK window on a virtual X server: ferrant-calc started for real, driven
# with real X input, its screenshots checked (tests/fltk/e2e_test.sh). The
# backend's own tests run with the unit tests under CTest.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
build_preset default
tests/fltk/with_xvfb.sh tests/fltk/e2e_test.sh build/default
