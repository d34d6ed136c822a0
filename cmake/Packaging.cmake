# Installing and packaging: `cmake --install BUILD`, and the release packages
# with `cmake --build BUILD --target package`, written into BUILD beside a
# SHA256SUMS file that `sha256sum -c SHA256SUMS` checks them with.
#
# Linux (LinuxInstall.cmake): the install under PREFIX (bin/, share/),
#   BUILD/Brindlemox-VERSION-Linux-PROCESSOR.tar.gz holding the same, and
#   BUILD/brindlemox_VERSION-1_ARCH.deb, which installs it under /usr
#   (DebianPackage.cmake).
# Windows (WindowsPackage.cmake): BUILD/Brindlemox-VERSION-win32.zip (or
#   -win64), one folder holding everything the program needs.
# The web (WebBundle.cmake): BUILD/Brindlemox-VERSION-web.zip, one folder to
#   put on any static web server.
# Every package holds the licence, LICENSE: as share/doc/brindlemox/LICENSE
# on Linux, as the Debian copyright file in the .deb, as LICENSE.txt in the
# zips.

if(NOT TARGET brindlemox)
  return()
endif()

# What the packages say about the release. The project has no public
# address yet: the homepage (where the AppStream data also expects the
# screenshots, HOMEPAGE/docs/*.png) and the maintainer's mail address are
# placeholders under the reserved example.org until it has one.
set(BRINDLEMOX_RELEASE_DATE 2026-12-09)
set(BRINDLEMOX_HOMEPAGE "https://brindlemox.example.org/" CACHE STRING
    "The project's web address, named by the Linux packages")
set(BRINDLEMOX_MAINTAINER "The Brindlemox authors <brindlemox@example.org>" CACHE STRING
    "Who answers for the packages: the Debian package's maintainer")

set(CPACK_PACKAGE_NAME Brindlemox)
set(CPACK_PACKAGE_VENDOR Brindlemox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The one line that describes it, as Debian wants it: without an article.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time demo-scene intro")
# One folder in each archive, named like the archive.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})

if(EMSCRIPTEN)
  include(${CMAKE_SOURCE_DIR}/cmake/WebBundle.cmake)
elseif(WIN32)
  include(${CMAKE_SOURCE_DIR}/cmake/WindowsPackage.cmake)
else()
  include(${CMAKE_SOURCE_DIR}/cmake/LinuxInstall.cmake)
endif()
# Each platform's file sets BRINDLEMOX_PACKAGE_SYSTEM, CPACK_GENERATOR and
# BRINDLEMOX_PACKAGE_FILES, the names of the packages it makes.

set(BRINDLEMOX_PACKAGE_NAME Brindlemox-${PROJECT_VERSION}-${BRINDLEMOX_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${BRINDLEMOX_PACKAGE_NAME})
# After each generator: SHA256SUMS for the packages (CPACK_ variables reach
# cpack's scripts).
set(CPACK_BRINDLEMOX_PACKAGE_FILES ${BRINDLEMOX_PACKAGE_FILES})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/WriteChecksums.cmake)
# Each package is made of install components, all in one package, chosen
# per generator (the .deb has Debian's copyright file in place of LICENSE).
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/PackageComponents.cmake)
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
                     -DLICENCE=${CMAKE_SOURCE_DIR}/LICENSE
                     -P ${CMAKE_SOURCE_DIR}/cmake/CheckWindowsPackage.cmake)
  elseif(NOT CMAKE_CROSSCOMPILING AND NOT EMSCRIPTEN)
    add_test(NAME LinuxPackage.InstallsAProgramThatFindsItsPicture
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/linux-install-test.sh
                     ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${CMAKE_BINARY_DIR}
                     ${BRINDLEMOX_PACKAGE_NAME} ${CMAKE_SOURCE_DIR})
    add_test(NAME LinuxPackage.DesktopFilesPassTheirValidators
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/desktop-files-test.sh
                     ${CMAKE_SOURCE_DIR} --install ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR})
    set_tests_properties(LinuxPackage.DesktopFilesPassTheirValidators PROPERTIES
                         SKIP_RETURN_CODE 77)
  endif()
endif()
