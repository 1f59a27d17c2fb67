# Release binaries must not depend on where the tree was checked out or built:
# two clones of one commit give the same bytes. Builds meant for a debugger keep
# their absolute paths so that it finds the sources.
add_compile_options(
  "$<$<CONFIG:Release,MinSizeRel>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
  "$<$<CONFIG:Release,MinSizeRel>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
