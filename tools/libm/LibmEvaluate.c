/* Evaluates one function of the C library's maths for a list of arguments,
 * so that two C libraries can be compared on exactly the same arguments.
 * scripts/libm-differences.sh builds it against glibc, against musl
 * (musl-gcc) and for the web (emscripten, whose C library is musl's) and
 * compares what each says.
 *
 *   libm-evaluate FUNCTION < ARGUMENTS > RESULTS
 *
 * FUNCTION is sin, cos, tan or sincos. ARGUMENTS and RESULTS are raw doubles
 * in the machine's byte order; sincos writes the sine and then the cosine of
 * each argument. Exits 2 on a bad command line, 1 when input or output fails. */
#define _GNU_SOURCE /* sincos */
#include <math.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc != 2 || (strcmp(argv[1], "sin") != 0 && strcmp(argv[1], "cos") != 0 &&
                    strcmp(argv[1], "tan") != 0 && strcmp(argv[1], "sincos") != 0)) {
    fprintf(stderr, "usage: libm-evaluate sin|cos|tan|sincos < arguments > results\n");
    return 2;
  }
  const char f = argv[1][0] == 't' ? 't' : strcmp(argv[1], "sincos") == 0 ? 'b' : argv[1][0];
  double in[4096];
  double out[8192];
  size_t n;
  while ((n = fread(in, sizeof in[0], sizeof in / sizeof in[0], stdin)) > 0) {
    size_t m = 0;
    for (size_t i = 0; i < n; ++i) {
      switch (f) {
        case 's': out[m++] = sin(in[i]); break;
        case 'c': out[m++] = cos(in[i]); break;
        case 't': out[m++] = tan(in[i]); break;
        default: sincos(in[i], &out[m], &out[m + 1]); m += 2; break;
      }
    }
    if (fwrite(out, sizeof out[0], m, stdout) != m) {
      fprintf(stderr, "libm-evaluate: cannot write the results\n");
      return 1;
    }
  }
  if (ferror(stdin) || fflush(stdout) != 0) {
    fprintf(stderr, "libm-evaluate: input or output failed\n");
    return 1;
  }
  return 0;
}
