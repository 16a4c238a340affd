# Warnings everywhere; errors when CI=true (or FERRANT_WERROR=ON).
if(DEFINED ENV{CI} AND "$ENV{CI}" STREQUAL "true")
  set(_ferrant_werror_default ON)
else()
  set(_ferrant_werror_default OFF)
endif()
option(FERRANT_WERROR "Treat warnings as errors" ${_ferrant_werror_default})

# Applied to the project's own targets through ferrant_flags.
add_library(ferrant_flags INTERFACE)
if(MSVC)
  target_compile_options(ferrant_flags INTERFACE /W4 $<$<BOOL:${FERRANT_WERROR}>:/WX>)
else()
  target_compile_options(ferrant_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    $<$<BOOL:${FERRANT_WERROR}>:-Werror>
    # The model's results depend on every intermediate being rounded exactly
    # as written: no fused multiply-add, no value-changing optimisations.
    -ffp-contract=off -fno-fast-math)
  # On 32-bit x86 the x87 unit would carry extended precision between
  # operations and change results; compute in SSE2 registers instead.
  # WebAssembly (32-bit pointers too) has IEEE single and double arithmetic
  # of its own and no x87.
  if(NOT EMSCRIPTEN AND (CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$" OR CMAKE_SIZEOF_VOID_P EQUAL 4))
    target_compile_options(ferrant_flags INTERFACE -msse2 -mfpmath=sse)
  endif()
endif()

# Hardening, as Debian's dpkg-buildflags gives it for a release (with
# hardening=+all): a stack protector on functions with arrays or address-taken
# locals, fortified C library calls where the compiler knows a buffer's size,
# format strings checked, and on ELF a read-only relocation table resolved at
# start. None of it touches floating point. Off for the sanitizer builds,
# whose run-time checks take the place of these (and whose interceptors would
# not see the fortified calls).
option(FERRANT_HARDEN "Build with the hardening flags of a Debian release" ON)
if(FERRANT_HARDEN AND NOT MSVC)
  target_compile_options(ferrant_flags INTERFACE
    -fstack-protector-strong -Wformat -Werror=format-security)
  # Fortification works from the optimiser's object sizes, and glibc warns
  # that it does nothing without optimisation.
  target_compile_definitions(ferrant_flags INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
    target_link_options(ferrant_flags INTERFACE LINKER:-z,relro LINKER:-z,now)
  elseif(WIN32)
    # MinGW-w64 keeps the stack protector's and the fortified calls' run time
    # in libssp, which the driver links (statically here) only when it sees
    # the option at link time.
    target_link_options(ferrant_flags INTERFACE -fstack-protector-strong)
  endif()
endif()
