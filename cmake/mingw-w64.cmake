# Cross-builds the native Windows executable (64-bit, splyce.exe) on Linux
# with the mingw-w64 compilers of the POSIX thread model:
#   cmake --preset windows && cmake --build --preset windows
# or, without presets:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake && cmake --build build-win
# The executable is linked statically (see CMakeLists.txt), so it needs no DLL
# beside it. With wine installed, CMake runs it through wine when asked to.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SPLYCE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SPLYCE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SPLYCE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SPLYCE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SPLYCE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(SPLYCE_WINE wine)
if(SPLYCE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SPLYCE_WINE})
endif()
