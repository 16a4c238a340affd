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
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$" OR CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(ferrant_flags INTERFACE -msse2 -mfpmath=sse)
  endif()
endif()
