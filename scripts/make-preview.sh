#!/usr/bin/env bash
# Makes docs/preview.webp, the README's moving preview: a few seconds of each
# effect, recorded by the capture tool on its virtual clock (so the same on
# every machine), scaled to 400x300 by ffmpeg and put together by img2webp as
# one looping animated WebP at 20 frames a second. Every frame is a key
# frame: no viewer can pile up the errors of lossy frames drawn over others.
#
# Usage: scripts/make-preview.sh [OUT]   (default docs/preview.webp;
#        BUILD_DIR overrides build)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

out=${1:-docs/preview.webp}
build=${BUILD_DIR:-build}
ensure_packages "${BUILD_PACKAGES[@]}" ffmpeg webp
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target brindlemox-capture >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# At 20 fps frame k shows (k - 1) * 50 ms: the tile zoom from 1.5 s until
# half a second after the picture stands whole, then the first three seconds
# of the starfield (8 s), the plasma (16 s) and the metaballs (26 s).
fps=20
frames=31-130,161-220,321-380,521-580
# The tool reads its picture from the working directory, as the program does.
capture=$(realpath "$build/brindlemox-capture")
(cd "$build" && "$capture" --fps "$fps" --frames "$frames" --raw) |
  ffmpeg -v error -f rawvideo -pixel_format bgr0 -video_size 640x480 -framerate "$fps" -i - \
    -vf scale=400:300:flags=area "$work/frame_%04d.png"
img2webp -loop 0 -lossy -q 60 -m 4 -kmax 1 -d $((1000 / fps)) "$work"/frame_*.png -o "$out" \
  >"$work/img2webp.log" 2>&1 || { cat "$work/img2webp.log" >&2; exit 1; }
echo "make-preview: $out, $(ls "$work"/frame_*.png | wc -l) frames, $(stat -c %s "$out") bytes"
