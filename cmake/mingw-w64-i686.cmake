# Cross-build for 32-bit Windows with MinGW-w64: the build for 32-bit Windows
# 7, where GX Developer often runs, and for every 64-bit Windows too.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
