/* An LD_PRELOAD library that records the argument of every call a program
 * makes to sin, cos, sincos and tan, and then lets the C library answer it.
 * scripts/libm-differences.sh runs the Linux capture tool with it, to learn
 * exactly which arguments the effects give these functions over the whole
 * timeline.
 *
 *   BRINDLEMOX_LIBM_TRACE_DIR=DIR LD_PRELOAD=./libm-trace.so PROGRAM ...
 *
 * writes DIR/sin.bin, DIR/cos.bin, DIR/sincos.bin and DIR/tan.bin: the
 * arguments as raw doubles in the machine's byte order, one per call, in the
 * order of the calls. A file that cannot be opened is reported once on stderr
 * and its calls go unrecorded. Only calls that reach the shared C library are
 * seen: a value the compiler worked out itself never gets here. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

enum { kSin, kCos, kSinCos, kTan, kFunctions };

static const char* const kNames[kFunctions] = {"sin", "cos", "sincos", "tan"};
static FILE* files[kFunctions];
static int failed[kFunctions];

static void Record(int function, double x) {
  if (failed[function]) return;
  if (files[function] == NULL) {
    const char* dir = getenv("BRINDLEMOX_LIBM_TRACE_DIR");
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%s/%s.bin", dir != NULL ? dir : ".", kNames[function]);
    files[function] = fopen(path, "wb");
    if (files[function] == NULL) {
      failed[function] = 1;
      fprintf(stderr, "libm-trace: cannot write %s\n", path);
      return;
    }
  }
  fwrite(&x, sizeof x, 1, files[function]);
}

__attribute__((destructor)) static void CloseFiles(void) {
  for (int i = 0; i < kFunctions; ++i)
    if (files[i] != NULL && fclose(files[i]) != 0)
      fprintf(stderr, "libm-trace: cannot finish %s.bin\n", kNames[i]);
}

static void* Next(const char* name) {
  void* f = dlsym(RTLD_NEXT, name);
  if (f == NULL) {
    fprintf(stderr, "libm-trace: no %s in the C library\n", name);
    abort();
  }
  return f;
}

double sin(double x) {
  static double (*next)(double);
  if (next == NULL) next = (double (*)(double))Next("sin");
  Record(kSin, x);
  return next(x);
}

double cos(double x) {
  static double (*next)(double);
  if (next == NULL) next = (double (*)(double))Next("cos");
  Record(kCos, x);
  return next(x);
}

void sincos(double x, double* s, double* c) {
  static void (*next)(double, double*, double*);
  if (next == NULL) next = (void (*)(double, double*, double*))Next("sincos");
  Record(kSinCos, x);
  next(x, s, c);
}

double tan(double x) {
  static double (*next)(double);
  if (next == NULL) next = (double (*)(double))Next("tan");
  Record(kTan, x);
  return next(x);
}
