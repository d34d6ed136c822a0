#!/usr/bin/env bash
# Measures how fast the Linux window presents, against the floor of the same
# X server: on one Xvfb, brindlemox-present-only pushes 640x480 frames through
# SDL's window surface for a few seconds, then brindlemox plays the show and
# its title's frame rate (the average since the start) is read at the end of
# each effect, then the present-only program runs once more. Prints each
# title rate as a share of the present-only rate (the mean of its two runs).
#
# Given build directories of other versions (each with its brindlemox and
# pvn_quad.png), it plays each of them too, on the same Xvfb, between the two
# present-only runs: before and after in one measurement.
#
# A benchmark, not a test: it reports and exits 0 whenever it could measure.
# Usage: scripts/bench-present.sh [OTHER_BUILD_DIR...]   (BUILD_DIR overrides
#        build; PRESENT_SECONDS sets each present-only run, default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
source scripts/xvfb.sh

build=${BUILD_DIR:-build}
present_seconds=${PRESENT_SECONDS:-5}
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xdotool bc
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target brindlemox brindlemox-present-only >/dev/null
programs=("$build" "$@")

work=$(mktemp -d)
xvfb_pid=""
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "bench-present: $*" >&2
  exit 1
}

start_xvfb "$work" || fail "Xvfb did not start"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

present_only() {
  "$build/brindlemox-present-only" "$present_seconds" | sed -n 's/.*: \([0-9]*\) fps$/\1/p'
}

now() { date +%s.%N; }

# The title at the end of each effect: tile zoom, starfield, plasma, then
# nine seconds of the metaballs. The title first shows a rate at frame 15,
# a few milliseconds into the timeline: the clock starts there.
moments=(7.8 15.8 25.8 34.8)
names=("tile zoom" "+ starfield" "+ plasma" "+ metaballs")
play() {
  local dir=$1 window started at
  (cd "$dir" && exec ./brindlemox) &
  demo_pid=$!
  window=$(timeout 60 xdotool search --sync --name '^Brindlemox :: ' | head -1)
  [ -n "$window" ] || fail "no Brindlemox window appeared for $dir"
  started=$(now)
  titles=()
  for at in "${moments[@]}"; do
    sleep "$(echo "$at - ($(now) - $started)" | bc -l | sed 's/^-.*/0/')"
    titles+=("$(xdotool getwindowname "$window" | sed -n 's/.* :: \([0-9]*\) fps.*/\1/p')")
  done
  kill "$demo_pid"
  wait "$demo_pid" 2>/dev/null || true
  demo_pid=""
  echo "${titles[*]}" >"$work/titles-$2"
}

first=$(present_only)
echo "present-only: $first fps"
for i in "${!programs[@]}"; do play "${programs[$i]}" "$i"; done
second=$(present_only)
echo "present-only: $second fps"
[ -n "$first" ] && [ -n "$second" ] || fail "present-only failed"
floor=$(((first + second) / 2))

for i in "${!programs[@]}"; do
  read -r -a titles <"$work/titles-$i"
  [ "${#titles[@]}" -eq "${#moments[@]}" ] || fail "no frame rate in a title of ${programs[$i]}"
  echo "${programs[$i]}/brindlemox:"
  for j in "${!titles[@]}"; do
    printf '  title after %-12s (%4s s) %6d fps = %.2fx present-only (%d fps)\n' "${names[$j]}" \
      "${moments[$j]}" "${titles[$j]}" "$(echo "${titles[$j]} / $floor" | bc -l)" "$floor"
  done
done
