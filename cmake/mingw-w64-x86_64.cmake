# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model, which GoogleTest
# needs). Use:  scripts/build build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(WUMPETS_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
