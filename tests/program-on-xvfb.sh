# Sourced by the tests that play the SDL program on an X server of their
# own: a work folder, the clean-up of all they start (on any exit), fail,
# and starting the program and awaiting its end. With KEEP set, the work
# folder (pictures read back, the program's output) is kept for a look.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/xvfb.sh"

work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "keeping the work folder $work"
xvfb_pid=""
wm_pid=""
demo_pid=""

cleanup() {
  [ -n "$demo_pid" ] && kill -KILL "$demo_pid" 2>/dev/null
  stop_display "$work"
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# fail WHY: says why (after fail_context, when a test sets it), and what the
# program said into program_output, and ends the test.
program_output="$work/err"
fail_context=""
fail() {
  echo "FAILED${fail_context:+ ($fail_context)}: $*"
  [ -s "$program_output" ] && { echo "the program said:"; cat "$program_output"; }
  exit 1
}

# start_program PROGRAM: starts it in the background on the display, with
# its standard error in $work/err; demo_pid is its process id. SIGINT and
# SIGTERM reach it as they do a program started from a terminal: a shell
# starts background commands ignoring SIGINT, and whoever started this test
# may have ignored them too.
start_program() {
  : >"$work/err"
  program_output="$work/err"
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER
  # Built with the sanitizers, the program still stops at their first
  # report, but the leak check at exit would find what SDL's libraries keep
  # for good (see window-shows-back-buffer.sh): not ours, so it alone is off.
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" env --default-signal=INT,TERM "$1" \
    >/dev/null 2>"$work/err" &
  demo_pid=$!
}

# await_window WHAT COMMAND...: runs the command every 0.1 s until it prints
# a window id, which found_window then holds; fails, naming WHAT, when the
# program ends first or 60 s pass. (Run again and again, as a search can
# fail when a window goes while it looks: SDL's hidden probe window does.)
await_window() {
  local what=$1
  shift
  found_window=""
  for _ in $(seq 600); do
    found_window=$("$@" 2>/dev/null | head -1)
    [ -n "$found_window" ] && return 0
    kill -0 "$demo_pid" 2>/dev/null || fail "$what: the program ended before it came"
    sleep 0.1
  done
  fail "$what: it did not come within 60 s"
}

# await_program_end WHAT: waits up to 30 s for the program to end and sets
# exit_code; fails, naming WHAT, when it still runs then.
await_program_end() {
  await_exit "$demo_pid" || fail "$1: the program still runs 30 s later"
  demo_pid=""
}
