# Sourced by the packaging tests, which check everything and then say all
# that was wrong: start_checks NAME makes a scratch folder of its own
# ($scratch, removed on exit); fail WHY says what is wrong and goes on;
# end_checks exits 1 when anything was.
start_checks() {
  scratch=$(mktemp -d "/tmp/brindlemox-$1.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
  failures=0
}
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
end_checks() { [ "$failures" -eq 0 ] || exit 1; }
