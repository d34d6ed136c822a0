#!/usr/bin/env bash
# SIGTERM and SIGINT end the SDL program at any moment, each within 2 s:
#
#   loop:   while the show plays, as closing the window does, exit code 0;
#   wm:     with the window manager paused (SIGSTOP), the program waits in
#           SDL for the window to be mapped, which never comes: the signal
#           ends it at once, status 128 + the signal (143, 130);
#   xauth:  with XAUTHORITY=/dev/zero, Xlib reads an authority file without
#           end while connecting: ended at once the same way.
#
# Held 11 s in either wait, the program says in one line what it waits for.
# While the show plays, the window carries the show's icon: _NET_WM_ICON
# holds the 64x64 icon, pixel for pixel.
#
#   window-ends-on-signals.sh PROGRAM ICON_64_PNG
# Exits 77 (skipped) when a tool is missing.
set -uo pipefail
program=$1
icon=$2
source "$(dirname "$0")/program-on-xvfb.sh"

for tool in Xvfb openbox wmctrl xdotool xprop convert od; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

start_xvfb "$work" || fail "Xvfb did not start"
start_window_manager "$work" || fail "the window manager did not start"

# ends_within_two_seconds WHAT SIGNAL STATUS: sends the signal and polls
# every 0.05 s for the program's end; fails when it still runs 2 s later,
# or ends with another status.
ends_within_two_seconds() {
  local what=$1 signal=$2 status=$3 sent waited
  sent=$(date +%s%N)
  kill -"$signal" "$demo_pid"
  for _ in $(seq 40); do
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.05
  done
  waited=$((($(date +%s%N) - sent) / 1000000))
  if kill -0 "$demo_pid" 2>/dev/null; then
    fail "$what: the program still runs $waited ms after SIG$signal"
  fi
  exit_code=0
  wait "$demo_pid" || exit_code=$?
  demo_pid=""
  [ "$exit_code" = "$status" ] || fail "$what: SIG$signal gave status $exit_code, not $status"
  echo "$what: SIG$signal ended it within $waited ms, status $exit_code"
}

# still_held WHAT SECONDS: the program runs on after that long and has
# drawn no frame (no title with the frame rate).
still_held() {
  sleep "$2"
  kill -0 "$demo_pid" 2>/dev/null || fail "$1: the program ended by itself"
  [ -z "$(xdotool search --name '^Brindlemox :: ' 2>/dev/null)" ] ||
    fail "$1: the show started, nothing held it"
}

# said_once WHAT TEXT: standard error is that one line.
said_once() {
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qxF "$2" "$work/err" ||
    fail "$1: standard error is not the one line \"$2\""
  echo "$1: said \"$2\""
}

# The show's icon as _NET_WM_ICON holds it: width, height, then one ARGB
# word per pixel.
expected_icon() {
  echo -n "64, 64"
  convert "$icon" -depth 8 rgba:- | od -An -v -tu1 -w4 |
    awk '{ printf ", %.0f", (($4 * 256 + $1) * 256 + $2) * 256 + $3 }'
  echo
}

# --- while the show plays
for signal in TERM INT; do
  start_program "$program"
  await_window "loop" xdotool search --name '^Brindlemox :: '
  if [ "$signal" = TERM ]; then
    shown_icon=$(xprop -id "$found_window" -f _NET_WM_ICON 32c ' = $0+' _NET_WM_ICON |
      sed 's/^_NET_WM_ICON[^=]*= //')
    [ "$shown_icon" = "$(expected_icon)" ] ||
      fail "the window's _NET_WM_ICON is not the show's 64x64 icon: ${shown_icon:0:80}..."
    echo "loop: the window carries the show's 64x64 icon"
  fi
  ends_within_two_seconds "loop" "$signal" 0
  [ ! -s "$work/err" ] || fail "loop: the program said something"
done

# held CASE LINE SIGNAL: the program, started and held, ends at once on
# SIGNAL with 128+SIGNAL; held on for 11 s first (for SIGINT), it has said
# LINE once.
held() {
  local case=$1 line=$2 signal=$3
  if [ "$signal" = TERM ]; then
    still_held "$case" 1
  else
    still_held "$case" 11
    said_once "$case" "$line"
  fi
  ends_within_two_seconds "$case" "$signal" $((128 + $(kill -l "$signal")))
}

# --- the window manager paused while the program starts
kill -STOP "$wm_pid"
for signal in TERM INT; do
  start_program "$program"
  # The window is made (unmapped) before SDL waits for it to be shown.
  await_window "wm" xdotool search --name '^Brindlemox$'
  held "wm" "Brindlemox: no window after 10 s: still waiting for the window manager to show the window" "$signal"
done
kill -CONT "$wm_pid"

# --- an authority file that never ends
for signal in TERM INT; do
  XAUTHORITY=/dev/zero start_program "$program"
  held "xauth" "Brindlemox: no window after 10 s: still waiting for the display to accept the connection (DISPLAY=$DISPLAY, XAUTHORITY=/dev/zero)" "$signal"
done
echo "PASSED: SIGTERM and SIGINT end the program in the show, in SDL's wait for the window manager and in Xlib's authority reader"
