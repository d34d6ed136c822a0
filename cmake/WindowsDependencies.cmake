# libspng, zlib and GoogleTest for Windows, built from their sources with the
# cross compiler: Debian has no MinGW builds of them. libspng and zlib come
# from Debian's source packages, unpacked by `apt-get source libspng zlib`
# into BRINDLEMOX_WINDOWS_SOURCES (scripts/test-windows.sh does that);
# GoogleTest from Debian's googletest package, which installs its sources.
#
# Sets BRINDLEMOX_PNG_LIBRARY to the static libspng (with zlib) and, when the
# tests are built, provides GTest::gtest_main.

set(BRINDLEMOX_WINDOWS_SOURCES "${CMAKE_SOURCE_DIR}/build-windeps/src" CACHE PATH
    "Where the source packages of libspng and zlib are unpacked")
set(BRINDLEMOX_GOOGLETEST_SOURCES "/usr/src/googletest/googletest" CACHE PATH
    "GoogleTest's sources (Debian package googletest)")

function(brindlemox_find_source_package variable name)
  file(GLOB candidates LIST_DIRECTORIES true "${BRINDLEMOX_WINDOWS_SOURCES}/${name}-*")
  list(FILTER candidates EXCLUDE REGEX "\\.(dsc|tar\\..*)$")
  list(SORT candidates COMPARE NATURAL)
  list(POP_BACK candidates found)
  if(NOT found OR NOT IS_DIRECTORY "${found}")
    message(FATAL_ERROR
      "The sources of ${name} are not in ${BRINDLEMOX_WINDOWS_SOURCES}. Unpack them there "
      "with `apt-get source ${name}` (scripts/test-windows.sh --sources does it).")
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

set(BRINDLEMOX_PNG_LIBRARY spng_static)

if(BRINDLEMOX_TESTS)
  if(NOT EXISTS "${BRINDLEMOX_GOOGLETEST_SOURCES}/CMakeLists.txt")
    message(FATAL_ERROR "GoogleTest's sources are not in ${BRINDLEMOX_GOOGLETEST_SOURCES}: "
                        "install Debian's googletest package.")
  endif()
  # GoogleTest uses Win32's own threads on Windows.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${BRINDLEMOX_GOOGLETEST_SOURCES}" "${CMAKE_BINARY_DIR}/googletest"
                   EXCLUDE_FROM_ALL SYSTEM)
  set_property(TARGET gtest gtest_main APPEND PROPERTY COMPILE_OPTIONS -w)
endif()
