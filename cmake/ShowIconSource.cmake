# Writes the PNG file ICON as a C++ source OUTPUT that defines its bytes,
# kShowIconPng, and their count, kShowIconPngSize: the SDL window's icon,
# compiled into the program (platform/sdl/SdlIcon.cpp).
#   cmake -DICON=file.png -DOUTPUT=file.cpp -P ShowIconSource.cmake
cmake_minimum_required(VERSION 3.25)
file(READ "${ICON}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
     "// Made by the build from ${ICON}.\n#include <cstddef>\n\n"
     "extern const unsigned char kShowIconPng[];\nextern const size_t kShowIconPngSize;\n"
     "const unsigned char kShowIconPng[] = {\n${bytes}};\n"
     "const size_t kShowIconPngSize = ${size};\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
