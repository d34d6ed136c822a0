#!/usr/bin/env bash
# The SDL program started with standard error closed (`brindlemox 2>&-`),
# and again with all three standard streams closed, runs and ends as it
# does with them open. It is started alone in an empty folder, where it
# finds no picture, so that it writes its line about the missing picture
# while the X connection is open: with descriptor 2 left free, the X
# connection took it, that line went into the X protocol stream, and the
# program hung with a black window that neither Escape nor SIGTERM ended.
#
# Each run must show its window, reach the frame-rate title, and end with
# exit code 0: the first on SIGTERM, the second on Escape. A first run with
# standard error open checks that the line is indeed written.
#
# Run by ctest:  closed-standard-streams.sh PROGRAM
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -uo pipefail
program=$1

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/program-on-xvfb.sh"

# The program alone: no picture in the folder it starts in, beside it, or in
# a share folder next to it.
mkdir "$work/alone"
cp "$program" "$work/alone/brindlemox"
cd "$work/alone" || fail "no folder to run in"
start_xvfb "$work" || fail "Xvfb did not start"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
# Under the sanitizers the leak check finds what SDL's libraries keep for
# good (see window-shows-back-buffer.sh); it is off here alone.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

# LABEL: waits for the window of the program just started in the background
# (demo_pid) to show a frame rate in its title, and sets `window`.
await_title() {
  window=$(brindlemox_window)
  [ -n "$window" ] || fail "$1: no Brindlemox window with a frame rate appeared"
}

# LABEL: the program (demo_pid) ends with exit code 0 within 30 s.
await_exit_zero() {
  local status=""
  for _ in $(seq 60); do
    if ! kill -0 "$demo_pid" 2>/dev/null; then
      status=0
      wait "$demo_pid" || status=$?
      break
    fi
    sleep 0.5
  done
  [ -n "$status" ] || fail "$1: the program did not end"
  demo_pid=""
  [ "$status" -eq 0 ] || fail "$1: the program exited with $status"
}

missing='Brindlemox: cannot load picture "pvn_quad.png": file not found'

# With standard error open: the line is written, the show runs, SIGTERM ends it.
./brindlemox </dev/null >/dev/null 2>"$work/said" &
demo_pid=$!
await_title "standard error open"
kill -TERM "$demo_pid"
await_exit_zero "standard error open, SIGTERM"
[ "$(cat "$work/said")" = "$missing" ] ||
  fail "standard error open: it said \"$(cat "$work/said")\", not \"$missing\""

# Standard error closed: the same, the line going nowhere.
./brindlemox </dev/null >/dev/null 2>&- &
demo_pid=$!
await_title "standard error closed"
kill -TERM "$demo_pid"
await_exit_zero "standard error closed, SIGTERM"

# All three closed, ended with Escape as a user does.
./brindlemox <&- >&- 2>&- &
demo_pid=$!
await_title "all three closed"
press_escape "$window" "$demo_pid"
case $? in
  1) fail "all three closed: the window could not be focused" ;;
  2) fail "all three closed: the program did not end on Escape" ;;
esac
demo_pid=""
[ "$escape_exit_code" -eq 0 ] || fail "all three closed: the program exited with $escape_exit_code on Escape"

echo "PASSED: with standard error closed, and with all three closed, the program ran and ended with 0"
