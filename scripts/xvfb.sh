# Sourced by the scripts and tests that need a display: start_xvfb WORK
# [DEPTH [SIZE]] starts a virtual X server of its own (24-bit colour and
# 1280x1024 unless DEPTH and SIZE, WIDTHxHEIGHT, say otherwise; no TCP),
# records its display number in WORK/display, exports DISPLAY and keeps the
# server's process id in xvfb_pid. Returns non-zero when the server did not
# start within 10 s.
#
# The server runs on as it is when its last client goes (-noreset). By
# default it would reset then, and the tools that look at the screen while
# the program starts (xdotool, xwininfo) come and go: a program connecting
# during such a reset is turned away, and SDL says "x11 not available".
start_xvfb() {
  local work=$1 depth=${2:-24} size=${3:-1280x1024}
  Xvfb -displayfd 3 -screen 0 "${size}x$depth" -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(cat "$work/display")"
}

# stop_display WORK: the window manager, if one runs (wm_pid), and the X
# server (xvfb_pid) go.
stop_display() {
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  wm_pid=""
  xvfb_pid=""
  rm -f "$1/display"
}

# await_exit PID: waits up to 30 s for the process PID, a child of this
# shell, to end, and sets exit_code to its exit code. Returns 1 when it still
# runs then (it is left running).
await_exit() {
  local pid=$1
  exit_code=""
  for _ in $(seq 300); do
    if ! kill -0 "$pid" 2>/dev/null; then
      exit_code=0
      wait "$pid" || exit_code=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# press_escape WINDOW PID: focuses the window and presses Escape as a user
# does, then waits up to 30 s for the process PID, a child of this shell, to
# end. Sets escape_exit_code to its exit code. Returns 1 when the window
# could not be focused, 2 when the process did not end (it is left running).
press_escape() {
  local window=$1 pid=$2
  escape_exit_code=""
  xdotool windowfocus "$window" || return 1
  sleep 0.3
  xdotool key Escape
  await_exit "$pid" || return 2
  escape_exit_code=$exit_code
}

# start_window_manager WORK: starts openbox on DISPLAY, with its own empty
# configuration folder, keeping its process id in wm_pid, and waits until it
# manages the screen (wmctrl sees it). Returns non-zero, with what openbox
# said, when it did not within 30 s. Windows then have frames, can be
# maximised, and go fullscreen through the window manager, as on a desktop.
start_window_manager() {
  local work=$1
  mkdir -p "$work/wm-config"
  XDG_CONFIG_HOME=$work/wm-config openbox --sm-disable >"$work/wm.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 300); do wmctrl -m >/dev/null 2>&1 && return 0; sleep 0.1; done
  cat "$work/wm.log"
  return 1
}

# brindlemox_window: waits up to 60 s for a window whose title shows the frame
# rate ("Brindlemox :: ...") and prints its id; prints nothing when none came.
# It searches again and again rather than with xdotool's --sync: xdotool stops
# at an X error when a window goes while it looks, and SDL's hidden probe
# window and the window it makes again for OpenGL both go.
brindlemox_window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --name '^Brindlemox :: ' 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
}
