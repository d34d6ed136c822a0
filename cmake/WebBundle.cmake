# The web bundle (included by Packaging.cmake): BUILD/Brindlemox-VERSION-web.zip,
# one folder Brindlemox-VERSION-web holding the page and what it loads,
# index.html, brindlemox.js, brindlemox.wasm, pvn_quad.png and favicon.png, the
# explorer's explorer.js, explorer.wasm and page files, with a
# README.txt and LICENSE.txt. Its files work from any static web server:
# the page finds the rest beside itself. scripts/test-web.sh serves the
# unpacked folder with a plain static server and plays it in Chromium.

set(BRINDLEMOX_PACKAGE_SYSTEM web)
set(CPACK_GENERATOR ZIP)
# The program is WebAssembly and JavaScript: nothing for strip.
set(CPACK_STRIP_FILES OFF)
set(BRINDLEMOX_PACKAGE_FILES Brindlemox-${PROJECT_VERSION}-web.zip)

install(FILES ${CMAKE_BINARY_DIR}/index.html
              $<TARGET_FILE:brindlemox>
              $<TARGET_FILE_DIR:brindlemox>/$<TARGET_FILE_BASE_NAME:brindlemox>.wasm
              ${CMAKE_SOURCE_DIR}/assets/pvn_quad.png
              ${CMAKE_BINARY_DIR}/favicon.png
        DESTINATION .)
# The explorer beside the show: its module and every file of its page.
install(FILES $<TARGET_FILE:explorer>
              $<TARGET_FILE_DIR:explorer>/$<TARGET_FILE_BASE_NAME:explorer>.wasm
        DESTINATION .)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/explorer/page/ DESTINATION . OPTIONAL)
configure_file(${CMAKE_SOURCE_DIR}/packaging/web/README.txt.in
               ${CMAKE_BINARY_DIR}/package/README.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT licence)
