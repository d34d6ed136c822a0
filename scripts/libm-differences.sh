#!/usr/bin/env bash
# Counts where the web build's maths library (emscripten's, which is musl's)
# answers the effects' sin and cos differently from glibc's, on exactly the
# arguments the effects give them over the whole timeline:
#   1. the Linux capture tool runs at 1000 frames a second over 36 s with
#      tools/libm/LibmTrace.c preloaded, which records every argument (every
#      millisecond of each effect's own clock, so every argument any capture
#      of that length gives, at any frame rate or seed);
#   2. tools/libm/LibmEvaluate.c, built against glibc, against musl
#      (musl-gcc) and for the web (run under node), evaluates them all;
#   3. scripts/count-libm-differences.py counts the differing results.
# It measures; it does not judge: scripts/test-web.sh checks that the web
# build's frames are the Linux build's all the same. Installs its packages.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" gcc libc6-dev musl-tools emscripten python3

export NODE_PATH=/usr/share/nodejs
work=$(mktemp -d /tmp/brindlemox-libm.XXXXXX)
trap 'rm -rf "$work"' EXIT

cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target brindlemox-capture

flags=(-O2 -Wall -Wextra -ffp-contract=off -fno-builtin)
gcc "${flags[@]}" -shared -fPIC tools/libm/LibmTrace.c -o "$work/libm-trace.so" -ldl
gcc "${flags[@]}" tools/libm/LibmEvaluate.c -o "$work/evaluate-glibc" -lm
musl-gcc "${flags[@]}" tools/libm/LibmEvaluate.c -o "$work/evaluate-musl" -lm
emcc "${flags[@]}" -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sWASM_ASYNC_COMPILATION=0 \
  --pre-js cmake/NodeStandardStreams.js tools/libm/LibmEvaluate.c -o "$work/evaluate-web.js"

mkdir -p "$work/trace" "$work/results"
(cd build && BRINDLEMOX_LIBM_TRACE_DIR="$work/trace" LD_PRELOAD="$work/libm-trace.so" \
   ./brindlemox-capture --fps 1000 --duration 36000 --raw >/dev/null)

evaluate() {  # LIBRARY FUNCTION TRACE OUTPUT
  if [ "$1" = web ]; then
    node "$work/evaluate-web.js" "$2" <"$3" >"$4"
  else
    "$work/evaluate-$1" "$2" <"$3" >"$4"
  fi
}
for f in sin cos tan; do
  [ -f "$work/trace/$f.bin" ] || continue
  for lib in glibc musl web; do evaluate "$lib" "$f" "$work/trace/$f.bin" "$work/results/$lib-$f.bin"; done
done
if [ -f "$work/trace/sincos.bin" ]; then
  evaluate glibc sincos "$work/trace/sincos.bin" "$work/results/glibc-sincos.bin"
  for lib in musl web; do
    evaluate "$lib" sin "$work/trace/sincos.bin" "$work/results/$lib-sincos-sin.bin"
    evaluate "$lib" cos "$work/trace/sincos.bin" "$work/results/$lib-sincos-cos.bin"
  done
fi
python3 scripts/count-libm-differences.py "$work/trace" "$work/results"
