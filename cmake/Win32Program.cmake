# The Windows program: brindlemox.exe on the Win32 backend, a GUI program
# (no console window), and beside it the graphics device as its own module,
# QelGFX36.dll, which presents with GDI.

# The show's icon in the Windows executables, for Explorer, the task bar and
# the window class (platform/win32/Win32Platform.cpp loads it): an icon
# group, resource 1, whose images are the committed PNG icons themselves, as
# Windows reads them since Vista. The resource script is written here, each
# image's size in bytes read from its file, and windres compiles it.
enable_language(RC)
set(BRINDLEMOX_ICON_SIZES 16 24 32 48 64 128 256)
set(icon_images "")
set(icon_entries "")
set(icon_id 101)
foreach(size IN LISTS BRINDLEMOX_ICON_SIZES)
  set(png ${CMAKE_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/brindlemox.png)
  file(SIZE ${png} png_bytes)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${png})
  # Width and height, one byte each (0 stands for 256), no palette, one
  # plane, 32 bits a pixel, the image's bytes and its resource.
  math(EXPR width_height "(${size} % 256) * 257")
  string(APPEND icon_images "${icon_id} 3 \"${png}\"\n")
  string(APPEND icon_entries ",\n  ${width_height}, 0, 1, 32, ${png_bytes}L, ${icon_id}")
  math(EXPR icon_id "${icon_id} + 1")
endforeach()
list(LENGTH BRINDLEMOX_ICON_SIZES icon_count)
set(BRINDLEMOX_ICON_RC ${CMAKE_BINARY_DIR}/generated/ProgramIcon.rc)
string(CONCAT icon_script
       "// Made by cmake/Win32Program.cmake: the show's icon, its images (RT_ICON, 3)\n"
       "// and their group (RT_GROUP_ICON, 14).\n${icon_images}"
       "1 14\nBEGIN\n  0, 1, ${icon_count}${icon_entries}\nEND\n")
# Written only when it changes, so that nothing is built again for nothing.
file(CONFIGURE OUTPUT ${BRINDLEMOX_ICON_RC} CONTENT "${icon_script}")

# Gives an executable the show's icon.
function(brindlemox_add_icon target)
  target_sources(${target} PRIVATE ${BRINDLEMOX_ICON_RC})
endfunction()

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
brindlemox_add_icon(brindlemox)

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
