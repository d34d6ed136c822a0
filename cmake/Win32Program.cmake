# The Windows program: brindlemox.exe on the Win32 backend, a GUI program
# (no console window), and beside it the graphics device as its own module,
# QelGFX36.dll, which presents with GDI.

add_library(QelGFX36 SHARED ${DEVICE_SOURCES} platform/win32/Win32Presenter.cpp
            platform/win32/Win32Error.cpp platform/win32/QelGFX36Exports.cpp
            platform/win32/QelGFX36.def)
set_target_properties(QelGFX36 PROPERTIES PREFIX "" IMPORT_PREFIX "")
target_compile_definitions(QelGFX36 PRIVATE QELGFX_BUILDING_DLL)
target_include_directories(QelGFX36 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(QelGFX36 PRIVATE ${BRINDLEMOX_PNG_LIBRARY} gdi32 user32)

# The window side of the backend. It reports its errors to the device's
# module, which keeps the last error's text for both.
add_library(brindlemox_win32 STATIC platform/win32/Win32Platform.cpp)
target_include_directories(brindlemox_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(brindlemox_win32 PUBLIC QelGFX36 user32 gdi32 kernel32)

add_executable(brindlemox WIN32 platform/win32/Win32Main.cpp)
target_link_libraries(brindlemox PRIVATE brindlemox_program brindlemox_win32 QelGFX36)

# Runtime DLLs the toolchain links against (32-bit: the shared unwinder) go
# beside the programs.
foreach(dll IN LISTS BRINDLEMOX_RUNTIME_DLLS)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${dll}")
  endif()
  file(COPY "${dll_path}" DESTINATION "${CMAKE_BINARY_DIR}")
endforeach()
