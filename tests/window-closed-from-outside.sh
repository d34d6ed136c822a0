#!/usr/bin/env bash
# A window that another program destroys (xdotool windowclose, which
# destroys the X window of the show behind its back) ends the show as a
# close does: the program ends by itself with exit code 0 and says nothing,
# no X error above all. Tried on a bare X server and under a window manager
# (openbox), where the window sits in the manager's frame.
#
#   window-closed-from-outside.sh PROGRAM
# Run from the build directory (the picture is read from there). Exits 77
# (skipped) when Xvfb, xdotool, xprop or openbox is missing.
set -uo pipefail
program=$1
source "$(dirname "$0")/../scripts/xvfb.sh"

for tool in Xvfb xdotool xprop openbox; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
demo_pid=""
stop_display() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  wm_pid=""
  xvfb_pid=""
  rm -f "$work/display"
}
cleanup() {
  [ -n "$demo_pid" ] && kill -KILL "$demo_pid" 2>/dev/null
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  [ -s "$work/err" ] && { echo "the program said:"; cat "$work/err"; }
  exit 1
}

# One show on a fresh Xvfb, with the window manager named or none; its
# window is destroyed from outside once the show runs.
check_destroyed_under() {
  local manager=$1
  start_xvfb "$work" || fail "Xvfb did not start"
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER
  if [ "$manager" = openbox ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    local managing=""
    for _ in $(seq 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && managing=yes && break
      sleep 0.1
    done
    [ -n "$managing" ] || fail "openbox did not start managing the screen"
  fi

  # The sanitizers' leak check would report what SDL's libraries keep for
  # good; those are not ours (see window-shows-back-buffer.sh).
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$program" >"$work/out" 2>"$work/err" &
  demo_pid=$!
  # Running: the title gives the frame rate from frame 15 on. Searched again
  # and again, as a search fails when a window goes while it looks (SDL's
  # hidden probe window does, and the window manager's).
  local window=""
  for _ in $(seq 600); do
    window=$(xdotool search --name '^Brindlemox :: ' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$demo_pid" 2>/dev/null || fail "$manager: the program ended before its show ran"
    sleep 0.1
  done
  [ -n "$window" ] || fail "$manager: no Brindlemox window with a frame rate appeared"
  xdotool windowclose "$window" || fail "$manager: xdotool could not destroy the window"

  for _ in $(seq 300); do
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$demo_pid" 2>/dev/null && fail "$manager: the program still runs 30 s later"
  wait "$demo_pid"
  local status=$?
  demo_pid=""
  [ "$status" -eq 0 ] || fail "$manager: exit code $status, not 0"
  [ -s "$work/err" ] && fail "$manager: the program said something on standard error"
  echo "$manager: the program ended by itself with 0, saying nothing"
  stop_display
}

check_destroyed_under none
check_destroyed_under openbox
echo "PASSED: a window destroyed from outside ends the show cleanly, with and without a window manager"
