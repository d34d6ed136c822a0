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
# Then the same in fullscreen, on a second Xvfb of FULLSCREEN_SIZE (default
# 1920x1080) with a window manager (openbox): present-only --fullscreen pushes
# frames of the screen's size into a window covering the screen, brindlemox
# is switched to fullscreen with F11 as soon as its title gives a rate (its
# average then covers a fraction of a second in the window too) and shows
# the frame letterboxed, and present-only runs once more.
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
fullscreen_size=${FULLSCREEN_SIZE:-1920x1080}
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xdotool bc openbox wmctrl
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target brindlemox brindlemox-present-only >/dev/null
programs=("$build" "$@")

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null && wait "$demo_pid" 2>/dev/null
  stop_display "$work"
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "bench-present: $*" >&2
  exit 1
}

start_xvfb "$work" || fail "Xvfb did not start"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

present_only() {  # [--fullscreen]
  "$build/brindlemox-present-only" "$@" "$present_seconds" | sed -n 's/.*: \([0-9]*\) fps$/\1/p'
}

now() { date +%s.%N; }

# The title at the end of each effect: tile zoom, starfield, plasma, then
# nine seconds of the metaballs. The title first shows a rate at frame 15,
# a few milliseconds into the timeline: the clock starts there.
moments=(7.8 15.8 25.8 34.8)
names=("tile zoom" "+ starfield" "+ plasma" "+ metaballs")
play() {  # DIR LABEL [fullscreen]
  local dir=$1 window started at
  (cd "$dir" && exec ./brindlemox) &
  demo_pid=$!
  window=$(brindlemox_window)
  [ -n "$window" ] || fail "no Brindlemox window appeared for $dir"
  started=$(now)
  if [ "${3:-}" = fullscreen ]; then
    xdotool windowfocus "$window" && xdotool key F11 || fail "cannot press F11"
    for _ in $(seq 100); do
      [ "$(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')" = "$fullscreen_size" ] &&
        break
      sleep 0.1
    done
    [ "$(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')" = "$fullscreen_size" ] ||
      fail "F11 did not make the window cover the screen"
  fi
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

# report LABEL FLOOR TITLES_FILE: each title rate as a share of the floor.
report() {
  local label=$1 floor=$2 titles
  read -r -a titles <"$3"
  [ "${#titles[@]}" -eq "${#moments[@]}" ] || fail "no frame rate in a title of $label"
  echo "$label:"
  for j in "${!titles[@]}"; do
    printf '  title after %-12s (%4s s) %6d fps = %.2fx present-only (%d fps)\n' "${names[$j]}" \
      "${moments[$j]}" "${titles[$j]}" "$(echo "${titles[$j]} / $floor" | bc -l)" "$floor"
  done
}

echo "--- in a 640x480 window (1280x1024 screen)"
first=$(present_only)
echo "present-only: $first fps"
for i in "${!programs[@]}"; do play "${programs[$i]}" "$i"; done
second=$(present_only)
echo "present-only: $second fps"
[ -n "$first" ] && [ -n "$second" ] || fail "present-only failed"
floor=$(((first + second) / 2))
for i in "${!programs[@]}"; do report "${programs[$i]}/brindlemox" "$floor" "$work/titles-$i"; done

echo "--- fullscreen ($fullscreen_size screen, openbox)"
stop_display "$work"
start_xvfb "$work" 24 "$fullscreen_size" || fail "Xvfb did not start at $fullscreen_size"
start_window_manager "$work" || fail "the window manager did not start"
first=$(present_only --fullscreen)
echo "present-only --fullscreen: $first fps"
play "$build" fullscreen fullscreen
second=$(present_only --fullscreen)
echo "present-only --fullscreen: $second fps"
[ -n "$first" ] && [ -n "$second" ] || fail "present-only --fullscreen failed"
report "$build/brindlemox, F11" $(((first + second) / 2)) "$work/titles-fullscreen"
