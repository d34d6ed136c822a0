# Cross-compiling for 64-bit Windows (x86-64) with Debian's MinGW-w64.
set(BRINDLEMOX_MINGW_PROCESSOR x86_64)

# The GCC, C++ and threads runtimes are linked in, so that the programs need
# no DLL but the device's own module (and the system's).
set(BRINDLEMOX_MINGW_LINK_FLAGS "-static -static-libgcc -static-libstdc++")

include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
