# Windows builds: checks that the shipped files import only Windows' own
# DLLs, and the Wine prefix that the tests of one ctest run share.
enable_testing()

get_filename_component(quillmeter_emulator "${CMAKE_CROSSCOMPILING_EMULATOR}" NAME)
# Where the 32-bit suite's tests are skipped, ctest says why once as it starts.
if(quillmeter_wine_skip_properties)
  set(quillmeter_wine_check ${PROJECT_BINARY_DIR}/wine32-check.cmake)
  file(WRITE ${quillmeter_wine_check}
       "execute_process(COMMAND \"${CMAKE_CROSSCOMPILING_EMULATOR}\" --runnable\n"
       "                OUTPUT_QUIET ERROR_VARIABLE why RESULT_VARIABLE status)\n"
       "if(status EQUAL 77)\n"
       "  string(STRIP \"\${why}\" why)\n"
       "  message(NOTICE \"\${why}\")\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${quillmeter_wine_check})
endif()

set(quillmeter_shipped quillmeter quillmeter-password quillmeter-check simrfc simnwrfc)
foreach(target IN LISTS quillmeter_shipped)
  if(TARGET ${target})
    add_test(NAME WindowsImports.${target}
             COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILES=$<TARGET_FILE:${target}>
                     -P ${CMAKE_CURRENT_LIST_DIR}/check-imports.cmake)
  endif()
endforeach()

# The sensor finds the simulated library's operations by their plain names.
if(TARGET simrfc)
  add_test(NAME WindowsExports.simrfc
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:simrfc>
                   -DNAMES=RfcEnvironment,RfcOpen,RfcOpenEx,RfcInstallStructure,RfcCall,RfcReceive,RfcLastError,RfcClose,ItCreate,ItFill,ItGetLine,ItDelete
                   -P ${CMAKE_CURRENT_LIST_DIR}/check-exports.cmake)
endif()
if(TARGET simnwrfc)
  get_target_property(operations simnwrfc QUILLMETER_OPERATIONS)
  string(REPLACE ";" "," operations "${operations}")
  add_test(NAME WindowsExports.simnwrfc
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DFILE=$<TARGET_FILE:simnwrfc>
                   -DNAMES=${operations} -DEXACTLY=ON
                   -P ${CMAKE_CURRENT_LIST_DIR}/check-exports.cmake)
endif()

# The check itself must reject the C++ runtime DLLs.
set(runtime_listing ${PROJECT_BINARY_DIR}/runtime-imports.txt)
file(WRITE ${runtime_listing}
     "\tDLL Name: KERNEL32.dll\n\tDLL Name: libstdc++-6.dll\n\tDLL Name: libgcc_s_seh-1.dll\n")
add_test(NAME WindowsImports.RuntimeDllsAreRejected
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP_OUTPUT=${runtime_listing}
                 -DEXPECT_REJECTED=libstdc++-6.dll,libgcc_s_seh-1.dll
                 -P ${CMAKE_CURRENT_LIST_DIR}/check-imports.cmake)

if(QUILLMETER_BUILD_TESTS AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/windows ${PROJECT_BINARY_DIR}/tests/windows)
endif()

if(quillmeter_emulator MATCHES "^wine(32)?-run\\.sh$")
  add_test(NAME WinePrefix.Boot COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --prefix)
  set_tests_properties(WinePrefix.Boot PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
                       ${quillmeter_wine_skip_properties})
  add_test(NAME WinePrefix.Remove COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --cleanup)
  set_tests_properties(WinePrefix.Remove PROPERTIES FIXTURES_CLEANUP wine)
endif()
