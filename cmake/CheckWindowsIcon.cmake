# Reads the resource directory of Windows executables with objdump and fails
# unless each carries the show's icon as the program makes it
# (cmake/Win32Program.cmake): icon group 1 (RT_GROUP_ICON, 14), the one
# Explorer and the task bar show, and one icon image (RT_ICON, 3) for each
# of the PNG files ICONS, in that order, each of that file's size in bytes.
#   cmake -DOBJDUMP=... -DMODULES=a.exe,b.exe -DICONS=16.png,24.png,...
#         -P CheckWindowsIcon.cmake
cmake_minimum_required(VERSION 3.25)

string(REPLACE "," ";" modules "${MODULES}")
string(REPLACE "," ";" icons "${ICONS}")
list(LENGTH icons icon_count)
set(image_sizes "")
foreach(icon IN LISTS icons)
  file(SIZE "${icon}" bytes)
  list(APPEND image_sizes ${bytes})
endforeach()

foreach(module IN LISTS modules)
  execute_process(COMMAND "${OBJDUMP}" -p "${module}" OUTPUT_VARIABLE tables
                  RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${module}: ${error}")
  endif()
  string(FIND "${tables}" "The .rsrc Resource Directory section:" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${module} has no resources, so no icon")
  endif()
  string(SUBSTRING "${tables}" ${at} -1 resources)
  # A type's entry (three spaces in) names its table of names (four in).
  set(type "\n[0-9a-f]+   Entry: ID: ")
  set(names "[^\n]*\n[0-9a-f]+    Name Table: [^\n]*IDs: ")
  if(NOT resources MATCHES "${type}0x00000e${names}1\n[0-9a-f]+     Entry: ID: 0x000001,")
    message(FATAL_ERROR "${module} has no icon group 1 (RT_GROUP_ICON)")
  endif()
  if(NOT resources MATCHES "${type}0x000003${names}${icon_count}\n")
    message(FATAL_ERROR "${module} does not have ${icon_count} icon images (RT_ICON)")
  endif()
  # The images' leaves come first in the directory, in the order of their
  # ids, which is the order of ICONS.
  string(REGEX MATCHALL "Leaf: Addr: 0x[0-9a-f]+, Size: 0x[0-9a-f]+" leaves "${resources}")
  set(index 0)
  foreach(bytes IN LISTS image_sizes)
    list(GET leaves ${index} leaf)
    string(REGEX REPLACE ".*Size: 0x" "" hex "${leaf}")
    math(EXPR size "0x${hex}")
    list(GET icons ${index} icon)
    if(NOT size EQUAL bytes)
      message(FATAL_ERROR "${module}: icon image ${index} has ${size} bytes, ${icon} ${bytes}")
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  message(STATUS "${module}: icon group 1 with ${icon_count} images, the committed icons")
endforeach()
