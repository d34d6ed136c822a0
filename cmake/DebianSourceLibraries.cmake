# libspng and zlib built from Debian's source packages, for targets that
# Debian has no builds of them for (Windows and the web). The sources are
# unpacked by `apt-get source libspng zlib` into BRINDLEMOX_WINDOWS_SOURCES
# (scripts/test-windows.sh and scripts/build-web.sh do that).
#
# Defines the static libraries zlib_static and spng_static (which links
# zlib_static), built with the current toolchain.

set(BRINDLEMOX_WINDOWS_SOURCES "${CMAKE_SOURCE_DIR}/build-windeps/src" CACHE PATH
    "Where the source packages of libspng and zlib are unpacked")

function(brindlemox_find_source_package variable name)
  file(GLOB candidates LIST_DIRECTORIES true "${BRINDLEMOX_WINDOWS_SOURCES}/${name}-*")
  list(FILTER candidates EXCLUDE REGEX "\\.(dsc|tar\\..*)$")
  list(SORT candidates COMPARE NATURAL)
  list(POP_BACK candidates found)
  if(NOT found OR NOT IS_DIRECTORY "${found}")
    message(FATAL_ERROR
      "The sources of ${name} are not in ${BRINDLEMOX_WINDOWS_SOURCES}. Unpack them there "
      "with `apt-get source ${name}` (scripts/test-windows.sh and scripts/build-web.sh do it).")
  endif()
  set(${variable} "${found}" PARENT_SCOPE)
endfunction()

brindlemox_find_source_package(BRINDLEMOX_ZLIB_DIR zlib)
brindlemox_find_source_package(BRINDLEMOX_SPNG_DIR libspng)
message(STATUS "zlib from ${BRINDLEMOX_ZLIB_DIR}, libspng from ${BRINDLEMOX_SPNG_DIR}")

enable_language(C)

# Other people's code: built as it comes, without our warnings.
set(ZLIB_SOURCE_FILES adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c
    gzwrite.c infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c)
list(TRANSFORM ZLIB_SOURCE_FILES PREPEND "${BRINDLEMOX_ZLIB_DIR}/")
add_library(zlib_static STATIC ${ZLIB_SOURCE_FILES})
target_include_directories(zlib_static SYSTEM PUBLIC "${BRINDLEMOX_ZLIB_DIR}")
target_compile_options(zlib_static PRIVATE -w)

add_library(spng_static STATIC "${BRINDLEMOX_SPNG_DIR}/spng/spng.c")
target_include_directories(spng_static SYSTEM PUBLIC "${BRINDLEMOX_SPNG_DIR}/spng")
target_compile_definitions(spng_static PUBLIC SPNG_STATIC)
target_compile_options(spng_static PRIVATE -w)
target_link_libraries(spng_static PUBLIC zlib_static)
