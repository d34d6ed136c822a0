# Reads the Windows modules' tables with objdump and fails on the first fault:
# - DEVICE (QelGFX36.dll) exports the device's three inline accessors under
#   their decorated names;
# - PROGRAM (brindlemox.exe) is a GUI program and takes the device from that
#   module;
# - no module needs a DLL but the system's, the device module and the
#   toolchain's RUNTIME_DLLS (comma-separated), so the statically linked
#   runtime really is linked in. TESTS (comma-separated) are checked so too.
# Given SHIPPED instead, a folder as a user gets it (the unpacked release
# zip), DEVICE and PROGRAM are the ones in that folder, and every module in
# it (.exe and .dll) must need no DLL but the system's and those in the same
# folder: what is shipped is all the program and the capture tool need.
cmake_minimum_required(VERSION 3.25)

# Run with cmake -DOBJDUMP=... -DDEVICE=... -DPROGRAM=... -DTESTS=...
#   [-DRUNTIME_DLLS=...] -P CheckWindowsModules.cmake
# or with cmake -DOBJDUMP=... -DSHIPPED=folder -P CheckWindowsModules.cmake

function(read_tables module out)
  execute_process(COMMAND "${OBJDUMP}" -p "${module}" OUTPUT_VARIABLE text
                  RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${module}: ${error}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(imported_dlls tables out)
  string(REGEX MATCHALL "DLL Name: [^\n\r]+" lines "${tables}")
  set(names)
  foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" name)
    list(APPEND names "${name}")
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

string(REPLACE "," ";" runtime_dlls "${RUNTIME_DLLS}")
string(REPLACE "," ";" tests "${TESTS}")
if(SHIPPED)
  # The DLLs of the folder are the only ones the modules may bring along.
  set(DEVICE "${SHIPPED}/QelGFX36.dll")
  set(PROGRAM "${SHIPPED}/brindlemox.exe")
  foreach(required IN ITEMS DEVICE PROGRAM)
    if(NOT EXISTS "${${required}}")
      message(FATAL_ERROR "${SHIPPED} has no ${${required}}")
    endif()
  endforeach()
  file(GLOB shipped_modules LIST_DIRECTORIES false "${SHIPPED}/*.exe" "${SHIPPED}/*.dll")
  set(runtime_dlls)
  set(tests)
  foreach(module IN LISTS shipped_modules)
    get_filename_component(name "${module}" NAME)
    if(name MATCHES "\\.dll$")
      list(APPEND runtime_dlls "${name}")
    endif()
    if(NOT module STREQUAL DEVICE AND NOT module STREQUAL PROGRAM)
      list(APPEND tests "${module}")
    endif()
  endforeach()
endif()
string(TOLOWER "${runtime_dlls}" runtime_dlls)
set(system_dlls kernel32.dll user32.dll gdi32.dll msvcrt.dll)

function(check_imports module allowed)
  read_tables("${module}" tables)
  imported_dlls("${tables}" names)
  foreach(name IN LISTS names)
    if(name IN_LIST system_dlls OR name IN_LIST allowed OR name IN_LIST runtime_dlls
       OR name MATCHES "^api-ms-win-")
      continue()
    endif()
    message(FATAL_ERROR "${module} needs ${name}, which is not shipped with it")
  endforeach()
  message(STATUS "${module} imports: ${names}")
endfunction()

read_tables("${DEVICE}" device_tables)
foreach(accessor _ZNK6QelGFX6GetBppEv _ZNK6QelGFX10GetScreenXEv _ZNK6QelGFX10GetScreenYEv)
  if(NOT device_tables MATCHES "\\] ${accessor}[\r\n]")
    message(FATAL_ERROR "${DEVICE} does not export ${accessor}")
  endif()
endforeach()
message(STATUS "${DEVICE} exports the three inline accessors")
check_imports("${DEVICE}" "")

read_tables("${PROGRAM}" program_tables)
if(NOT program_tables MATCHES "Subsystem[ \t]+0*2[ \t]")
  message(FATAL_ERROR "${PROGRAM} is not a GUI program")
endif()
imported_dlls("${program_tables}" program_dlls)
if(NOT "qelgfx36.dll" IN_LIST program_dlls)
  message(FATAL_ERROR "${PROGRAM} does not take the device from QelGFX36.dll")
endif()
check_imports("${PROGRAM}" "qelgfx36.dll")

foreach(module IN LISTS tests)
  check_imports("${module}" "qelgfx36.dll")
endforeach()
