# The FLTK backend on virtual X servers: the conformance suite with real X
# input, the real program's window against the headless canvas (fltk_program)
# and every label in both GUI fonts (fltk_fit_*), under CTest.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
build_preset default
ctest --test-dir build/default -R 'fltk|conformance_fltk' --output-on-failure
