# What the release archives ship: the "dist" component, which scripts/dist.sh
# installs stripped into a staging folder and packs with fixed times, order,
# owners and permissions. The Windows build gives the zip's contents, the
# native Release build the ppwtool tarball's.

# The dist test checks the archives' contents, so a target missing here fails there.
if(WIN32)
  foreach(target Tessam ppwtool)
    if(TARGET ${target})
      install(TARGETS ${target} RUNTIME DESTINATION . COMPONENT dist)
    endif()
  endforeach()
  # Flat: "Extract all" already makes a folder named after the zip.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/README.txt DESTINATION . COMPONENT dist)
else()
  if(TARGET ppwtool)
    install(TARGETS ppwtool RUNTIME DESTINATION bin COMPONENT dist)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/tools/ppwtool/ppwtool.1 DESTINATION share/man/man1 COMPONENT dist)
endif()
