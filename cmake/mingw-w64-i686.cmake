# Cross-build for 32-bit Windows with MinGW-w64: the build for 32-bit Windows
# 7, where GX Developer often runs, and for every 64-bit Windows too.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
# Large address aware: 4 GB of address space on 64-bit Windows instead of 2,
# so a big project's file buffer and payload still find room.
set(TESSAM_ARCH_LINK_FLAGS "-Wl,--large-address-aware")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
