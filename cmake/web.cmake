# The WebAssembly build with Debian's emscripten (the web preset).
#
# emcc's JavaScript optimiser runs on the machine's Node.js and needs
# Debian's acorn, which Node finds only through NODE_PATH. Every link goes
# through a launcher that sets it, so a plain `cmake --build` works as well
# as the preset's environment.
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

# GoogleTest is built from Debian's sources for the tests; the page has one
# thread and so do they.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)

# Test programs run under Node.js. The generated loader of emscripten 3.1.6
# fails with Node's built-in fetch, so it is switched off.
find_program(FERRANT_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${FERRANT_NODE} --no-experimental-fetch)
