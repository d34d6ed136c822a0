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
source "$(dirname "$0")/program-on-xvfb.sh"

for tool in Xvfb xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

start_xvfb "$work" 8 || fail "Xvfb did not start"

# The box's X window, by its title; empty while there is none.
box_window() {
  xwininfo -root -tree 2>/dev/null | awk '/ "QelGFX Fatal Error": / { print $1; exit }'
}

# Starts the program, waits for its box and checks the line already said,
# then takes the box away by ENDING (TERM, INT or Return) and checks that
# the program ends with 1 and the box has gone.
check_box_ended_by() {
  local ending=$1
  start_program "$program"
  await_window "$ending: the box" box_window
  local box=$found_window

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
  await_program_end "$ending"
  [ "$exit_code" -eq 1 ] || fail "$ending: exit code $exit_code, not 1"
  [ -z "$(box_window)" ] || fail "$ending: the box is still there"
  [ "$(cat "$work/err")" = "$said" ] || fail "$ending: more was said after the box"
  echo "$ending: the box went, exit code 1, one line: $said"
}

check_box_ended_by Return
check_box_ended_by TERM
check_box_ended_by INT
echo "PASSED: the reason said before the box; Return, SIGTERM and SIGINT each end it with 1"
