# Shared helpers for the scripts. Source it; it sets ROOT and JOBS.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
export ROOT JOBS

# ensure_packages FILE...: installs the Debian packages listed in the files
# (one a line, # comments) that are not installed yet. As root it runs
# apt-get; otherwise it prints the command to run and fails.
ensure_packages() {
  local missing=() pkg
  for pkg in $(sed 's/#.*//' "$@" | tr -s ' \t' '\n' | sort -u); do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "missing Debian packages; run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}

# build_preset NAME: configure and build one CMake preset.
build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$JOBS"
}

# The MinGW x86_64 targets tests/win32/wine_tests.sh runs, built by the
# Windows stage and by scripts/mutants (which adds the soak program): one
# list, so a test added to the Wine run is built wherever it runs.
WINDOWS_TEST_TARGETS=(ferrant-calc ferrant-reach ferrant_model_tests ferrant_chart_tests
  ferrant_cli_tests toolkit_conformance_win32 win32_own_test)
