#!/usr/bin/env bash
# Builds Brindlemox for the web (scripts/build-web.sh) and tests it:
#   1. no floating-point value of the program's code is converted straight
#      to an unsigned integer, which WebAssembly and x86 answer differently
#      for negative values (checked on the web build's own compiler view);
#   2. the web build's capture tool under node against the Linux one, frame by
#      frame over the whole timeline, at 60 and 1000 frames a second, with the
#      seeds 1 and 4242: the web must draw the very same pixels;
#   3. the page in headless Chromium, served from 127.0.0.1 only
#      (tests/web/PageTest.py): changing frames, the frame rate in the title,
#      the canvas holding the capture tool's frame, one frame per animation
#      frame, Escape and the close button ending the show in order, a missing
#      picture, a device that cannot be made, and the page as shipped keeping
#      no record for the tests (they watch a page built for them).
# Installs what it needs with apt-get first. Exits non-zero on the first
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

start=$SECONDS
step() { echo "=== web: $* ($((SECONDS - start)) s)"; }
fail() {
  echo "web: FAILED: $*" >&2
  exit 1
}

# Debian's own python, which has Debian's selenium.
PYTHON=/usr/bin/python3
WEB_TEST_PACKAGES=(emscripten clang-tools-14 chromium chromium-driver python3 python3-selenium)
step "packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"

step "building for the web"
bash scripts/build-web.sh >/dev/null
step "building the Linux capture tool"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target brindlemox-capture >/dev/null

work=$(mktemp -d /tmp/brindlemox-web.XXXXXX)
pids=()
cleanup() {
  set +e
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

step "no floating-point value converted straight to an unsigned integer"
# The same compiler view as the web build's: emscripten's target and headers.
read -r -a web_flags <<<"$(NODE_PATH=/usr/share/nodejs em++ --cflags)"
unsigned_matcher='match castExpr(hasCastKind("CK_FloatingToIntegral"), hasType(qualType(hasCanonicalType(isUnsignedInteger()))))'
audit() {  # FILES... : prints each match in our code
  clang-query-14 -c "$unsigned_matcher" "$@" -- -std=c++20 -I. "${web_flags[@]}" 2>&1 |
    grep -E '^/.*"root" binds here' | grep -v '/usr/' || true
}
# The check must see such a conversion where there is one.
printf 'unsigned Convert(double d) { return static_cast<unsigned>(d); }\n' >"$work/canary.cpp"
[ -n "$(audit "$work/canary.cpp")" ] || fail "the conversion check does not see a conversion"
found=$(audit effects/*.cpp framework/*.cpp shell/*.cpp math/*.cpp platform/*.cpp \
              platform/web/*.cpp platform/headless/*.cpp tools/capture/*.cpp)
[ -z "$found" ] || fail "floating-point values converted straight to unsigned integers:
$found"

step "web frames against Linux frames"
compare_captures() {  # FPS SEED
  local label="$1 fps, seed $2"
  local capture=(--fps "$1" --seed "$2" --duration 36000 --raw)
  rm -f "$work/linux.raw" "$work/web.raw"
  mkfifo "$work/linux.raw" "$work/web.raw"
  (cd build && exec ./brindlemox-capture "${capture[@]}" >"$work/linux.raw") &
  local linux_pid=$!
  (cd build-web && exec node brindlemox-capture.js "${capture[@]}" >"$work/web.raw") &
  local web_pid=$!
  pids=("$linux_pid" "$web_pid")
  local compared=0 linux_result=0 web_result=0
  "$PYTHON" scripts/compare-frames.py "$work/linux.raw" "$work/web.raw" | tail -5 |
    sed "s/^/$label: /" || compared=$?
  wait "$linux_pid" || linux_result=$?
  wait "$web_pid" || web_result=$?
  pids=()
  [ "$compared" -eq 0 ] || fail "$label: the web frames differ from the Linux frames"
  [ "$linux_result" -eq 0 ] || fail "$label: the Linux capture failed"
  [ "$web_result" -eq 0 ] || fail "$label: the web capture failed"
}
for seed in 1 4242; do
  for fps in 60 1000; do compare_captures "$fps" "$seed"; done
done

step "the page in Chromium"
# The capture tool's frame at 7000 ms (frame 421 at 60 fps), when the tile
# zoom shows the whole picture, with the picture and without it.
(cd build && ./brindlemox-capture --frames 421 --raw >"$work/picture.raw") ||
  fail "no reference frame"
mkdir "$work/nopicture"
capture_tool="$PWD/build/brindlemox-capture"
(cd "$work/nopicture" && "$capture_tool" --frames 421 --raw \
   >"$work/black.raw" 2>/dev/null) || fail "no reference frame without the picture"
"$PYTHON" tests/web/PageTest.py build-web "$work/picture.raw" "$work/black.raw" ||
  fail "the page tests"

step "all web checks passed"
