# Runs ferrant-replay on a script and compares its standard output with the
# expected JSON lines.
#   cmake -DREPLAY=<ferrant-replay> -DSCRIPT=<x.replay> -DEXPECTED=<x.json>
#         [-DEXPECT_EXIT=2 -DEXPECT_STDERR=<text>] [-DUPDATE=ON] -P compare.cmake
# With UPDATE=ON the expected file is rewritten from the actual output.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED EXPECT_EXIT)
  set(EXPECT_EXIT 0)
endif()
execute_process(COMMAND ${REPLAY} ${SCRIPT}
                OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL EXPECT_EXIT)
  message(FATAL_ERROR "ferrant-replay ${SCRIPT} exited with ${status}, expected ${EXPECT_EXIT}\n${errors}")
endif()
if(DEFINED EXPECT_STDERR)
  string(FIND "${errors}" "${EXPECT_STDERR}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "standard error lacks \"${EXPECT_STDERR}\":\n${errors}")
  endif()
endif()
if(NOT DEFINED EXPECTED)
  return()
endif()
if(UPDATE)
  file(WRITE ${EXPECTED} "${actual}")
  return()
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  # One JSON member a line, so that diff names the members that differ.
  get_filename_component(name ${EXPECTED} NAME)
  string(REPLACE ", \"" ",\n\"" actual "${actual}")
  string(REPLACE ", \"" ",\n\"" expected "${expected}")
  file(WRITE ${name}.actual "${actual}")
  file(WRITE ${name}.expected "${expected}")
  execute_process(COMMAND diff -u ${name}.expected ${name}.actual)
  message(FATAL_ERROR "output of ${SCRIPT} differs from ${EXPECTED}")
endif()
