#!/usr/bin/env bash
# Builds everything for Linux (the linux preset, in build/) and runs the whole
# test suite. A suite that finds no test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake --preset linux
cmake --build --preset linux -j"$(nproc)"
ctest --preset linux -j"$(nproc)"
