#!/usr/bin/env bash
# Builds the show for the web with Debian's emscripten into build-web/:
#   index.html, brindlemox.js, brindlemox.wasm   the page and the program
#   pvn_quad.png                                 the picture, fetched by the page
#   brindlemox-capture.js (.wasm) and the other tools, which run under node
#   page-test/                                   the page the page tests open
#                                                (tests/web/PageTest.py)
# Installs its Debian packages first, and unpacks the sources of libspng and
# zlib into build-windeps/src (apt-get source), since Debian has no builds of
# them for the web. Serve the page with scripts/serve-web.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

WEB_BUILD_PACKAGES=(emscripten cmake make python3)
ensure_packages "${WEB_BUILD_PACKAGES[@]}"
ensure_library_sources

# emcc runs parts of itself under node, which must find Debian's JavaScript
# modules even when it is not Debian's node.
export NODE_PATH=/usr/share/nodejs
cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-emscripten.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j2
echo "The page is in build-web/. Serve it with: bash scripts/serve-web.sh"
