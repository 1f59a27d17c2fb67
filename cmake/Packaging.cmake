# What `make dist` ships, through CPack: the Windows zip from the windows build,
# the ppwtool tarball from the native one. Only the "dist" component goes in.
set(CPACK_PACKAGE_NAME Tessam)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tessam")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL dist)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)

# The dist test checks the archives' contents, so a target missing here fails there.
if(WIN32)
  foreach(target Tessam ppwtool)
    if(TARGET ${target})
      install(TARGETS ${target} RUNTIME DESTINATION . COMPONENT dist)
    endif()
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/README.txt DESTINATION . COMPONENT dist)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Tessam-${PROJECT_VERSION}-win64")
  # Flat: "Extract all" already makes a folder named after the zip.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  if(TARGET ppwtool)
    install(TARGETS ppwtool RUNTIME DESTINATION bin COMPONENT dist)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/tools/ppwtool/ppwtool.1 DESTINATION share/man/man1 COMPONENT dist)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME "ppwtool-${PROJECT_VERSION}-linux-x86_64")
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()

include(CPack)
