#!/usr/bin/env bash
# Builds everything for Linux (the linux preset, in build/) and runs the whole
# test suite. A suite that finds no test fails; a test that skips itself (a
# tool this machine lacks) is reported as a skipped step.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
report_unexpected_failures native
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake --preset linux
cmake --build --preset linux -j"$(nproc)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --preset linux -j"$(nproc)" | tee "$log"
report_skipped_tests "Linux suite" "$log"
