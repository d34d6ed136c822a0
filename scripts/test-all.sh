#!/usr/bin/env bash
# Builds and runs every test: the Linux suite, then each further stage.
# Installs what each stage needs first (one apt-get update for the whole run).
# Ends with one line counting the stages passed and failed and the steps this
# machine skipped, each skip named above it. Exits non-zero when any stage
# fails; a skip never does.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

stages=(test-native.sh test-sanitizers.sh test-fuzz.sh test-windows.sh test-web.sh test-packages.sh)

# Shared by the stages: what this run has done (the package lists updated,
# the architectures added) and what it skipped.
BRINDLEMOX_RUN_STATE=$(mktemp -d /tmp/brindlemox-run.XXXXXX)
export BRINDLEMOX_RUN_STATE
# An i386 architecture the run added goes at its end (the Windows stage takes
# it away once done; this is for a run that stops before).
trap 'restore_package_architectures; rm -rf "$BRINDLEMOX_RUN_STATE"' EXIT

started=$SECONDS
echo "=== package sources"
prepare_package_sources

failed=0
passed=0
for stage in "${stages[@]}"; do
  echo "=== $stage"
  start=$SECONDS
  if bash "scripts/$stage"; then
    passed=$((passed + 1))
    echo "=== $stage passed in $((SECONDS - start)) s"
  else
    failed=$((failed + 1))
    echo "=== $stage FAILED after $((SECONDS - start)) s"
  fi
done

skipped=0
if [ -s "$BRINDLEMOX_RUN_STATE/skips" ]; then
  echo "=== skipped on this machine:"
  while IFS= read -r skip; do
    echo "  - $skip"
    skipped=$((skipped + 1))
  done <"$BRINDLEMOX_RUN_STATE/skips"
fi
echo "stages: $passed passed, $failed failed; steps skipped: $skipped;" \
     "$(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s"
[ "$failed" -eq 0 ]
