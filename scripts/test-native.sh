#!/usr/bin/env bash
# Builds everything for Linux (the linux preset, in build/) and runs the whole
# test suite. A suite that finds no test fails; a test that skips itself (a
# tool this machine lacks) is reported as a skipped step.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
report_unexpected_failures native
stage_messages native

step "packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" || fail "cannot install the build's packages"
step "configure and build (build/)"
cmake --preset linux || fail "configure"
cmake --build --preset linux -j"$(nproc)" || fail "build"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
step "test suite"
ctest --preset linux -j"$(nproc)" | tee "$log" ||
  fail "test suite: $(grep -E 'tests passed' "$log" | tail -1)"
report_skipped_tests "Linux suite" "$log"
step "passed: $(grep -E 'tests passed' "$log" | tail -1)"
