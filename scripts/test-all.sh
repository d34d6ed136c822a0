#!/usr/bin/env bash
# Builds and runs every test: the Linux suite, then each further stage.
# Installs what each stage needs first. Exits non-zero when any stage fails.
set -uo pipefail
cd "$(dirname "$0")/.."

stages=(test-native.sh)
for optional in test-sanitizers.sh test-fuzz.sh test-windows.sh test-web.sh test-packages.sh; do
  [ -f "scripts/$optional" ] && stages+=("$optional")
done

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
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
