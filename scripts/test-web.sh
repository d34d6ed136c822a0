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
#      picture, a device that cannot be made, the canvas's size and place at
#      1920x1080 (device pixel ratios 1 and 2) and on a 390x844 phone with
#      screenshots of it enlarged by nearest pixel, fullscreen by button and
#      by F with Escape leaving it first, Play again, and the page as shipped
#      keeping no record for the tests (they watch a page built for them);
#   4. the web bundle Brindlemox-VERSION-web.zip: SHA256SUMS checks it, it
#      holds one folder with the page, its files and LICENSE.txt and
#      README.txt, and unpacked into an empty folder and served as it is by
#      a plain static server on 127.0.0.1 it plays the show in Chromium
#      (tests/web/PageTest.py, with the page tests of 3);
#   5. the explorer page, explore.html (tests/web/ExplorerTest.py): links to
#      held frames at 60 and 37 fps and two seeds show the Linux capture
#      tool's pixels, ten steps on and back give them again, dragging the
#      timeline raises no error, pointing at pixels reads what the capture
#      tool's --describe and --point print, "Save frame" downloads its PNG
#      byte for byte, the keys, the fields and the layout.
# Installs what it needs with apt-get first. Exits non-zero on the first
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/frames.sh
report_unexpected_failures web

stage_messages web

# Debian's own python, which has Debian's selenium.
PYTHON=/usr/bin/python3
WEB_TEST_PACKAGES=(emscripten clang-tools-14 chromium chromium-driver python3 python3-selenium)
step "packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}"

step "building for the web"
bash scripts/build-web.sh
step "building the Linux capture tool"
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target brindlemox-capture

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
  compare_with_linux "$work" "$1" "$2" web "cd build-web && exec node brindlemox-capture.js" ||
    fail "$1 fps, seed $2: the web frames differ from the Linux frames, or a capture failed"
}
for seed in 1 4242; do
  for fps in 60 1000; do compare_captures "$fps" "$seed"; done
done

step "the web bundle"
version=$(project_version build-web)
bundle=Brindlemox-$version-web
[ "$(awk '{ print $2 }' build-web/SHA256SUMS)" = "$bundle.zip" ] ||
  fail "build-web/SHA256SUMS does not list $bundle.zip alone"
(cd build-web && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not check $bundle.zip"
mkdir "$work/bundle"
(cd "$work/bundle" && cmake -E tar xf "$OLDPWD/build-web/$bundle.zip") || fail "cannot unpack $bundle.zip"
[ "$(ls "$work/bundle")" = "$bundle" ] || fail "$bundle.zip does not hold one folder $bundle"
[ "$(cd "$work/bundle/$bundle" && find . | sort | tr '\n' ' ')" = \
  ". ./LICENSE.txt ./README.txt ./brindlemox.js ./brindlemox.wasm ./explore.css ./explore.html ./explore.js ./explorer.js ./explorer.wasm ./favicon.png ./index.html ./pvn_quad.png " ] ||
  fail "$bundle holds $(cd "$work/bundle/$bundle" && find . | sort | tr '\n' ' ')"
for file in index.html brindlemox.js brindlemox.wasm pvn_quad.png favicon.png \
            explore.html explore.js explore.css explorer.js explorer.wasm; do
  cmp -s "$work/bundle/$bundle/$file" "build-web/$file" || fail "$bundle/$file is not the build's"
done
cmp -s "$work/bundle/$bundle/LICENSE.txt" LICENSE || fail "$bundle/LICENSE.txt is not LICENSE"

step "the page in Chromium, and the bundle from a plain static server"
# The capture tool's frame at 7000 ms (frame 421 at 60 fps), when the tile
# zoom shows the whole picture, with the picture and without it.
(cd build && ./brindlemox-capture --frames 421 --raw >"$work/picture.raw") ||
  fail "no reference frame"
# The tool alone in a folder, where it finds no picture, asked for black tiles.
mkdir "$work/nopicture"
cp build/brindlemox-capture "$work/nopicture/"
(cd "$work/nopicture" && ./brindlemox-capture --allow-missing-picture --frames 421 --raw \
   >"$work/black.raw" 2>/dev/null) || fail "no reference frame without the picture"
"$PYTHON" tests/web/PageTest.py build-web "$work/picture.raw" "$work/black.raw" \
  "$work/bundle/$bundle" || fail "the page tests"

step "the explorer in Chromium against the Linux capture tool, and from the bundle"
"$PYTHON" tests/web/ExplorerTest.py build-web build/brindlemox-capture "$work/bundle/$bundle" ||
  fail "the explorer tests"

step "all web checks passed"
