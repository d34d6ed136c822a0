#!/usr/bin/env bash
# Builds the show for the web with Debian's emscripten (the web preset) into
# build-web/:
#   index.html, brindlemox.js, brindlemox.wasm   the page and the program
#   pvn_quad.png                                 the picture, fetched by the page
#   brindlemox-capture.js (.wasm) and the other tools, which run under node
#   Brindlemox-VERSION-web.zip, SHA256SUMS        the page for any static web
#                                                server, and its checksum
#   page-test/                                   the page the page tests open
#                                                (tests/web/PageTest.py)
# Installs its Debian packages first, and unpacks the sources of libspng and
# zlib into build-windeps/src (apt-get source), since Debian has no builds of
# them for the web. Serve the page with scripts/serve-web.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
report_unexpected_failures build-web

WEB_BUILD_PACKAGES=(emscripten cmake make python3)
ensure_packages "${WEB_BUILD_PACKAGES[@]}"
ensure_library_sources

# emcc runs parts of itself under node, which must find Debian's JavaScript
# modules even when it is not Debian's node (the preset says so too).
export NODE_PATH=/usr/share/nodejs
cmake --preset web
cmake --build --preset web -j"$(nproc)"
cmake --build --preset web --target package >/dev/null
echo "The page is in build-web/, and as $(cd build-web && ls Brindlemox-*-web.zip) there."
echo "Serve it with: bash scripts/serve-web.sh"
