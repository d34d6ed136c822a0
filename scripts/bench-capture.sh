#!/usr/bin/env bash
# Measures the capture tool over the whole show (30 s, 1800 frames): the wall
# time of --out (PNG files) against --raw (into nothing), the latter run
# before and after, and the files' total size. Then checks, through ffmpeg,
# that the PNG files hold exactly the pixels of the raw video.
#
# A benchmark, not a test: it reports, and fails only when it could not
# measure or the pixels differ.
# Usage: scripts/bench-capture.sh   (BUILD_DIR overrides build)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

build=${BUILD_DIR:-build}
ensure_packages "${BUILD_PACKAGES[@]}" ffmpeg bc
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target brindlemox-capture >/dev/null
capture=$(realpath "$build/brindlemox-capture")
cd "$build"  # the picture is read from the working directory

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() {
  local start
  start=$(date +%s.%N)
  "$@"
  echo "$(date +%s.%N) - $start" | bc -l
}

raw1=$(seconds sh -c "'$capture' --raw >/dev/null")
out=$(seconds "$capture" --out "$work/png")
raw2=$(seconds sh -c "'$capture' --raw >/dev/null")
raw=$(echo "($raw1 + $raw2) / 2" | bc -l)
bytes=$(du -sb "$work/png" | cut -f1)
printf 'capture --raw %.2f s and %.2f s; --out %.2f s = %.1fx --raw; %d files, %.1f MB\n' \
  "$raw1" "$raw2" "$out" "$(echo "$out / $raw" | bc -l)" "$(ls "$work/png" | wc -l)" \
  "$(echo "$bytes / 1000000" | bc -l)"

png_sum=$(ffmpeg -v error -framerate 60 -i "$work/png/frame_%06d.png" -f rawvideo -pix_fmt rgb24 - | md5sum)
raw_sum=$("$capture" --raw | ffmpeg -v error -f rawvideo -pixel_format bgr0 -video_size 640x480 \
  -framerate 60 -i - -f rawvideo -pix_fmt rgb24 - | md5sum)
[ "$png_sum" = "$raw_sum" ] || { echo "bench-capture: the PNG files differ from the raw video" >&2; exit 1; }
echo "the PNG files hold exactly the raw video's pixels"
