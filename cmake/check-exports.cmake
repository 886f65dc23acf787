# Fails unless the Windows DLL exports each of NAMES under its plain name:
# the sensor looks the operations up as "RfcOpen", never as a decorated
# "RfcOpen@4" (which 32-bit __stdcall would give without care).
# With -DEXACTLY=ON it also fails when the DLL exports anything else. With
# -DNM=... instead of -DOBJDUMP it reads the dynamic symbols of an ELF library.
#   cmake -DOBJDUMP=... -DFILE=librfc32.dll -DNAMES=RfcOpen,RfcClose -P check-exports.cmake
cmake_minimum_required(VERSION 3.25)

set(exported)
if(NM)
  execute_process(COMMAND "${NM}" -D --defined-only "${FILE}" OUTPUT_VARIABLE listing
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} -D ${FILE} failed: ${errors}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ ]+)$")
      list(APPEND exported "${CMAKE_MATCH_1}")
    endif()
  endforeach()
else()
  execute_process(COMMAND "${OBJDUMP}" -p "${FILE}" OUTPUT_VARIABLE listing
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${FILE} failed: ${errors}")
  endif()
  # The names follow the "[Ordinal/Name Pointer] Table" line, one a line.
  string(REPLACE "\n" ";" lines "${listing}")
  set(in_table FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(in_table TRUE)
    elseif(in_table AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
      list(APPEND exported "${CMAKE_MATCH_1}")
    elseif(in_table)
      set(in_table FALSE)
    endif()
  endforeach()
endif()

string(REPLACE "," ";" names "${NAMES}")
set(missing)
foreach(name IN LISTS names)
  if(NOT name IN_LIST exported)
    list(APPEND missing "${name}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${FILE} does not export [${missing}] by name; it exports [${exported}]")
endif()
if(EXACTLY)
  set(extra ${exported})
  list(REMOVE_ITEM extra ${names})
  if(extra)
    message(FATAL_ERROR "${FILE} exports [${extra}] beyond [${names}]")
  endif()
endif()
message(STATUS "${FILE} exports ${names}")
