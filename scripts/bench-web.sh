#!/usr/bin/env bash
# Measures what drawing costs on the web: each effect's frame (its Render
# with the copy over the back buffer) and a plain 640x480 frame copy, timed by
# brindlemox-drawcost natively and under node (the web build's WebAssembly, as
# the page runs it), one after the other in one run, and the ratio of the two.
#   usage: bench-web.sh [SECONDS]   (time per effect and build, default 2)
# Builds what it needs (scripts/build-web.sh, the Linux build's tool).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
seconds=${1:-2}

bash scripts/build-web.sh >/dev/null
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target brindlemox-drawcost >/dev/null

native=$(cd build && ./brindlemox-drawcost "$seconds")
web=$(cd build-web && node brindlemox-drawcost.js "$seconds")
join <(sort <<<"$native") <(sort <<<"$web") |
  awk 'BEGIN { printf "%-12s %14s %14s %8s\n", "frame of", "native ns", "web ns", "web/native" }
       { printf "%-12s %14d %14d %8.2f\n", $1, $2, $3, $3 / $2 }'
