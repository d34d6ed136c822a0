# libspng, zlib and GoogleTest for Windows, built from their sources with the
# cross compiler: Debian has no MinGW builds of them. libspng and zlib come
# from Debian's source packages, unpacked by `apt-get source libspng zlib`
# into BRINDLEMOX_WINDOWS_SOURCES (scripts/test-windows.sh does that);
# GoogleTest from Debian's googletest package, which installs its sources.
#
# Sets BRINDLEMOX_PNG_LIBRARY to the static libspng (with zlib) and, when the
# tests are built, provides GTest::gtest_main.

include(${CMAKE_CURRENT_LIST_DIR}/DebianSourceLibraries.cmake)
set(BRINDLEMOX_GOOGLETEST_SOURCES "/usr/src/googletest/googletest" CACHE PATH
    "GoogleTest's sources (Debian package googletest)")

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
