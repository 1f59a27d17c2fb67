# The part of the two MinGW-w64 toolchains (posix thread model) that they
# share. The including file sets CMAKE_SYSTEM_PROCESSOR, TOOLCHAIN_PREFIX and
# TESSAM_ARCH_LINK_FLAGS first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every executable stands alone: no libstdc++, libgcc or winpthread DLL beside it.
# No link time in the PE header, so that a rebuild gives the same bytes.
# Windows 7 SP1 is the oldest Windows the programs run on (they call functions
# it brought), and the header says so: subsystem and OS version 6.1, so that an
# older Windows refuses the file with its own clear message instead of failing
# on a missing entry point.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp \
-Wl,--major-subsystem-version,6,--minor-subsystem-version,1,--major-os-version,6,--minor-os-version,1 \
${TESSAM_ARCH_LINK_FLAGS}")

# ctest and custom commands run Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
