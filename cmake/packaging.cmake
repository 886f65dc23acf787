# The release package: the sensor, the password tool, the setup check, the README and the
# profile template (which no scan writes history into), side by side as they
# go into PRTG's sensor folder. The simulated RFC library is for tests only
# and never ships.
foreach(target quillmeter quillmeter-password quillmeter-check)
  if(TARGET ${target})
    install(TARGETS ${target} RUNTIME DESTINATION .)
  endif()
endforeach()
install(FILES README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/demo/DEMO.Template DESTINATION .)

set(CPACK_PACKAGE_NAME quillmeter)
set(CPACK_PACKAGE_VENDOR Quillmeter)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PRTG EXE/XML sensor for SAP systems on MaxDB")
set(CPACK_STRIP_FILES TRUE)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
else()
  set(CPACK_GENERATOR TGZ)
endif()
include(CPack)
