#!/usr/bin/env bash
# A window that another program destroys (xdotool windowclose, which
# destroys the X window of the show behind its back) ends the show as a
# close does: the program ends by itself with exit code 0 and says nothing,
# no X error above all. Tried on a bare X server and under a window manager
# (openbox), where the window sits in the manager's frame; on the bare
# server also in fullscreen (F11), and presenting through SDL's renderer and
# its texture (an OpenGL window, which SDL makes anew when the renderer
# comes: the first window's end is SDL's doing, not another program's).
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

# One show on a fresh Xvfb, with the window manager named or none, in a
# window, in fullscreen or through the texture; its window is destroyed from
# outside once the show runs.
check_destroyed_under() {
  local manager=$1 how=${2:-window}
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

  if [ "$how" = texture ]; then
    SDL_RENDER_DRIVER=opengl start_program "$program"
  else
    start_program "$program"
  fi
  # Running: the title gives the frame rate from frame 15 on.
  await_window "$manager, $how: the window with a frame rate" xdotool search --name '^Brindlemox :: '
  if [ "$how" = fullscreen ]; then
    xdotool key --window "$found_window" F11 || fail "$manager, $how: xdotool could not press F11"
    sleep 1
  fi
  xdotool windowclose "$found_window" || fail "$manager, $how: xdotool could not destroy the window"

  await_program_end "$manager"
  [ "$exit_code" -eq 0 ] || fail "$manager, $how: exit code $exit_code, not 0"
  [ -s "$work/err" ] && fail "$manager, $how: the program said something on standard error"
  echo "$manager, $how: the program ended by itself with 0, saying nothing"
  stop_display "$work"
}

check_destroyed_under none
check_destroyed_under openbox
check_destroyed_under none fullscreen
check_destroyed_under none texture
echo "PASSED: a window destroyed from outside ends the show cleanly, with and without a window manager, in fullscreen and through the texture"
