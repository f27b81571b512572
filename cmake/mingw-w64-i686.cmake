# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix thread model, which GoogleTest
# needs). Use:  scripts/build build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# Its programs run under the 32-bit Wine (wine32:i386, which scripts/deps installs where the
# kernel runs 32-bit programs).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(WUMPETS_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
