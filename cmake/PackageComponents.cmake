# Read by cpack for each generator (CPACK_PROJECT_CONFIG_FILE): the install
# components it packs. "Unspecified" is everything without a component of
# its own; "program" is the show's program in bin/; "licence" is the licence
# as the install lays it down; "debian" is what only the .deb holds (the
# program in games/, its copyright file, the licence in Debian's form, the
# lintian overrides), which a plain install leaves out. Archives hold one folder named
# like them; the .deb holds the paths from the root.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL Unspecified debian)
  # Without dpkg-shlibdeps cpack would make a .deb that depends on nothing.
  find_program(BRINDLEMOX_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT BRINDLEMOX_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "The .deb's dependencies are worked out by dpkg-shlibdeps, which is "
                        "not installed: install Debian's dpkg-dev (apt-get install dpkg-dev), "
                        "or make the archive alone with cpack -G TGZ")
  endif()
else()
  set(CPACK_COMPONENTS_ALL Unspecified program licence)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
