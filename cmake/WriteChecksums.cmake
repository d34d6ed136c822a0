# Run by cpack after each generator (CPACK_POST_BUILD_SCRIPTS): writes
# SHA256SUMS beside the packages, a line "HASH  NAME" (as sha256sum writes
# them) for each package of this build, so that `sha256sum -c SHA256SUMS`
# checks them. The package just made is read where cpack made it
# (CPACK_PACKAGE_FILES), as it is copied beside the others only after this
# script; the others are read where they lie. A build that makes several
# packages runs this once for each: the last run lists them all.
set(sums "")
foreach(name IN LISTS CPACK_BRINDLEMOX_PACKAGE_FILES)
  set(package "${CPACK_PACKAGE_DIRECTORY}/${name}")
  foreach(made IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(made_name "${made}" NAME)
    if(made_name STREQUAL name)
      set(package "${made}")
    endif()
  endforeach()
  if(EXISTS "${package}")
    file(SHA256 "${package}" hash)
    string(APPEND sums "${hash}  ${name}\n")
  endif()
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${sums}")
