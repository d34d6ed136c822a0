# The Windows install and zip (included by Packaging.cmake): one folder
# holding everything the program needs, as Windows finds a program's DLLs
# beside it: brindlemox.exe, the device module QelGFX36.dll, the toolchain's
# runtime DLLs (BRINDLEMOX_RUNTIME_DLLS, none on 64-bit),
# brindlemox-capture.exe, pvn_quad.png, README.txt and LICENSE.txt. Tests
# check the zip's contents and that every module in it needs no DLL but the
# system's and those beside it.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(BRINDLEMOX_PACKAGE_SYSTEM win64)
  set(BRINDLEMOX_PACKAGE_MACHINE "64-bit Windows")
else()
  set(BRINDLEMOX_PACKAGE_SYSTEM win32)
  set(BRINDLEMOX_PACKAGE_MACHINE "32-bit or 64-bit Windows")
endif()
set(CPACK_GENERATOR ZIP)
set(BRINDLEMOX_PACKAGE_FILES Brindlemox-${PROJECT_VERSION}-${BRINDLEMOX_PACKAGE_SYSTEM}.zip)

install(TARGETS brindlemox brindlemox-capture RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/assets/pvn_quad.png DESTINATION .)
# The module, not its import library, which only a linker needs (a
# component of its own that no package takes).
install(TARGETS QelGFX36 RUNTIME DESTINATION .
                         ARCHIVE DESTINATION lib COMPONENT linking EXCLUDE_FROM_ALL)
foreach(dll IN LISTS BRINDLEMOX_RUNTIME_DLLS)
  install(FILES ${CMAKE_BINARY_DIR}/${dll} DESTINATION .)
endforeach()

# Writes TEMPLATE (its @VARIABLES@ replaced) as BUILD/package/NAME with
# Windows' own line ends, so that every editor shows the lines.
function(brindlemox_windows_text template name)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
  file(READ ${template} text)
  string(CONFIGURE "${text}" text @ONLY)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/package/${name} "${text}")
endfunction()

# The README's list of files names the runtime DLLs too.
set(BRINDLEMOX_README_RUNTIME_LIST "")
foreach(dll IN LISTS BRINDLEMOX_RUNTIME_DLLS)
  string(LENGTH "${dll}" length)
  math(EXPR padding "25 - ${length}")
  string(REPEAT " " ${padding} spaces)
  string(APPEND BRINDLEMOX_README_RUNTIME_LIST "${dll}${spaces}the compiler's runtime\n")
endforeach()
brindlemox_windows_text(${CMAKE_SOURCE_DIR}/cmake/WindowsReadme.txt.in README.txt)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)
brindlemox_windows_text(${CMAKE_SOURCE_DIR}/LICENSE LICENSE.txt)
install(FILES ${CMAKE_BINARY_DIR}/package/LICENSE.txt DESTINATION . COMPONENT licence)
