# Cross-compiling for the web (WebAssembly) with Debian's emscripten package.
#
# Wraps emscripten's own toolchain file and adds what every target of ours
# needs there:
#   - the processor is wasm32, not the x86 emscripten advertises, so that no
#     x86 options (SSE2) are chosen for it;
#   - emcc runs parts of itself under node, which needs Debian's JavaScript
#     modules (acorn) from /usr/share/nodejs: a node that is not Debian's own
#     does not look there.
set(BRINDLEMOX_EMSCRIPTEN_ROOT "/usr/share/emscripten" CACHE PATH
    "Emscripten's installation (Debian package emscripten)")
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32)
include(${BRINDLEMOX_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

set(ENV{NODE_PATH} "/usr/share/nodejs")
set(CMAKE_C_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)

# Debian has no GoogleTest or Google Benchmark for the web.
set(BRINDLEMOX_TESTS OFF CACHE BOOL "Build the tests")
set(BRINDLEMOX_BENCH OFF CACHE BOOL "Build the benchmarks")
