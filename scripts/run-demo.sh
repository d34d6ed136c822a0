#!/usr/bin/env bash
# Builds Brindlemox (the demo preset: the program alone, in build-demo/) and
# starts it. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
report_unexpected_failures run-demo
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --preset demo
cmake --build --preset demo -j"$(nproc)"
# The program reads its picture from the working directory.
cd build-demo
exec ./brindlemox
