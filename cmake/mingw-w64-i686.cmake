# 32-bit Windows executables (i686-w64-mingw32), for probes that run the
# vendor's 32-bit library.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUILLMETER_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Tests and test discovery run the executables under Wine's 32-bit side.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine32-run.sh)
