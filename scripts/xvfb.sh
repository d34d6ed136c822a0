# Sourced by the scripts and tests that need a display: start_xvfb WORK
# [DEPTH] starts a virtual X server of its own (1280x1024, 24-bit colour
# unless DEPTH says otherwise, no TCP), records its display number in
# WORK/display, exports DISPLAY and keeps the server's process id in
# xvfb_pid. Returns non-zero when the server did not start within 10 s.
start_xvfb() {
  local work=$1 depth=${2:-24}
  Xvfb -displayfd 3 -screen 0 "1280x1024x$depth" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(cat "$work/display")"
}
