#!/usr/bin/env bash
# Makes docs/fullscreen.png, the README's picture of the show in fullscreen:
# on a 1920x1080 Xvfb with a window manager (openbox), the program from the
# linux preset's build is switched to fullscreen with F11, as a user does,
# and the whole screen is read back while the tile zoom shows its still
# picture (6000 to 8000 ms), which is the same on every run. The picture is
# checked against the capture tool's frame at 7000 ms letterboxed, the way
# tests/window-fullscreen.sh checks it, and written without time stamps, so
# that the same bytes come out every time.
# Usage: scripts/make-fullscreen-shot.sh   (BUILD_DIR overrides build)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
build=${BUILD_DIR:-build}
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xdotool openbox wmctrl x11-utils imagemagick
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j2 --target brindlemox brindlemox-capture >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The test keeps its screenshots; the first one that matched is the picture.
(cd "$build" && KEEP=1 bash ../tests/window-fullscreen.sh ./brindlemox ./brindlemox-capture \
   keys surface 1920x1080) | tee "$work/test.log"
kept=$(sed -n 's/^keeping the pictures in //p' "$work/test.log")
shot=$(ls "$kept"/shot-*.png | tail -1)
convert "$shot" -strip -define png:exclude-chunks=date,time docs/fullscreen.png
rm -rf "$kept"
echo "docs/fullscreen.png: $(identify -format '%wx%h' docs/fullscreen.png)," \
  "$(stat -c %s docs/fullscreen.png) bytes"
