#!/usr/bin/env bash
# Measures how fast the Linux window presents, against the floor of the same
# X server: on one Xvfb, brindlemox-present-only pushes 640x480 frames through
# SDL's window surface for a few seconds, then brindlemox plays the show and
# its title's frame rate (the average since the start) is read at the end of
# each effect, then the present-only program runs once more. Prints each
# title rate as a share of the present-only rate (the mean of its two runs).
#
# A benchmark, not a test: it reports and exits 0 whenever it could measure.
# Usage: scripts/bench-present.sh   (BUILD_DIR overrides build; PRESENT_SECONDS
#        sets each present-only run, default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

build=${BUILD_DIR:-build}
present_seconds=${PRESENT_SECONDS:-5}
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xdotool bc
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target brindlemox brindlemox-present-only >/dev/null

work=$(mktemp -d)
xvfb_pid=""
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "bench-present: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

present_only() {
  "$build/brindlemox-present-only" "$present_seconds" | sed -n 's/.*: \([0-9]*\) fps$/\1/p'
}

first=$(present_only)
echo "present-only: $first fps"

# The title at the end of each effect: tile zoom, starfield, plasma, then
# nine seconds of the metaballs. The title first shows a rate at frame 15,
# a few milliseconds into the timeline: the clock starts there.
(cd "$build" && exec ./brindlemox) &
demo_pid=$!
window=$(timeout 60 xdotool search --sync --name '^Brindlemox :: ' | head -1)
[ -n "$window" ] || { echo "bench-present: no Brindlemox window appeared" >&2; exit 1; }
started=$(date +%s.%N)
titles=()
for at in 7.8 15.8 25.8 34.8; do
  sleep "$(echo "$at - ($(date +%s.%N) - $started)" | bc -l | sed 's/^-.*/0/')"
  titles+=("$(xdotool getwindowname "$window" | sed -n 's/.* :: \([0-9]*\) fps.*/\1/p')")
done
kill "$demo_pid"
wait "$demo_pid" 2>/dev/null || true
demo_pid=""

second=$(present_only)
echo "present-only: $second fps"
[ -n "$first" ] && [ -n "$second" ] || { echo "bench-present: present-only failed" >&2; exit 1; }
floor=$(((first + second) / 2))

names=("tile zoom (7.8 s)" "+ starfield (15.8 s)" "+ plasma (25.8 s)" "+ metaballs (34.8 s)")
for i in "${!titles[@]}"; do
  rate=${titles[$i]}
  [ -n "$rate" ] || { echo "bench-present: no frame rate in the title at ${names[$i]}" >&2; exit 1; }
  printf 'title after %-22s %6d fps = %.2fx present-only (%d fps)\n' "${names[$i]}" "$rate" \
    "$(echo "$rate / $floor" | bc -l)" "$floor"
done
