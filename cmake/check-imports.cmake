# Fails unless every DLL that the given Windows executables import is one of
# Windows' own: a probe has no C++ runtime DLLs beside the sensor.
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DFILES="a.exe;b.dll" -P check-imports.cmake
# With -DOBJDUMP_OUTPUT=file -DEXPECT_REJECTED=x.dll,y.dll the listing is
# read from that file and the check passes only when it rejects exactly those
# DLLs (the test of this check itself).

cmake_minimum_required(VERSION 3.25)

set(allowed
    "^(kernel32|kernelbase|ntdll|user32|advapi32|msvcrt|ucrtbase|ws2_32|shell32|ole32|oleaut32|bcrypt|crypt32|secur32|version|shlwapi)\\.dll$"
    "^api-ms-win-(crt|core)-[a-z0-9-]+\\.dll$")

# Sets `rejected` in the caller to the DLLs of `listing` outside the list.
function(check_listing name listing)
  set(bad)
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" entries "${listing}")
  if(NOT entries)
    message(FATAL_ERROR "${name}: no imported DLL found in the listing")
  endif()
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^DLL Name: *" "" dll "${entry}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    set(ok FALSE)
    foreach(pattern IN LISTS allowed)
      if(lower MATCHES "${pattern}")
        set(ok TRUE)
      endif()
    endforeach()
    if(NOT ok)
      message(STATUS "${name} imports ${dll}, which is not part of Windows")
      list(APPEND bad "${dll}")
    else()
      message(STATUS "${name}: ${dll}")
    endif()
  endforeach()
  set(rejected "${bad}" PARENT_SCOPE)
endfunction()

if(DEFINED OBJDUMP_OUTPUT)
  file(READ "${OBJDUMP_OUTPUT}" listing)
  check_listing("${OBJDUMP_OUTPUT}" "${listing}")
  string(REPLACE "," ";" expected "${EXPECT_REJECTED}")
  if(NOT "${rejected}" STREQUAL "${expected}")
    message(FATAL_ERROR "rejected [${rejected}], expected [${expected}]")
  endif()
  return()
endif()

foreach(file IN LISTS FILES)
  execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE listing
                  RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${file} failed: ${errors}")
  endif()
  get_filename_component(name "${file}" NAME)
  check_listing("${name}" "${listing}")
  if(rejected)
    message(FATAL_ERROR "${name} needs DLLs that a probe does not have: ${rejected}")
  endif()
endforeach()
