# Cross-compiling for 32-bit Windows (x86) with Debian's MinGW-w64.
#
# The processor name makes the project compile with -msse2 -mfpmath=sse, so
# that floating point runs in SSE2 registers at double precision, exactly as
# on x86-64, and never in the x87 unit's extended precision.
set(BRINDLEMOX_MINGW_PROCESSOR i686)

# The C++ runtime is linked in. The GCC runtime is not: 32-bit MinGW unwinds
# exceptions with DWARF-2 tables, and a statically linked unwinder only knows
# the tables of its own module, so the device's exception (thrown in
# QelGFX36.dll, caught in the program) would end the process. With the shared
# libgcc_s_dw2-1.dll both modules register their tables with one unwinder.
# The build copies it, and the threads library it needs, beside the programs.
set(BRINDLEMOX_MINGW_LINK_FLAGS "-static-libstdc++ -shared-libgcc")
set(BRINDLEMOX_RUNTIME_DLLS libgcc_s_dw2-1.dll libwinpthread-1.dll)

include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
