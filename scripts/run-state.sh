# Sourced (through packages.sh) by the scripts of the test command: what a
# run has done already, the steps it skips, and the lines of a long output
# that show how far it has come.

# run_state_get KEY / run_state_set KEY VALUE: what this run has done, in
# BRINDLEMOX_RUN_STATE when a test-all run shares it with its stages, else in
# this shell alone.
declare -A BRINDLEMOX_LOCAL_STATE=()
run_state_get() {
  if [ -n "${BRINDLEMOX_RUN_STATE:-}" ]; then
    cat "$BRINDLEMOX_RUN_STATE/$1" 2>/dev/null || true
  else
    echo "${BRINDLEMOX_LOCAL_STATE[$1]:-}"
  fi
}
run_state_set() {
  if [ -n "${BRINDLEMOX_RUN_STATE:-}" ]; then
    printf '%s\n' "$2" >"$BRINDLEMOX_RUN_STATE/$1"
  else
    BRINDLEMOX_LOCAL_STATE[$1]=$2
  fi
}

# report_skip WHAT WHY: one line saying what this machine does not check and
# why; test-all.sh lists them all again at its end.
report_skip() {
  echo "SKIPPED: $1: $2"
  [ -z "${BRINDLEMOX_RUN_STATE:-}" ] || printf '%s: %s\n' "$1" "$2" >>"$BRINDLEMOX_RUN_STATE/skips"
}

# report_skipped_tests SUITE LOG: each test that ctest's output in LOG names
# as skipped (it said why in its own output) becomes a skipped step.
report_skipped_tests() {
  local name
  while read -r name; do
    report_skip "$1: $name" "the test skipped itself (see its output above)"
  done < <(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$2")
}

# lines_matching REGEX: the lines of a long output (a build, a test suite)
# that tell how far it has come, as they come; never fails.
lines_matching() { grep --line-buffered -E "$1" || true; }

# report_unexpected_failures NAME: a command that fails where the script
# checks nothing (set -e then ends it) is named with its place, so that no
# stage ends without saying why.
report_unexpected_failures() {
  set -E
  trap 'echo "'"$1"': FAILED at ${BASH_SOURCE[0]}:$LINENO: $BASH_COMMAND (exit code $?)" >&2' ERR
}

# stage_messages NAME: defines the stage's two ways of speaking, timed from
# now: `step WHAT` prints "=== NAME: WHAT (N s)", and `fail WHY` prints
# "NAME: FAILED after N s: WHY" on standard error and ends the stage.
stage_messages() {
  stage_name=$1
  stage_started=$SECONDS
  step() { echo "=== $stage_name: $* ($((SECONDS - stage_started)) s)"; }
  fail() {
    echo "$stage_name: FAILED after $((SECONDS - stage_started)) s: $*" >&2
    exit 1
  }
}

# project_version BUILD: the project's version as CMake configured it in the
# build folder BUILD (empty when BUILD is not configured).
project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt" 2>/dev/null
}
