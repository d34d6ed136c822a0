# Installing and packaging: `cmake --install BUILD`, and release packages with
# `cmake --build BUILD --target package`, written into BUILD.
#
# Linux: BUILD/Brindlemox-VERSION-Linux-PROCESSOR.tar.gz, and the install:
#   PREFIX/bin/brindlemox
#   PREFIX/bin/brindlemox-capture
#   PREFIX/share/brindlemox/pvn_quad.png
# The destinations are fixed rather than taken from GNUInstallDirs, because
# the program looks for its picture in ../share/brindlemox from its own folder
# (framework/DataFiles.h).
#
# Windows: BUILD/Brindlemox-VERSION-win32.zip (or -win64), one folder holding
# everything the program needs, as Windows finds a program's DLLs beside it:
# brindlemox.exe, the device module QelGFX36.dll, the toolchain's runtime DLLs
# (BRINDLEMOX_RUNTIME_DLLS, none on 64-bit), brindlemox-capture.exe,
# pvn_quad.png and README.txt. Tests check the zip's contents and that every
# module in it needs no DLL but the system's and those beside it.

if(EMSCRIPTEN OR NOT TARGET brindlemox)
  return()
endif()

if(WIN32)
  set(BRINDLEMOX_BIN_DESTINATION .)
  set(BRINDLEMOX_DATA_DESTINATION .)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(BRINDLEMOX_PACKAGE_SYSTEM win64)
    set(BRINDLEMOX_PACKAGE_MACHINE "64-bit Windows")
  else()
    set(BRINDLEMOX_PACKAGE_SYSTEM win32)
    set(BRINDLEMOX_PACKAGE_MACHINE "32-bit or 64-bit Windows")
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  set(BRINDLEMOX_BIN_DESTINATION bin)
  set(BRINDLEMOX_DATA_DESTINATION share/brindlemox)
  set(BRINDLEMOX_PACKAGE_SYSTEM ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ)
endif()

install(TARGETS brindlemox brindlemox-capture RUNTIME DESTINATION ${BRINDLEMOX_BIN_DESTINATION})
install(FILES ${CMAKE_SOURCE_DIR}/assets/pvn_quad.png DESTINATION ${BRINDLEMOX_DATA_DESTINATION})

if(WIN32)
  # The module, not its import library, which only a linker needs.
  install(TARGETS QelGFX36 RUNTIME DESTINATION .
                           ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
  foreach(dll IN LISTS BRINDLEMOX_RUNTIME_DLLS)
    install(FILES ${CMAKE_BINARY_DIR}/${dll} DESTINATION .)
  endforeach()
  # The README's list of files names the runtime DLLs too.
  set(BRINDLEMOX_README_RUNTIME_LIST "")
  foreach(dll IN LISTS BRINDLEMOX_RUNTIME_DLLS)
    string(LENGTH "${dll}" length)
    math(EXPR padding "25 - ${length}")
    string(REPEAT " " ${padding} spaces)
    string(APPEND BRINDLEMOX_README_RUNTIME_LIST "${dll}${spaces}the compiler's runtime\n")
  endforeach()
  # With Windows' own line ends, so that every editor shows the lines.
  set(readme_template ${CMAKE_SOURCE_DIR}/cmake/WindowsReadme.txt.in)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_template})
  file(READ ${readme_template} readme)
  string(CONFIGURE "${readme}" readme @ONLY)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  file(WRITE ${CMAKE_BINARY_DIR}/package/README.txt "${readme}")
  install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME Brindlemox)
set(CPACK_PACKAGE_VENDOR Brindlemox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small real-time demo-scene intro")
set(BRINDLEMOX_PACKAGE_NAME Brindlemox-${PROJECT_VERSION}-${BRINDLEMOX_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${BRINDLEMOX_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# One folder in the archive, named like the archive.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# Tests of what a user unpacks or installs.
if(BRINDLEMOX_TESTS AND NOT BRINDLEMOX_SANITIZE AND NOT BRINDLEMOX_FUZZ)
  if(WIN32)
    string(REPLACE ";" "," runtime_dlls "${BRINDLEMOX_RUNTIME_DLLS}")
    add_test(NAME WindowsPackage.HoldsOneFolderWithEverythingTheProgramNeeds
             COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND}
                     -DCONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake
                     -DNAME=${BRINDLEMOX_PACKAGE_NAME}
                     -DSCRATCH=${CMAKE_BINARY_DIR}/package/check
                     -DOBJDUMP=${CMAKE_OBJDUMP} -DRUNTIME_DLLS=${runtime_dlls}
                     -DPICTURE=${CMAKE_SOURCE_DIR}/assets/pvn_quad.png
                     -P ${CMAKE_SOURCE_DIR}/cmake/CheckWindowsPackage.cmake)
  elseif(NOT CMAKE_CROSSCOMPILING)
    add_test(NAME LinuxPackage.InstallsAProgramThatFindsItsPicture
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/linux-install-test.sh
                     ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR}
                     ${BRINDLEMOX_PACKAGE_NAME})
  endif()
endif()
