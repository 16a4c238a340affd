# The browser build: WebAssembly with Debian's emscripten. Its unit tests run
# under Node.js and the toolkit conformance suite as a page in headless
# Chromium with real input (CTest, preset web); then ferrant-calc's page is
# driven like a user would and compared with the headless toolkit given the
# same input, pixel for pixel and text for text, and its accessibility tree
# checked (tests/web/e2e.mjs); its prerendered start is checked against the
# program's first frame, and typing before the program arrives
# (tests/web/start.mjs). Pictures are kept in build/web/e2e and build/web/start.
# Last the site from a real local web server, installable and working
# offline from its service worker's copy (tests/web/offline.mjs).
set -euo pipefail
. "$(dirname "$0")/../lib.sh"
cd "$ROOT"
started=$SECONDS
ensure_packages scripts/packages/web.txt
command -v npm >/dev/null || {
  echo "npm is missing (Debian: apt-get install npm)" >&2
  exit 1
}

# playwright-core, at the version tests/web/package-lock.json pins, in the
# build tree (Chromium is Debian's; Playwright downloads nothing).
node_folder=build/web-node
mkdir -p "$node_folder"
cp tests/web/package.json tests/web/package-lock.json "$node_folder/"
(cd "$node_folder" && npm ci --no-audit --no-fund --loglevel=error)
export FERRANT_WEB_NODE=$ROOT/$node_folder

build_preset web
ctest --preset web -j"$JOBS"

# ferrant-replay for the comparison.
build_preset default >/dev/null
node tests/web/e2e.mjs build/web/site build/default/tools/ferrant-replay build/web/e2e
node tests/web/start.mjs build/web/site build/default/tools/ferrant-replay build/web/start
node tests/web/offline.mjs build/web/site
echo "web stage: $((SECONDS - started)) s"
