# Cross-building the Windows program for 32-bit x86 (the release build) with
# Debian's MinGW-w64. The runtime is linked statically. Floating point is
# computed in SSE2 registers, never on the x87 unit, whose extended precision
# would change results.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(_ferrant_triplet i686-w64-mingw32)
set(CMAKE_C_COMPILER ${_ferrant_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_ferrant_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_ferrant_triplet}-windres)

set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_FIND_ROOT_PATH /usr/${_ferrant_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
