# cmake -DSOURCE=DIR -DDESTINATION=DIR -P CopyFolderFiles.cmake: copies every
# file directly in SOURCE (none when it does not exist) into DESTINATION,
# leaving files that have not changed untouched.
file(GLOB files LIST_DIRECTORIES false "${SOURCE}/*")
foreach(file IN LISTS files)
  get_filename_component(name "${file}" NAME)
  file(COPY_FILE "${file}" "${DESTINATION}/${name}" ONLY_IF_DIFFERENT)
endforeach()
