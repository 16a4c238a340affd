# Cross-building the Windows program for 64-bit x86 with Debian's MinGW-w64.
# The runtime (libgcc, libstdc++, winpthread) is linked statically, so the
# executables need nothing beside them but the system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_ferrant_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_ferrant_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_ferrant_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_ferrant_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_ferrant_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine (64-bit).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
