# The native programs that ship get the hardening Debian expects of its
# packages: fortified libc calls, the stack protector and immediate binding
# (PIE and read-only relocations are this compiler's defaults already).
if(NOT WIN32)
  add_compile_options("$<$<CONFIG:Release,MinSizeRel>:-fstack-protector-strong>")
  add_compile_definitions("$<$<CONFIG:Release,MinSizeRel>:_FORTIFY_SOURCE=2>")
  add_link_options("$<$<CONFIG:Release,MinSizeRel>:-Wl,-z,now>")
endif()
