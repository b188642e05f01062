# Cross-compiling for x86_64 Windows with MinGW-w64.
set(VT_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
