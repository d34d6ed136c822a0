#!/usr/bin/env bash
# Fuzzes the device's LoadPNG: builds fuzz/LoadPngFuzz.cpp with clang's
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/,
# runs it for a bounded time from the committed seed corpus fuzz/corpus/,
# then replays the corpus and every saved regression once.
#
# A crash, a sanitizer report, a refused picture that left colour on the
# surface, an allocation above the limit or a hang fails the run, and the
# input that did it is kept in tests/png-regressions/ (commit it: the test
# suite replays that directory). New inputs the fuzzer finds go to a
# scratch directory; the committed corpus is only read.
#
# Usage: scripts/test-fuzz.sh   (FUZZ_SECONDS, default 75; the fuzz preset,
#        in build-fuzz/)
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

stage_messages fuzz
seconds=${FUZZ_SECONDS:-75}
build=build-fuzz
regressions=tests/png-regressions
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev ninja-build ||
  fail "cannot install the build's packages"

# libspng's own source, of exactly the installed version, is built into the
# target so that the fuzzer sees coverage inside the decoder. Where the
# source cannot be had, the installed library serves, blind but sound.
spng_version=$(dpkg-query -W -f='${Version}' libspng-dev)
spng_source=""
spng_home="$build/spng-source/$spng_version"
fetch_spng() {
  rm -rf "$spng_home" && mkdir -p "$spng_home" &&
    apt_get_source "$spng_home" "libspng=$spng_version" >"$scratch/spng.log" 2>&1
}
if [ -z "$(find "$spng_home" -path '*/spng/spng.c' 2>/dev/null)" ]; then
  ensure_packages dpkg-dev && ensure_source_entries &&
    fetch_spng
fi
spng_source=$(find "$spng_home" -path '*/spng/spng.c' 2>/dev/null | head -1)
if [ -n "$spng_source" ]; then
  spng_kind="libspng $spng_version built in from source"
else
  spng_kind="libspng $spng_version installed (its source was not to be had)"
  report_skip "fuzzing inside libspng" "the source of libspng $spng_version was not to be had; the installed library is fuzzed blind"
fi
echo "$spng_kind"

step "configure and build ($build)"
cmake --preset fuzz -DBRINDLEMOX_FUZZ_SPNG_SOURCE="${spng_source:+$(realpath "$spng_source")}" \
  >"$scratch/configure.log" 2>&1 || { cat "$scratch/configure.log"; fail "configure"; }
cmake --build --preset fuzz -j"$(nproc)" 2>&1 | tee "$scratch/build.log" | lines_matching '^\[[0-9]+/[0-9]+\]'
[ "${PIPESTATUS[0]}" -eq 0 ] || { tail -40 "$scratch/build.log"; fail "build"; }

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# -close_fd_mask=2: LoadPNG's one line per refused picture would flood the
# log; libFuzzer keeps its own and the sanitizers' reports on a copy of it.
options=(-close_fd_mask=2 -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=20
         -max_len=65536 -print_final_stats=1)

mkdir -p "$regressions"
before=$(ls "$regressions" | wc -l)
step "fuzzing for $seconds s from fuzz/corpus ($(ls fuzz/corpus | wc -l) files)"
"$build/brindlemox-fuzz-png" "$scratch" fuzz/corpus "${options[@]}" -max_total_time="$seconds" \
  -artifact_prefix="$regressions/" >"$scratch/fuzz.log" 2>&1
fuzz_rc=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/fuzz.log" | tail -1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$scratch/fuzz.log" | tail -1)
found=$(ls "$scratch" | grep -vc '\.log$')
crashes=$(($(ls "$regressions" | wc -l) - before))
echo "${executions:-?} executions (${rate:-?}/s), $found new inputs, $crashes crash files"
if [ "$fuzz_rc" -ne 0 ] || [ "$crashes" -ne 0 ]; then
  grep -E -A25 "ERROR:|==[0-9]+==|LoadPngFuzz:|deadly signal|out-of-memory|timeout" "$scratch/fuzz.log" | head -60
  ls -l "$regressions"
  fail "the fuzzer stopped with $fuzz_rc; the input is in $regressions/ - commit it with the fix"
fi

step "replaying the corpus and the regressions"
inputs=(fuzz/corpus/*)
for file in "$regressions"/*; do
  [ -f "$file" ] && [ "$(basename "$file")" != README ] && inputs+=("$file")
done
"$build/brindlemox-fuzz-png" "${options[@]}" "${inputs[@]}" >"$scratch/replay.log" 2>&1 ||
  { tail -40 "$scratch/replay.log"; fail "replaying an input crashed"; }
replayed=$(grep -c "^Executed " "$scratch/replay.log")
[ "$replayed" -eq ${#inputs[@]} ] || fail "replayed $replayed of ${#inputs[@]} inputs"

step "passed: ${executions:-?} executions in $seconds s, 0 crashes, $replayed inputs replayed; $spng_kind"
