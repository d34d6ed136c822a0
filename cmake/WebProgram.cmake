# The program in a browser page (platform/web/). The build directory then
# holds the page: index.html, brindlemox.js, brindlemox.wasm and beside them
# the picture, pvn_quad.png, which the page's start-up fetches into the
# program's working directory, and the page's icon, favicon.png.
#
# The shell's message loop waits for each animation frame inside its poll,
# through Asyncify. Only the calls that lead to that wait are instrumented
# (main, the entry point, the loop, the poll): they are all direct calls, so
# indirect calls (the window procedure, the effects' Render) are left alone,
# and the drawing runs at full speed.

if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "The web backend builds with emscripten only: configure with "
                      "-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake")
endif()

add_library(brindlemox_web STATIC platform/EmulatedWindow.cpp platform/web/WebPlatform.cpp)
target_include_directories(brindlemox_web PUBLIC ${CMAKE_SOURCE_DIR})

set(BRINDLEMOX_WEB_STARTUP ${CMAKE_SOURCE_DIR}/platform/web/WebStartup.js)

# A page's program: the start-up code and the SOURCES given, with the page's
# start-up and the further PRE_JS scripts run before it.
function(brindlemox_web_page target)
  cmake_parse_arguments(PAGE "" "" "SOURCES;PRE_JS" ${ARGN})
  add_executable(${target} platform/web/WebMain.cpp ${PAGE_SOURCES})
  target_link_libraries(${target} PRIVATE brindlemox_core brindlemox_web)
  target_link_options(${target} PRIVATE
    -sENVIRONMENT=web
    -sASYNCIFY=1
    -sASYNCIFY_IGNORE_INDIRECT=1
    -sALLOW_MEMORY_GROWTH=1
    -sFORCE_FILESYSTEM=1)
  foreach(script IN LISTS BRINDLEMOX_WEB_STARTUP PAGE_PRE_JS)
    target_link_options(${target} PRIVATE "SHELL:--pre-js ${script}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
  endforeach()
endfunction()

brindlemox_web_page(brindlemox)
configure_file(${CMAKE_SOURCE_DIR}/platform/web/index.html ${CMAKE_BINARY_DIR}/index.html
               COPYONLY)
# The page's icon in the browser's tab: the show's own icon, at 32x32.
set(BRINDLEMOX_FAVICON ${CMAKE_SOURCE_DIR}/assets/icons/hicolor/32x32/apps/brindlemox.png)
configure_file(${BRINDLEMOX_FAVICON} ${CMAKE_BINARY_DIR}/favicon.png COPYONLY)

# The page the page tests open (tests/web/PageTest.py), in page-test/: the
# same page and program with the tests' observer built in, which journals the
# stop, and their watch over the page, which counts the frames. The page
# above carries neither.
brindlemox_web_page(brindlemox-page-test
  SOURCES tests/web/PageJournal.cpp
  PRE_JS ${CMAKE_SOURCE_DIR}/tests/web/PageWatch.js)
set_target_properties(brindlemox-page-test PROPERTIES
  OUTPUT_NAME brindlemox
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/page-test)
foreach(file platform/web/index.html assets/pvn_quad.png)
  get_filename_component(name ${file} NAME)
  configure_file(${CMAKE_SOURCE_DIR}/${file} ${CMAKE_BINARY_DIR}/page-test/${name} COPYONLY)
endforeach()
configure_file(${BRINDLEMOX_FAVICON} ${CMAKE_BINARY_DIR}/page-test/favicon.png COPYONLY)
