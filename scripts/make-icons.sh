#!/usr/bin/env bash
# Makes the program's icon, assets/icons/hicolor/SIZExSIZE/apps/brindlemox.png
# in every size, from the show: brindlemox-make-icons renders the metaballs'
# first frame on the capture tool's virtual clock and averages a square of it
# down to each size (tools/icon/Icon.h). The same bytes on every run; the
# test suite checks the committed icons against the generator.
#
# Usage: scripts/make-icons.sh [FOLDER]   (default assets/icons)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

out=${1:-assets/icons}
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target brindlemox-make-icons >/dev/null
build/brindlemox-make-icons "$out"
echo "make-icons: $(find "$out" -name brindlemox.png | wc -l) icons in $out"
