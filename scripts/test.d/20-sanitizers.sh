# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
build_preset asan
ctest --preset asan -j"$JOBS"
