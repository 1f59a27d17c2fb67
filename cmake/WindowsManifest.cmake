# Each Windows program carries a manifest made from a template beside its
# resource script: @TESSAM_MANIFEST_ARCH@ becomes this build's processor as the
# manifest names it (Windows refuses to start a program whose manifest names
# another), @PROJECT_VERSION@ the version. The script names the manifest by its
# file name alone, found on the resource compiler's include path.
#
#   tessam_manifest(<resource script> <foo.manifest.in>)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TESSAM_MANIFEST_ARCH amd64)
else()
  set(TESSAM_MANIFEST_ARCH x86)
endif()

function(tessam_manifest rc_source template)
  get_filename_component(name ${template} NAME_WLE)
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${template} ${manifest} @ONLY)
  set_property(SOURCE ${rc_source} APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_CURRENT_BINARY_DIR})
  set_property(SOURCE ${rc_source} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
endfunction()
