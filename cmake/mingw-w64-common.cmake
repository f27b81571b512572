# What both MinGW-w64 toolchain files share; each sets CMAKE_SYSTEM_PROCESSOR and
# WUMPETS_MINGW_PREFIX first, then includes this.
set(CMAKE_SYSTEM_NAME Windows)
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
