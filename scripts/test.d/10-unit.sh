# The default build: unit tests, end-to-end tests of the tools; benchmarks built, not run.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
build_preset default
ctest --preset default -j"$JOBS"
