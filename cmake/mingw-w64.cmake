# Cross build for Windows with Debian's mingw-w64 toolchain (posix threads).
# Included by the per-architecture toolchain files, which set
# QUILLMETER_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUILLMETER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLMETER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLMETER_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${QUILLMETER_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMETER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A probe has no C++ runtime DLLs (libstdc++, libgcc, libwinpthread): link
# them into every executable and DLL, so only Windows' own DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
