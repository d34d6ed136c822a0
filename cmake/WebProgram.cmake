# The program in a browser page (platform/web/). The build directory then
# holds the page: index.html, brindlemox.js, brindlemox.wasm and beside them
# the picture, pvn_quad.png, which the page's start-up fetches into the
# program's working directory.
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

add_library(brindlemox_web STATIC platform/web/WebPlatform.cpp)
target_include_directories(brindlemox_web PUBLIC ${CMAKE_SOURCE_DIR})

set(BRINDLEMOX_WEB_STARTUP ${CMAKE_SOURCE_DIR}/platform/web/WebStartup.js)
add_executable(brindlemox platform/web/WebMain.cpp)
target_link_libraries(brindlemox PRIVATE brindlemox_core brindlemox_web)
target_link_options(brindlemox PRIVATE
  -sENVIRONMENT=web
  -sASYNCIFY=1
  -sASYNCIFY_IGNORE_INDIRECT=1
  -sALLOW_MEMORY_GROWTH=1
  -sFORCE_FILESYSTEM=1
  "SHELL:--pre-js ${BRINDLEMOX_WEB_STARTUP}")
set_property(TARGET brindlemox APPEND PROPERTY LINK_DEPENDS ${BRINDLEMOX_WEB_STARTUP})

configure_file(${CMAKE_SOURCE_DIR}/platform/web/index.html ${CMAKE_BINARY_DIR}/index.html
               COPYONLY)
