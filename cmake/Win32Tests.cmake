# Tests that only Windows has: the Win32 backend, the program's shell on it
# and the device module, run under the emulator like the others; and a look
# at the modules' export and import tables.

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp)
add_executable(brindlemox-win32-tests ${WIN32_TEST_SOURCES})
target_link_libraries(brindlemox-win32-tests PRIVATE brindlemox_program brindlemox_win32
                      QelGFX36 GTest::gtest_main)
target_link_libraries(brindlemox-win32-tests PRIVATE user32 gdi32)
gtest_discover_tests(brindlemox-win32-tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                     DISCOVERY_TIMEOUT 60 DISCOVERY_MODE ${BRINDLEMOX_DISCOVERY_MODE})

string(REPLACE ";" "," BRINDLEMOX_RUNTIME_DLL_NAMES "${BRINDLEMOX_RUNTIME_DLLS}")
add_test(NAME WindowsModules.ExportAndImportTables
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
                 -DDEVICE=$<TARGET_FILE:QelGFX36>
                 -DPROGRAM=$<TARGET_FILE:brindlemox>
                 -DTESTS=$<TARGET_FILE:brindlemox-tests>,$<TARGET_FILE:brindlemox-win32-tests>
                 -DRUNTIME_DLLS=${BRINDLEMOX_RUNTIME_DLL_NAMES}
                 -P ${CMAKE_SOURCE_DIR}/cmake/CheckWindowsModules.cmake)
