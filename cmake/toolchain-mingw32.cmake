# Cross-compiling for 32-bit Windows with mingw-w64's posix thread model: the installer is a 32-bit
# program and can load only a 32-bit setup library.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
