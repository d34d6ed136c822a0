# Makes the Windows release zip with cpack into SCRATCH, unpacks it as a user
# would, and fails on the first fault:
# - the zip NAME.zip holds one folder, NAME;
# - SHA256SUMS beside the zip gives its SHA-256;
# - the folder holds exactly brindlemox.exe, QelGFX36.dll, the toolchain's
#   RUNTIME_DLLS (comma-separated), brindlemox-capture.exe, pvn_quad.png (the
#   very file PICTURE), README.txt, whose list of files names each of them,
#   and LICENSE.txt, the project's LICENCE; both text files end their lines
#   the Windows way;
# - every module in the folder needs no DLL but the system's and those in
#   the folder, and the device and the program are what they must be
#   (CheckWindowsModules.cmake on the folder).
cmake_minimum_required(VERSION 3.25)

# Run with cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DNAME=...
#   -DSCRATCH=... -DOBJDUMP=... -DPICTURE=... -DLICENCE=... [-DRUNTIME_DLLS=...]
#   -P CheckWindowsPackage.cmake

file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${CPACK}" --config "${CONFIG}" -B "${SCRATCH}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${output}")
endif()
set(zip "${SCRATCH}/${NAME}.zip")
if(NOT EXISTS "${zip}")
  message(FATAL_ERROR "cpack wrote no ${zip}:\n${output}")
endif()

file(SHA256 "${zip}" zip_hash)
file(READ "${SCRATCH}/SHA256SUMS" sums)
if(NOT sums STREQUAL "${zip_hash}  ${NAME}.zip\n")
  message(FATAL_ERROR "SHA256SUMS beside ${NAME}.zip does not give its SHA-256 ${zip_hash}:\n${sums}")
endif()

set(unpacked "${SCRATCH}/unpacked")
file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${unpacked}")
file(GLOB top RELATIVE "${unpacked}" "${unpacked}/*")
if(NOT top STREQUAL NAME)
  message(FATAL_ERROR "${zip} holds ${top}, not one folder ${NAME}")
endif()

set(folder "${unpacked}/${NAME}")
string(REPLACE "," ";" runtime_dlls "${RUNTIME_DLLS}")
set(expected brindlemox.exe QelGFX36.dll ${runtime_dlls} brindlemox-capture.exe pvn_quad.png
             README.txt LICENSE.txt)
file(GLOB_RECURSE found LIST_DIRECTORIES true RELATIVE "${folder}" "${folder}/*")
list(SORT found)
set(sorted_expected ${expected})
list(SORT sorted_expected)
if(NOT found STREQUAL sorted_expected)
  message(FATAL_ERROR "${NAME} holds\n  ${found}\nnot\n  ${sorted_expected}")
endif()

file(SHA256 "${folder}/pvn_quad.png" shipped_picture)
file(SHA256 "${PICTURE}" source_picture)
if(NOT shipped_picture STREQUAL source_picture)
  message(FATAL_ERROR "${NAME}/pvn_quad.png is not ${PICTURE}")
endif()

# (file(READ) drops carriage returns, so the line ends are read in hex.)
foreach(text README.txt LICENSE.txt)
  file(READ "${folder}/${text}" text_hex HEX)
  string(REGEX REPLACE "0d0a" "" bare_line_ends "${text_hex}")
  if(bare_line_ends MATCHES "^(..)*0a" OR NOT text_hex MATCHES "0d0a")
    message(FATAL_ERROR "${NAME}/${text} does not end its lines the Windows way")
  endif()
endforeach()
# (ASCII text: no two hex digits match across two bytes.)
file(READ "${LICENCE}" licence_hex HEX)
string(REGEX REPLACE "0a" "0d0a" licence_hex "${licence_hex}")
file(READ "${folder}/LICENSE.txt" shipped_licence_hex HEX)
if(NOT shipped_licence_hex STREQUAL licence_hex)
  message(FATAL_ERROR "${NAME}/LICENSE.txt is not ${LICENCE}")
endif()
file(READ "${folder}/README.txt" readme)
foreach(name IN LISTS expected)
  string(REPLACE "." "\\." pattern "${name}")
  if(NOT readme MATCHES "\n${pattern} ")
    message(FATAL_ERROR "the list of files in ${NAME}/README.txt does not name ${name}")
  endif()
endforeach()
message(STATUS "${NAME}.zip holds ${expected}")

set(SHIPPED "${folder}")
include("${CMAKE_CURRENT_LIST_DIR}/CheckWindowsModules.cmake")
