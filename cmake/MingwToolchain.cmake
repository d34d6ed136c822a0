# What both MinGW-w64 toolchain files share; they set BRINDLEMOX_MINGW_TRIPLET.
#
# Debian ships each compiler in two threading flavours. GoogleTest needs
# std::mutex, which only the posix flavour's C++ library has.
set(CMAKE_C_COMPILER ${BRINDLEMOX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRINDLEMOX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRINDLEMOX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRINDLEMOX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
