# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix thread model, which GoogleTest
# needs). Use:  scripts/build build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# Its programs run under the 32-bit Wine (wine32:i386, which scripts/deps installs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(WUMPETS_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${WUMPETS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WUMPETS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WUMPETS_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${WUMPETS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Every program is linked statically: nothing to put beside it (no libstdc++, libgcc or pthread
# DLL).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Programs run on the build machine through Wine (tests, test discovery).
find_program(WUMPETS_WINE wine)
if(WUMPETS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WUMPETS_WINE})
endif()
