# Fails when a source file reaches across the layers of src/:
#   check/                  may include every layer
#   driver/                 every layer but check/
#   scan/                   profiles/, rfc/, platform/, base/
#   profiles/               rfc/, platform/, base/
#   rfc/                    platform/, base/
#   output/                 base/
#   platform/               base/
#   base/                   nothing else
#   tools/                  profiles/, platform/, base/
# and when a file outside driver/ writes to standard output or ends the
# process (the platform's exit and the RFC failure handler aside).
#   cmake -DSOURCE_DIR=<src> -P check-layers.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
set(allowed_check check driver scan profiles rfc output platform base)
set(allowed_driver driver scan profiles rfc output platform base)
set(allowed_scan scan profiles rfc platform base)
set(allowed_profiles profiles rfc platform base)
set(allowed_rfc rfc platform base)
set(allowed_output output base)
set(allowed_platform platform base)
set(allowed_base base)
set(allowed_tools tools profiles platform base)

file(GLOB layers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
set(faults "")
foreach(layer IN LISTS layers)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${layer})
    continue()
  endif()
  if(NOT DEFINED allowed_${layer})
    string(APPEND faults "src/${layer}/ is a folder of no known layer\n")
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h
       ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"[a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${layer})
        string(APPEND faults "${source}: ${line} (${layer}/ may not include ${target}/)\n")
      endif()
    endforeach()
    # Tests print and end as they like; the product speaks through the
    # driver's stream and ends through the driver's exit code.
    if(source MATCHES "_test\\.cpp$" OR layer STREQUAL "driver")
      continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} writes
         REGEX "std::cout|std::printf|[^a-z]printf\\(|[^a-z]puts\\(|fwrite\\(.*stdout")
    if(writes AND NOT source MATCHES "^(tools|check)/[a-z_]+_main\\.cpp$")
      string(APPEND faults "${source}: writes to standard output: ${writes}\n")
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} exits REGEX "std::exit|[^a-z_]exit\\(|_exit\\(|abort\\(|ExitProcess\\(")
    if(exits AND NOT layer STREQUAL "platform" AND NOT source STREQUAL "rfc/failure.cpp")
      string(APPEND faults "${source}: ends the process: ${exits}\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Layering faults:\n${faults}")
endif()
message(STATUS "Every include follows the layers.")
