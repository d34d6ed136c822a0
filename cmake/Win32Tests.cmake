# Tests that only Windows has: the Win32 backend, the program's shell on it
# and the device module, run under the emulator like the others; and checks
# of the built modules that need no emulator: their export and import tables
# and, on 32-bit x86, that our code does no x87 arithmetic.

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp)
add_executable(brindlemox-win32-tests ${WIN32_TEST_SOURCES})
target_link_libraries(brindlemox-win32-tests PRIVATE brindlemox_program brindlemox_win32
                      QelGFX36 GTest::gtest_main)
target_compile_definitions(brindlemox-win32-tests PRIVATE BRINDLEMOX_VERSION="${PROJECT_VERSION}")
# With the program's icon, whose loading the backend's tests check.
brindlemox_add_icon(brindlemox-win32-tests)
brindlemox_discover_tests(brindlemox-win32-tests)

string(REPLACE ";" "," BRINDLEMOX_RUNTIME_DLL_NAMES "${BRINDLEMOX_RUNTIME_DLLS}")
add_test(NAME WindowsModules.ExportAndImportTables
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
                 -DDEVICE=$<TARGET_FILE:QelGFX36>
                 -DPROGRAM=$<TARGET_FILE:brindlemox>
                 -DTESTS=$<TARGET_FILE:brindlemox-tests>,$<TARGET_FILE:brindlemox-win32-tests>
                 -DRUNTIME_DLLS=${BRINDLEMOX_RUNTIME_DLL_NAMES}
                 -P ${CMAKE_SOURCE_DIR}/cmake/CheckWindowsModules.cmake)

# The program, the capture tool and this test program carry the show's icon.
set(icon_files "")
foreach(size IN LISTS BRINDLEMOX_ICON_SIZES)
  list(APPEND icon_files ${CMAKE_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/brindlemox.png)
endforeach()
string(REPLACE ";" "," icon_files "${icon_files}")
add_test(NAME WindowsModules.TheExecutablesCarryTheShowsIcon
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
                 -DMODULES=$<TARGET_FILE:brindlemox>,$<TARGET_FILE:brindlemox-capture>,$<TARGET_FILE:brindlemox-win32-tests>
                 -DICONS=${icon_files}
                 -P ${CMAKE_SOURCE_DIR}/cmake/CheckWindowsIcon.cmake)

if(BRINDLEMOX_X86_32)
  add_test(NAME WindowsModules.NoX87Arithmetic
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
                   -DFILES=$<TARGET_FILE:brindlemox_program>,$<TARGET_FILE:brindlemox_device>,$<TARGET_FILE:brindlemox_win32>
                   -P ${CMAKE_SOURCE_DIR}/cmake/CheckSse2Arithmetic.cmake)
endif()
