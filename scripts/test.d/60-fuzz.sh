# The fuzz targets (clang, libFuzzer, ASan + UBSan): a 10-second smoke run of
# each. Longer runs: scripts/fuzz [SECONDS].
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
scripts/fuzz 10
