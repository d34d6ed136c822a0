# The Linux install (included by Packaging.cmake), the same in the .tar.gz
# and, under /usr, in the .deb:
#   PREFIX/bin/brindlemox, bin/brindlemox-capture
#   PREFIX/share/brindlemox/pvn_quad.png
#   PREFIX/share/applications/brindlemox.desktop      the desktop's menu entry
#   PREFIX/share/icons/hicolor/SIZExSIZE/apps/brindlemox.png
#   PREFIX/share/metainfo/ID.metainfo.xml             AppStream: software centres
#   PREFIX/share/man/man6/brindlemox.6.gz, man1/brindlemox-capture.1.gz
#   PREFIX/share/doc/brindlemox/LICENSE               (the .deb: copyright)
# The destinations are fixed rather than taken from GNUInstallDirs, because
# the program looks for its picture in ../share/brindlemox from its own folder
# (framework/DataFiles.h).

set(BRINDLEMOX_PACKAGE_SYSTEM ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_GENERATOR TGZ DEB)
set(BRINDLEMOX_APPSTREAM_ID org.example.brindlemox)

install(TARGETS brindlemox brindlemox-capture RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/assets/pvn_quad.png DESTINATION share/brindlemox)

set(linux_files ${CMAKE_SOURCE_DIR}/packaging/linux)
set(generated ${CMAKE_BINARY_DIR}/package)
install(FILES ${linux_files}/brindlemox.desktop DESTINATION share/applications)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/icons/hicolor DESTINATION share/icons)

set(BRINDLEMOX_SCREENSHOTS ${BRINDLEMOX_HOMEPAGE}docs/)
configure_file(${linux_files}/metainfo.xml.in
               ${generated}/${BRINDLEMOX_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${BRINDLEMOX_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)

# Manual pages, compressed as Debian wants them (gzip -9, without a name or
# time in the header, so the same bytes on every build).
find_program(BRINDLEMOX_GZIP gzip REQUIRED)
set(manual_pages "")
foreach(page brindlemox.6 brindlemox-capture.1)
  string(REGEX MATCH "[0-9]$" section ${page})
  configure_file(${linux_files}/${page}.in ${generated}/man/${page} @ONLY)
  add_custom_command(OUTPUT ${generated}/man/${page}.gz
                     COMMAND ${BRINDLEMOX_GZIP} -9nkf ${page}
                     WORKING_DIRECTORY ${generated}/man
                     DEPENDS ${generated}/man/${page}
                     COMMENT "Compressing the manual page ${page}")
  list(APPEND manual_pages ${generated}/man/${page}.gz)
  install(FILES ${generated}/man/${page}.gz DESTINATION share/man/man${section})
endforeach()
add_custom_target(brindlemox-manual-pages ALL DEPENDS ${manual_pages})

install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION share/doc/brindlemox COMPONENT licence)

include(${CMAKE_SOURCE_DIR}/cmake/DebianPackage.cmake)
set(BRINDLEMOX_PACKAGE_FILES
    Brindlemox-${PROJECT_VERSION}-${BRINDLEMOX_PACKAGE_SYSTEM}.tar.gz ${CPACK_DEBIAN_FILE_NAME})
