#!/usr/bin/env bash
# Builds everything with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer in build-sanitize/, then runs under them:
#   1. the whole test suite (ctest);
#   2. the capture tool over the whole show (its default length, which follows
#      the timeline) as raw video into a byte counter, and a few frames of it
#      as PNG files;
# and checks that the leak check is alive at all (a deliberate leak must be
# reported). The first report of any sanitizer stops the program with a
# non-zero exit, so every report fails this script.
#
# Usage: scripts/test-sanitizers.sh   (the sanitize preset, in build-sanitize/)
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

stage_messages sanitizers
build=build-sanitize
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# The stage's failure, the first sanitizer reports of every log above it.
fail_showing_reports() {
  for log in "$logs"/*.log; do
    [ -f "$log" ] || continue
    grep -m 5 -E "ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY:" "$log" >&2
  done
  fail "$@"
}

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" ninja-build || fail_showing_reports "cannot install the build's packages"

# The first report ends the program, whatever kind it is.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:print_summary=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1"
export LSAN_OPTIONS="report_objects=1"

step "configure and build ($build)"
cmake --preset sanitize >"$logs/configure.log" 2>&1 || { cat "$logs/configure.log"; fail_showing_reports "configure"; }
# Each step of the build is shown as it goes: a fresh build takes minutes.
cmake --build --preset sanitize -j"$(nproc)" 2>&1 | tee "$logs/build.log" |
  lines_matching '^\[[0-9]+/[0-9]+\]'
[ "${PIPESTATUS[0]}" -eq 0 ] || { tail -40 "$logs/build.log"; fail_showing_reports "build"; }

# The leak check must be able to see a leak here (it cannot, for instance,
# where the process may not be traced), or "no leaks" would mean nothing.
step "leak check canary"
cat >"$logs/canary.cpp" <<'CANARY'
#include <cstdio>
int* volatile kept;
int main() { kept = new int[100]; kept = nullptr; std::puts("leaked"); return 0; }
CANARY
g++ -fsanitize=address,undefined -g "$logs/canary.cpp" -o "$logs/canary" || fail_showing_reports "canary build"
if "$logs/canary" >"$logs/canary.out" 2>&1 || ! grep -q "ERROR: LeakSanitizer" "$logs/canary.out"; then
  cat "$logs/canary.out"
  fail_showing_reports "LeakSanitizer does not report a deliberate leak here"
fi

step "test suite"
ctest --preset sanitize -j"$(nproc)" 2>&1 | tee "$logs/ctest.log" | lines_matching 'Test +#'
ctest_rc=${PIPESTATUS[0]}
summary=$(grep -E "tests passed" "$logs/ctest.log" | tail -1)
echo "${summary:-no summary}"
[ $ctest_rc -eq 0 ] || { tail -60 "$logs/ctest.log"; fail_showing_reports "test suite"; }
report_skipped_tests "sanitizer suite" "$logs/ctest.log"

step "the whole show through the capture tool"
frame_bytes=$((640 * 480 * 4))
bytes=$("$build/brindlemox-capture" --raw 2>"$logs/capture.log" | wc -c)
capture_rc=$?
[ "$capture_rc" -eq 0 ] || { cat "$logs/capture.log"; fail_showing_reports "capture --raw exited with $capture_rc"; }
# How many frames the whole show has is the capture tests' business; here it
# must be whole frames, and some.
frames=$((bytes / frame_bytes))
[ "$frames" -gt 0 ] && [ $((frames * frame_bytes)) -eq "$bytes" ] ||
  fail_showing_reports "capture --raw wrote $bytes bytes, not whole frames of $frame_bytes"
echo "$frames frames, $bytes bytes"

# Six frames spread over the show, the first and the last among them.
png_frames="1,$((frames / 5)),$((frames * 2 / 5)),$((frames * 3 / 5)),$((frames * 4 / 5)),$frames"
png_dir="$logs/png"
"$build/brindlemox-capture" --frames "$png_frames" --out "$png_dir" >"$logs/capture-png.log" 2>&1 ||
  { cat "$logs/capture-png.log"; fail_showing_reports "capture --out"; }
[ "$(ls "$png_dir" | wc -l)" -eq 6 ] || fail_showing_reports "capture --out wrote $(ls "$png_dir" | wc -l) files, not 6"

# Belt and braces: no report may hide in a log of a run that still passed.
reports=$(cat "$logs"/ctest.log "$logs"/capture*.log | grep -c -E "ERROR: (Address|Leak)Sanitizer|runtime error:")
[ "$reports" -eq 0 ] || fail_showing_reports "$reports sanitizer reports in the logs"

step "passed: ${summary:-?}; whole show $frames frames; 0 sanitizer reports, 0 leaks"
