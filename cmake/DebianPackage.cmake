# The Debian package (included by LinuxInstall.cmake): cpack's DEB generator
# packs the Linux install under /usr as brindlemox_VERSION-1_ARCH.deb. Its
# dependencies are worked out from the programs by dpkg-shlibdeps (Debian's
# dpkg-dev); its /usr/share/doc/brindlemox/ holds the two files every Debian
# package has there: copyright, which states the licence in Debian's
# machine-readable form, made from LICENSE, and changelog.Debian.gz. It is
# in Debian's section games, its show in /usr/games (LinuxInstall.cmake);
# what lintian would still say of it and is meant so is overridden, each
# with its reason, in packaging/debian/lintian-overrides.

set(BRINDLEMOX_DEBIAN_RELEASE 1)
# Debian's name for the machine: dpkg's own answer where there is dpkg.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE debian_architecture
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE no_dpkg)
if(no_dpkg OR NOT debian_architecture)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(debian_architecture amd64)
  elseif(CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    set(debian_architecture arm64)
  elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
    set(debian_architecture i386)
  else()
    set(debian_architecture ${CMAKE_SYSTEM_PROCESSOR})
  endif()
endif()

set(CPACK_DEBIAN_PACKAGE_NAME brindlemox)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BRINDLEMOX_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${debian_architecture})
set(CPACK_DEBIAN_FILE_NAME
    brindlemox_${PROJECT_VERSION}-${BRINDLEMOX_DEBIAN_RELEASE}_${debian_architecture}.deb)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRINDLEMOX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRINDLEMOX_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The long description, in lines of Debian's width.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Brindlemox opens one 640x480 window and plays four effects on a fixed"
  "timeline, every pixel drawn on the processor: a tile zoom of a picture, a"
  "starfield, a plasma, and glowing metaballs that run until the show is ended."
  ""
  "The recorder brindlemox-capture plays the same show on a virtual clock and"
  "writes its frames as PNG files or as raw video for ffmpeg.")

# The copyright file: the notice of LICENSE as the Copyright field, its
# permission and disclaimer as the text of the Expat licence (Debian's name
# for this MIT licence), each line indented by one space, empty lines as " .".
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) ...\" followed by the licence")
endif()
set(BRINDLEMOX_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" licence_text)
string(REPLACE "\n\n" "\n.\n" licence_text "${licence_text}")
string(REPLACE "\n" "\n " BRINDLEMOX_LICENCE_TEXT " ${licence_text}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/copyright.in
               ${CMAKE_BINARY_DIR}/package/debian/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/debian/copyright DESTINATION share/doc/brindlemox
        COMPONENT debian EXCLUDE_FROM_ALL)

# The changelog, dated the release's day in the form Debian wants.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                        date -u -R -d "${BRINDLEMOX_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE BRINDLEMOX_DEBIAN_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE no_date)
if(no_date)
  message(FATAL_ERROR "date cannot write ${BRINDLEMOX_RELEASE_DATE} as Debian's changelog wants")
endif()
set(debian_files ${CMAKE_BINARY_DIR}/package/debian)
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.in
               ${debian_files}/changelog.Debian @ONLY)
brindlemox_compress(${debian_files}/changelog.Debian)
install(FILES ${debian_files}/changelog.Debian.gz DESTINATION share/doc/brindlemox
        COMPONENT debian EXCLUDE_FROM_ALL)

# lintian reads a package's overrides from /usr/share/lintian/overrides/NAME.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/lintian-overrides
        DESTINATION share/lintian/overrides RENAME brindlemox COMPONENT debian EXCLUDE_FROM_ALL)
