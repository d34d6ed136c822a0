#!/usr/bin/env bash
# When the graphics device cannot be made, the program shows its box
# "QelGFX Fatal Error", and one line on standard error gives the box's words
# and the reason, there before the box is up. An 8-bit X server makes it
# fail: SDL finds neither a renderer nor a window surface it can use there.
# However the box goes, the program then ends as the box's dismissal ends
# it, with exit code 1: dismissed with Return, and, while it is up, on
# SIGTERM and on SIGINT, which take the box away with them.
#
#   device-failure-box.sh PROGRAM
# Exits 77 (skipped) when Xvfb, xdotool or xwininfo is missing.
set -uo pipefail
program=$1
source "$(dirname "$0")/../scripts/xvfb.sh"

for tool in Xvfb xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=""
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill -KILL "$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  [ -s "$work/err" ] && { echo "the program said:"; cat "$work/err"; }
  exit 1
}

start_xvfb "$work" 8 || fail "Xvfb did not start"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
# Job control, so that the program starts with SIGINT as it has in a
# terminal: without it, bash starts background commands ignoring SIGINT.
set -m

# The box's X window, by its title; empty while there is none.
box_window() {
  xwininfo -root -tree 2>/dev/null | awk '/ "QelGFX Fatal Error": / { print $1; exit }'
}

# Starts the program, waits for its box and checks the line already said,
# then takes the box away by ENDING (TERM, INT or Return) and checks that
# the program ends with 1 and the box has gone.
check_box_ended_by() {
  local ending=$1 box="" status
  : >"$work/err"
  # The sanitizers' leak check would report what SDL's libraries keep for
  # good; those are not ours (see window-shows-back-buffer.sh).
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$program" >/dev/null 2>"$work/err" &
  demo_pid=$!
  for _ in $(seq 600); do
    box=$(box_window)
    [ -n "$box" ] && break
    kill -0 "$demo_pid" 2>/dev/null || fail "$ending: the program ended without a box"
    sleep 0.1
  done
  [ -n "$box" ] || fail "$ending: no box appeared"

  local said
  said=$(cat "$work/err")
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$ending: not one line on standard error with the box up"
  case "$said" in
    "QelGFX Fatal Error: Could not initialize graphics subsystem ("?*")") ;;
    *) fail "$ending: the line does not give the box's words and a reason: $said" ;;
  esac

  case "$ending" in
    Return) xdotool windowfocus --sync "$box" key --window "$box" Return ||
              fail "cannot press Return in the box" ;;
    *) kill -"$ending" "$demo_pid" ;;
  esac
  for _ in $(seq 300); do
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$demo_pid" 2>/dev/null && fail "$ending: the program still runs 30 s later"
  wait "$demo_pid"
  status=$?
  demo_pid=""
  [ "$status" -eq 1 ] || fail "$ending: exit code $status, not 1"
  [ -z "$(box_window)" ] || fail "$ending: the box is still there"
  [ "$(cat "$work/err")" = "$said" ] || fail "$ending: more was said after the box"
  echo "$ending: the box went, exit code 1, one line: $said"
}

check_box_ended_by Return
check_box_ended_by TERM
check_box_ended_by INT
echo "PASSED: the reason said before the box; Return, SIGTERM and SIGINT each end it with 1"
