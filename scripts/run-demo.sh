#!/usr/bin/env bash
# Builds Brindlemox and starts it. Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBRINDLEMOX_TESTS=OFF -DBRINDLEMOX_BENCH=OFF
cmake --build build -j"$(nproc)" --target brindlemox
# The program reads its picture from the working directory.
cd build
exec ./brindlemox
