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
source "$(dirname "$0")/program-on-xvfb.sh"

for tool in Xvfb xdotool xprop openbox; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

# One show on a fresh Xvfb, with the window manager named or none; its
# window is destroyed from outside once the show runs.
check_destroyed_under() {
  local manager=$1
  start_xvfb "$work" || fail "Xvfb did not start"
  if [ "$manager" = openbox ]; then
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    local managing=""
    for _ in $(seq 300); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && managing=yes && break
      sleep 0.1
    done
    [ -n "$managing" ] ||
      fail "openbox did not start managing the screen within 30 s: $(cat "$work/openbox.log")"
  fi

  start_program "$program"
  # Running: the title gives the frame rate from frame 15 on.
  await_window "$manager: the window with a frame rate" xdotool search --name '^Brindlemox :: '
  xdotool windowclose "$found_window" || fail "$manager: xdotool could not destroy the window"

  await_program_end "$manager"
  [ "$exit_code" -eq 0 ] || fail "$manager: exit code $exit_code, not 0"
  [ -s "$work/err" ] && fail "$manager: the program said something on standard error"
  echo "$manager: the program ended by itself with 0, saying nothing"
  stop_display
}

check_destroyed_under none
check_destroyed_under openbox
echo "PASSED: a window destroyed from outside ends the show cleanly, with and without a window manager"
