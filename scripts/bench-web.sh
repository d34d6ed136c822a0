#!/usr/bin/env bash
# Measures what drawing costs on the web: each effect's frame (its Render
# with the copy over the back buffer) and a plain 640x480 frame copy, timed by
# brindlemox-drawcost natively and under node (the web build's WebAssembly, as
# the page runs it), and the ratio of the two. Each round runs the native tool
# and then the web one, for this build and for each other version given (as
# NATIVE_DIR:WEB_DIR, build directories of that version), so that what else
# the machine does falls on all of them alike; prints per version and effect
# the median of the rounds' web/native ratios and their range (with the native
# and web times of the median round).
#   usage: bench-web.sh [ROUNDS [SECONDS]] [NATIVE_DIR:WEB_DIR...]
#   (ROUNDS default 5; SECONDS per effect, build and round, default 1)
# Builds what it needs for this version (scripts/build-web.sh, the Linux
# build's tool).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
rounds=5
seconds=1
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
  rounds=$1
  shift
  if [[ $# -gt 0 && $1 =~ ^[0-9.]+$ ]]; then
    seconds=$1
    shift
  fi
fi

bash scripts/build-web.sh >/dev/null
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target brindlemox-drawcost >/dev/null
versions=("build:build-web" "$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for ((r = 1; r <= rounds; r++)); do
  for v in "${!versions[@]}"; do
    native_dir=${versions[$v]%%:*}
    web_dir=${versions[$v]#*:}
    native=$(cd "$native_dir" && ./brindlemox-drawcost "$seconds")
    web=$(cd "$web_dir" && node brindlemox-drawcost.js "$seconds")
    join <(sort <<<"$native") <(sort <<<"$web") |
      awk '{ printf "%s %d %d %.4f\n", $1, $2, $3, $3 / $2 }' >>"$work/$v"
  done
  echo "round $r of $rounds done" >&2
done

for v in "${!versions[@]}"; do
  echo "${versions[$v]}: median (range) of $rounds rounds"
  printf '  %-12s %16s %16s %18s\n' "frame of" "native us" "web us" "web/native"
  for name in copy-frame tile-zoom starfield plasma metaballs; do
    awk -v n="$name" '$1 == n' "$work/$v" | sort -k4 -g | awk -v n="$name" '
      { native[c] = $2; web[c] = $3; ratio[c++] = $4 }
      END { m = int((c - 1) / 2)
            printf "  %-12s %16.1f %16.1f %8.2f (%.2f-%.2f)\n", n, native[m] / 1000,
                   web[m] / 1000, ratio[m], ratio[0], ratio[c - 1] }'
  done
done
