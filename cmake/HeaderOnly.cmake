# Header-only libraries from the host's Debian packages. Natively their package
# config finds them. The MinGW toolchain restricts find roots to the cross
# sysroot, so there the headers are looked up on the host and only the named
# files and folders are copied into the build tree, so that no other host
# header can shadow a MinGW one.
#
#   tessam_header_only(<name> PACKAGE <config package> TARGET <imported target>
#                      ROOT <host include folder> COPY <file or folder>...)
function(tessam_header_only name)
  cmake_parse_arguments(arg "" "PACKAGE;TARGET;ROOT" "COPY" ${ARGN})
  add_library(${name} INTERFACE)
  if(WIN32)
    list(GET arg_COPY 0 probe)
    find_path(${name}_ROOT ${probe} PATHS ${arg_ROOT} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT ${name}_ROOT)
      message(FATAL_ERROR "${probe} not found in ${arg_ROOT}; run scripts/install-deps.sh")
    endif()
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name}-include)
    foreach(item IN LISTS arg_COPY)
      file(COPY ${${name}_ROOT}/${item} DESTINATION ${copy})
    endforeach()
    target_include_directories(${name} SYSTEM INTERFACE ${copy})
  else()
    find_package(${arg_PACKAGE} REQUIRED CONFIG)
    target_link_libraries(${name} INTERFACE ${arg_TARGET})
  endif()
endfunction()
