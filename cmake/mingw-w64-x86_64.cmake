# 64-bit Windows executables (x86_64-w64-mingw32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLMETER_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Tests and test discovery run the executables under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
