# Cross-compiling for Windows with MinGW-w64 for the architecture in
# VT_MINGW_ARCH (posix thread model: GoogleTest needs std::mutex). Included by
# toolchain-x86_64.cmake and toolchain-i686.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VT_MINGW_ARCH})
set(CMAKE_C_COMPILER   ${VT_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${VT_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${VT_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VT_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
