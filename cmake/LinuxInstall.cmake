# The Linux install (included by Packaging.cmake), the same in the .tar.gz
# and, under /usr, in the .deb:
#   PREFIX/bin/brindlemox, bin/brindlemox-capture (the .deb: the show, a
#                                                game, in /usr/games, as
#                                                Debian keeps games)
#   PREFIX/share/brindlemox/pvn_quad.png
#   PREFIX/share/applications/brindlemox.desktop      the desktop's menu entry
#   PREFIX/share/icons/hicolor/SIZExSIZE/apps/brindlemox.png
#   PREFIX/share/metainfo/ID.metainfo.xml             AppStream: software centres
#   PREFIX/share/man/man6/brindlemox.6.gz, man1/brindlemox-capture.1.gz
#   PREFIX/share/doc/brindlemox/LICENSE               (the .deb: copyright and
#                                                     changelog.Debian.gz)
# The destinations are fixed rather than taken from GNUInstallDirs, because
# the program looks for its picture in ../share/brindlemox from its own folder
# (framework/DataFiles.h).

set(BRINDLEMOX_PACKAGE_SYSTEM ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_GENERATOR TGZ DEB)
set(BRINDLEMOX_APPSTREAM_ID org.example.brindlemox)

install(TARGETS brindlemox-capture RUNTIME DESTINATION bin)
# From either folder the picture lies in ../share/brindlemox.
install(TARGETS brindlemox RUNTIME DESTINATION bin COMPONENT program)
install(TARGETS brindlemox RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
# The installed programs without the compilers' notes (.comment, .note), as
# Debian's packages ship them: strip, which the packages run too, keeps them.
find_program(BRINDLEMOX_OBJCOPY NAMES objcopy ${CMAKE_OBJCOPY} REQUIRED)
foreach(installed bin/brindlemox-capture:Unspecified bin/brindlemox:program
                  games/brindlemox:debian)
  string(REPLACE ":" ";" installed ${installed})
  list(GET installed 0 file)
  list(GET installed 1 component)
  set(exclude "")
  if(component STREQUAL "debian")
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  install(CODE "execute_process(COMMAND \"${BRINDLEMOX_OBJCOPY}\" --remove-section=.comment
                  --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\"
                  RESULT_VARIABLE failed)
                if(failed)
                  message(FATAL_ERROR \"objcopy cannot take the notes out of ${file}\")
                endif()"
          COMPONENT ${component} ${exclude})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/assets/pvn_quad.png DESTINATION share/brindlemox)

set(linux_files ${CMAKE_SOURCE_DIR}/packaging/linux)
set(generated ${CMAKE_BINARY_DIR}/package)
install(FILES ${linux_files}/brindlemox.desktop DESTINATION share/applications)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/icons/hicolor DESTINATION share/icons)

set(BRINDLEMOX_SCREENSHOTS ${BRINDLEMOX_HOMEPAGE}docs/)
configure_file(${linux_files}/metainfo.xml.in
               ${generated}/${BRINDLEMOX_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${BRINDLEMOX_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)

# Compresses FILE into FILE.gz when building, as Debian wants manual pages
# and changelogs: gzip -9, without a name or time in the header, so the
# same bytes on every build. One target, below, makes them all.
find_program(BRINDLEMOX_GZIP gzip REQUIRED)
function(brindlemox_compress file)
  get_filename_component(folder ${file} DIRECTORY)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND ${BRINDLEMOX_GZIP} -9nkf ${name}
                     WORKING_DIRECTORY ${folder}
                     DEPENDS ${file}
                     COMMENT "Compressing ${name}")
  set_property(GLOBAL APPEND PROPERTY BRINDLEMOX_COMPRESSED ${file}.gz)
endfunction()

foreach(page brindlemox.6 brindlemox-capture.1)
  string(REGEX MATCH "[0-9]$" section ${page})
  configure_file(${linux_files}/${page}.in ${generated}/man/${page} @ONLY)
  brindlemox_compress(${generated}/man/${page})
  install(FILES ${generated}/man/${page}.gz DESTINATION share/man/man${section})
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION share/doc/brindlemox COMPONENT licence)

include(${CMAKE_SOURCE_DIR}/cmake/DebianPackage.cmake)
get_property(compressed GLOBAL PROPERTY BRINDLEMOX_COMPRESSED)
add_custom_target(brindlemox-compressed-files ALL DEPENDS ${compressed})
set(BRINDLEMOX_PACKAGE_FILES
    Brindlemox-${PROJECT_VERSION}-${BRINDLEMOX_PACKAGE_SYSTEM}.tar.gz ${CPACK_DEBIAN_FILE_NAME})
