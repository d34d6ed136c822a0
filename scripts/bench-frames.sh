#!/usr/bin/env bash
# Measures whole frames against the floor, and the capture tool's --raw over
# the whole show, for this build and (given their build directories) other
# versions, in one run. Each round runs every build's brindlemox-bench once
# (BM_CopyFrame, the memcpy of one frame, and BM_FrameLoop, a whole frame of
# each effect) and then its brindlemox-capture --raw for the whole show into
# nothing; the builds take turns within each round, so that what else the
# machine does falls on all of them alike. A frame's figure is its CPU time
# over BM_CopyFrame's in the same program run, each the least of three
# repetitions there (the one least disturbed). Prints, per build, the median
# of the rounds and their range (lowest to highest), and the first build's
# --raw time against each other build's in the same round.
#
# A benchmark, not a test: it reports and exits 0 whenever it could measure.
# Usage: scripts/bench-frames.sh [ROUNDS] [OTHER_BUILD_DIR...]
#        (ROUNDS default 5; BUILD_DIR overrides build; each other directory
#        needs brindlemox-bench, brindlemox-capture and pvn_quad.png)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

rounds=5
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
  rounds=$1
  shift
fi
build=${BUILD_DIR:-build}
ensure_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev bc
cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target brindlemox-bench brindlemox-capture >/dev/null
builds=("$build" "$@")
for b in "${builds[@]}"; do
  for f in brindlemox-bench brindlemox-capture pvn_quad.png; do
    [ -e "$b/$f" ] || { echo "bench-frames: $b has no $f" >&2; exit 1; }
  done
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One program run: "name ratio" lines, each frame's least CPU time over the
# copy's.
frame_ratios() {
  (cd "$1" && ./brindlemox-bench --benchmark_filter='BM_CopyFrame|BM_FrameLoop' \
     --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_format=csv 2>/dev/null) |
    awk -F, '/^"BM_[^_]*(\/[0-9]+)?"/ { gsub(/"/, "", $1)
               if (!($1 in t)) order[n++] = $1
               if (!($1 in t) || $4 < t[$1]) t[$1] = $4 }
             END { for (i = 0; i < n; i++) if (order[i] != "BM_CopyFrame")
                     printf "%s %.4f\n", order[i], t[order[i]] / t["BM_CopyFrame"] }'
}

raw_seconds() {
  local start
  start=$(date +%s.%N)
  (cd "$1" && ./brindlemox-capture --raw >/dev/null)
  echo "$(date +%s.%N) - $start" | bc -l
}

for ((r = 1; r <= rounds; r++)); do
  for i in "${!builds[@]}"; do
    frame_ratios "${builds[$i]}" >>"$work/frames.$i"
    raw_seconds "${builds[$i]}" >>"$work/raw.$i"
  done
  echo "round $r of $rounds done" >&2
done

# Median and range of the numbers on standard input.
spread() {
  sort -g | awk '{ v[n++] = $1 }
    END { m = n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2
          printf "%.2f (%.2f-%.2f)", m, v[0], v[n - 1] }'
}

for i in "${!builds[@]}"; do
  echo "${builds[$i]}: frame / memcpy of one frame, median (range) of $rounds runs"
  for name in $(awk '{ print $1 }' "$work/frames.$i" | sort -u | sort -t/ -k2 -n); do
    printf '  %-22s %s\n' "$name" "$(awk -v n="$name" '$1 == n { print $2 }' "$work/frames.$i" | spread)"
  done
  printf '  %-22s %s s\n' "capture --raw, 30 s" "$(spread <"$work/raw.$i")"
  if [ "$i" -gt 0 ]; then
    printf '  %-22s %s\n' "${builds[0]} --raw / this" \
      "$(paste "$work/raw.0" "$work/raw.$i" | awk '{ print $1 / $2 }' | spread)"
  fi
done
