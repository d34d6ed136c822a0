// Which vector instructions a build may use, and whether this processor has
// the ones chosen while the program runs.
//
//   BRINDLEMOX_SSE2_INTRINSICS  the SSE2 intrinsics of <emmintrin.h> compile:
//       on x86 with SSE2 (every x86-64 processor, and the 32-bit builds with
//       -msse2), and on the web, where emscripten turns them into
//       WebAssembly SIMD instructions (-msse2 with -msimd128).
//   BRINDLEMOX_X86_SSE2         the same on a real x86 processor.
//   BRINDLEMOX_X86_AVX2         AVX2 code in functions of their own, taken
//       where ProcessorHasAvx2(). It needs GCC or Clang; GCC on 64-bit
//       Windows cannot align its 32-byte stack spills, so there it is left
//       out and the SSE2 or plain code serves.
//   BRINDLEMOX_WASM_SIMD        WebAssembly SIMD128 (<wasm_simd128.h>).
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define BRINDLEMOX_SSE2_INTRINSICS 1
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define BRINDLEMOX_X86_SSE2 1
#if defined(__GNUC__) && !(defined(_WIN64) && !defined(__clang__))
#define BRINDLEMOX_X86_AVX2 1
#endif
#endif
#endif

#if defined(__wasm_simd128__)
#define BRINDLEMOX_WASM_SIMD 1
#endif

// The same as values, for code that asks rather than leaves out.
#if defined(BRINDLEMOX_X86_SSE2)
constexpr bool kBuildHasX86Sse2 = true;
#else
constexpr bool kBuildHasX86Sse2 = false;
#endif
#if defined(BRINDLEMOX_WASM_SIMD)
constexpr bool kBuildHasWasmSimd = true;
#else
constexpr bool kBuildHasWasmSimd = false;
#endif

// Whether the processor running this has AVX2 and the build can use it.
inline bool ProcessorHasAvx2() {
#if defined(BRINDLEMOX_X86_AVX2)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}
