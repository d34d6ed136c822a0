#!/usr/bin/env bash
# Held down, F11 and Alt+Enter switch the SDL window to fullscreen or back
# once: the X server repeats a held key (its auto-repeat, on in Xvfb), and
# only the fresh press counts. Under a window manager (openbox), each key is
# held for 1.5 s with xdotool: xev, watching the window's keyboard events,
# shows that the key did repeat, and xprop -spy counts the changes of the
# window's fullscreen state (_NET_WM_STATE), which must be exactly one.
#
#   window-held-keys-toggle-once.sh PROGRAM
# Exits 77 (skipped) when a tool is missing.
set -uo pipefail
program=$1
source "$(dirname "$0")/program-on-xvfb.sh"

for tool in Xvfb openbox wmctrl xdotool xprop xev; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

start_xvfb "$work" || fail "Xvfb did not start"
start_window_manager "$work" || fail "the window manager did not start"
start_program "$program"
await_window "the show" xdotool search --name '^Brindlemox :: '
window=$found_window
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
sleep 0.3

watchers=()
cleanup_watchers() { for pid in "${watchers[@]}"; do kill "$pid" 2>/dev/null; done; watchers=(); }
trap 'cleanup_watchers; cleanup' EXIT

# The fullscreen state as xprop -spy prints it at each change: "yes" or "no"
# per line, repeated states dropped (a change of another state prints the
# same again).
fullscreen_changes() {
  awk '{ state = /_NET_WM_STATE_FULLSCREEN/ ? "yes" : "no" } state != last { print state; last = state }' "$1"
}

# hold KEYS KEYSYM: holds the keys 1.5 s; sets presses (the key's presses
# the window saw, repeats included) and changes (fullscreen states after the
# first, "yes no ...").
hold() {
  local keys=$1 keysym=$2
  : >"$work/xev"
  : >"$work/states"
  xev -id "$window" -event keyboard >"$work/xev" 2>/dev/null &
  watchers+=($!)
  xprop -spy -id "$window" _NET_WM_STATE >"$work/states" 2>/dev/null &
  watchers+=($!)
  sleep 0.5
  xdotool keydown $keys
  sleep 1.5
  xdotool keyup $keys
  sleep 1.5
  cleanup_watchers
  presses=$(grep -A2 '^KeyPress' "$work/xev" | grep -c "keysym 0x[0-9a-f]*, $keysym)")
  changes=$(fullscreen_changes "$work/states" | tail -n +2 | tr '\n' ' ')
}

hold F11 F11
echo "F11 held 1.5 s: $presses presses reached the window, fullscreen changes: ${changes:-none}"
[ "$presses" -gt 3 ] || fail "F11 did not repeat ($presses presses): the test shows nothing"
[ "$changes" = "yes " ] || fail "holding F11 did not switch to fullscreen exactly once: ${changes:-none}"

hold alt+Return Return
echo "Alt+Enter held 1.5 s: $presses presses reached the window, fullscreen changes: ${changes:-none}"
[ "$presses" -gt 3 ] || fail "Enter did not repeat ($presses presses): the test shows nothing"
[ "$changes" = "no " ] || fail "holding Alt+Enter did not switch back exactly once: ${changes:-none}"

press_escape "$window" "$demo_pid" || fail "Escape did not end the program"
demo_pid=""
[ "$escape_exit_code" = 0 ] || fail "exit code $escape_exit_code on Escape"
echo "PASSED: a held F11 and a held Alt+Enter each switched once"
