#!/usr/bin/env bash
# What the test command's package steps decide, on this machine, without
# changing it (apt-get is stood in for where it would change the system):
#   - the 32-bit probe tells a kernel's refusal (the only reason to skip the
#     32-bit runs) from any other failure, which is a fault;
#   - a failing apt-get update stops nothing, is said in one line, and runs
#     once for one set of package sources;
#   - a package that cannot be installed fails, named in a line of ours;
#   - skips are recorded for test-all's count, and ctest's skipped tests
#     become skips;
#   - the deb-src entries live in a private apt set-up, never among the
#     system's sources, and the sources are downloaded by apt's own user;
#   - an i386 architecture the run added is taken away at the end, its
#     packages first;
#   - the 32-bit root's folders are bound once each and all taken away
#     again, innermost first, a busy one detached.
# Prints one line per behaviour; exits 1 on the first that does not hold.
set -uo pipefail
cd "$(dirname "$0")/../.."
source scripts/packages.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export BRINDLEMOX_RUN_STATE=$work/state
mkdir "$BRINDLEMOX_RUN_STATE"
fresh_state() { rm -rf "$BRINDLEMOX_RUN_STATE"; mkdir "$BRINDLEMOX_RUN_STATE"; }
fail() { echo "FAILED: $*"; exit 1; }
pass() { echo "ok: $*"; }

# The real probe: this kernel either runs it or refuses it, nothing else.
probe_32bit_execution
answer=$(run_state_get exec32)
[[ "$answer" == yes || "$answer" == "no: "* ]] || fail "the real probe gave: $answer"
pass "the real 32-bit probe answers \"${answer%%:*}\" here"

# A program for another machine (x86-64's number in a 32-bit header) is
# refused by every kernel with the same error as 32-bit code on a kernel
# without 32-bit support.
fresh_state
write_32bit_probe() { printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x3e\x00'; }
probe_32bit_execution
[[ "$(run_state_get exec32)" == "no: the kernel does not execute 32-bit programs (Exec format error)" ]] ||
  fail "a refused program gave: $(run_state_get exec32)"
pass "a program the kernel refuses to execute means no 32-bit runs"

# A probe that runs but fails is a fault, never a skip.
fresh_state
write_32bit_probe() { printf '#!/bin/sh\necho broken >&2\nexit 3\n'; }
probe_32bit_execution
[[ "$(run_state_get exec32)" == "fault: the 32-bit probe program ended with exit code 3: broken" ]] ||
  fail "a failing probe gave: $(run_state_get exec32)"
pass "a probe that runs and fails is a fault, not a skip"

# apt-get stood in for: update fails as a half-synced mirror makes it fail,
# install succeeds; every call is counted.
fresh_state
fake_root() {
  echo "$*" >>"$work/apt-calls"
  case " $* " in
    *" update "*) echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
                  return 100 ;;
  esac
  return 0
}
SUDO=fake_root
said=$(ensure_packages brindlemox-not-installed-a 2>&1) || fail "a failing update stopped the install: $said"
grep -q "^packages: apt-get update failed (Failed to fetch .*Mirror sync in progress?); installing with the package lists there are$" \
  <<<"$said" || fail "no line of ours about the failed update: $said"
ensure_packages brindlemox-not-installed-b >/dev/null 2>&1 || fail "the second install failed"
[ "$(grep -c ' update ' "$work/apt-calls")" -eq 1 ] ||
  fail "apt-get update ran $(grep -c ' update ' "$work/apt-calls") times for one set of sources"
[ "$(grep -c ' install ' "$work/apt-calls")" -eq 2 ] || fail "not every install was tried"
pass "a failing apt-get update is said in one line, stops nothing, and runs once"

# A package the archive does not have fails, named by us. (The install is
# stood in for; the reason comes from apt-get's own simulation.)
fake_root() { [ "$1" = apt-get ] && shift; [[ " $* " == *" install "* ]] && return 100; return 0; }
said=$(ensure_packages brindlemox-no-such-package 2>&1) && fail "a package that cannot be installed passed"
grep -q "^packages: cannot install brindlemox-no-such-package: " <<<"$said" ||
  fail "the package is not named: $said"
pass "a package that cannot be installed fails the step, named"
SUDO=""

# Skips are kept for test-all's count; ctest's skipped tests become skips.
fresh_state
report_skip "Windows: 32-bit program runs" "the kernel does not execute 32-bit programs" >/dev/null
printf 'The following tests did not run:\n\t148 - SdlWindow.ShowsTheBackBufferUnchanged (Skipped)\n' >"$work/ctest.log"
report_skipped_tests "Linux suite" "$work/ctest.log" >/dev/null
[ "$(wc -l <"$BRINDLEMOX_RUN_STATE/skips")" -eq 2 ] || fail "skips kept: $(cat "$BRINDLEMOX_RUN_STATE/skips")"
grep -q "^Linux suite: SdlWindow.ShowsTheBackBufferUnchanged: " "$BRINDLEMOX_RUN_STATE/skips" ||
  fail "a skipped test is not named: $(cat "$BRINDLEMOX_RUN_STATE/skips")"
pass "skips are kept for the count, skipped tests among them"

# The deb-src entries live in a private apt set-up: apt-get is stood in for,
# and the system's sources are read, never written.
fresh_state
use_source_apt_dir "$work/apt-sources"
touch "$work/marker"
before=$(ls -la /etc/apt/sources.list.d)
apt-get() {
  echo "apt-get $* (in $(stat -c %U .))" >>"$work/source-calls"
  [[ " $* " == *" source "* ]] && touch "$PWD/libspng_0.7.3-3.dsc"
  return 0
}
dpkg-source() { echo "dpkg-source $* (in $PWD)" >>"$work/source-calls"; }
SUDO=fake_root
fake_root() { echo "$*" >>"$work/source-calls"; }
ensure_source_entries >/dev/null
ensure_source_entries >/dev/null
mkdir "$work/unpacked"
apt_get_source "$work/unpacked" libspng || fail "apt_get_source failed"
unset -f apt-get dpkg-source
SUDO=""
[ "$(ls -la /etc/apt/sources.list.d)" = "$before" ] || fail "the system's sources changed"
[ -z "$(find /etc/apt -newer "$work/marker" -path '*sources*' 2>/dev/null)" ] ||
  fail "a file among the system's sources was written: $(find /etc/apt -newer "$work/marker")"
entries=$(cat "$SOURCE_APT_DIR"/sources.list "$SOURCE_APT_DIR"/sources.list.d/* 2>/dev/null)
grep -Eq '^(Types: )?deb-src' <<<"$entries" || fail "no deb-src entry in the private set-up: $entries"
! grep -Eq '^(Types: deb$|deb )' <<<"$entries" || fail "the private set-up has deb entries: $entries"
! grep -q security <<<"$entries" || fail "the private set-up takes sources from the security archive"
[ "$(grep -c ' update ' "$work/source-calls")" -eq 1 ] ||
  fail "the source lists were updated $(grep -c ' update ' "$work/source-calls") times in one run"
for call in update source; do
  line=$(grep -m1 " $call " "$work/source-calls")
  for option in "Dir::Etc::SourceList=$SOURCE_APT_DIR/sources.list" \
                "Dir::Etc::SourceParts=$SOURCE_APT_DIR/sources.list.d" \
                "Dir::State::Lists=$SOURCE_APT_DIR/lists"; do
    [[ "$line" == *"-o $option"* ]] || fail "apt-get $call is not given $option: $line"
  done
done
if [ "$(id -u)" -eq 0 ] && getent passwd _apt >/dev/null; then
  grep -q ' source .*(in _apt)$' "$work/source-calls" ||
    fail "the sources are not downloaded into a folder of apt's user: $(grep ' source ' "$work/source-calls")"
fi
grep -q "^dpkg-source .*-x /tmp/brindlemox-sources\.[^/]*/libspng_0.7.3-3.dsc (in $work/unpacked)$" \
  "$work/source-calls" || fail "the source is not unpacked into its folder: $(cat "$work/source-calls")"
! compgen -G "/tmp/brindlemox-sources.*/libspng_0.7.3-3.dsc" >/dev/null ||
  fail "the download folder is left behind"
pass "deb-src entries in a private apt set-up; sources fetched by apt's user, the system's sources untouched"

# An i386 architecture the run added goes at the end, with the i386
# packages installed since; one the machine had stays.
fresh_state
: >"$work/arch-calls"
fake_root() { echo "$*" >>"$work/arch-calls"; }
dpkg-query() {
  printf 'installed libwine:i386\ninstalled wine32:i386\ninstalled zlib1g:amd64\nnot-installed libc6:i386\n'
}
SUDO=fake_root
restore_package_architectures >/dev/null
[ ! -s "$work/arch-calls" ] || fail "an architecture the run did not add was touched: $(cat "$work/arch-calls")"
run_state_set i386-added yes
restore_package_architectures >/dev/null
unset -f dpkg-query
SUDO=""
grep -q "^apt-get .* purge -y -q libwine:i386 wine32:i386$" "$work/arch-calls" ||
  fail "the i386 packages are not purged: $(cat "$work/arch-calls")"
[ "$(tail -1 "$work/arch-calls")" = "dpkg --remove-architecture i386" ] ||
  fail "the architecture is not removed after its packages: $(cat "$work/arch-calls")"
[ "$(run_state_get i386-added)" = removed ] || fail "the run does not remember the removal"
pass "an i386 architecture the run added is removed at the end, its packages first"

# The 32-bit root's mounts (scripts/wine32-root.sh), mount(8) stood in for:
# each folder bound once, taken away innermost first, a busy one detached
# lazily; none left however many there were.
source scripts/wine32-root.sh
fresh_state
root=$work/root
mounted=()
: >"$work/mount-calls"
fake_root() {
  echo "$*" >>"$work/mount-calls"
  case "$1" in
    mount) mounted+=("$4") ;;
    umount)
      local target=${!#} kept=() m
      [ "$2" != -l ] && [ "$target" = "$root/tmp" ] && [ ! -e "$work/tmp-freed" ] && return 32
      for m in "${mounted[@]}"; do [ "$m" = "$target" ] || kept+=("$m"); done
      mounted=("${kept[@]}") ;;
  esac
}
mountpoint() { local m; for m in "${mounted[@]}"; do [ "$m" = "$2" ] && return 0; done; return 1; }
SUDO=fake_root
mount_wine32_root "$root" /work/tree || fail "mount_wine32_root failed"
mount_wine32_root "$root" /work/tree || fail "mount_wine32_root failed the second time"
unmount_wine32_root >"$work/unmount-said"
said=$(cat "$work/unmount-said")
SUDO=""
unset -f mountpoint
expected="mount --bind /proc $root/proc
mount --bind /sys $root/sys
mount --bind /dev $root/dev
mount --bind /dev/shm $root/dev/shm
mount --bind /tmp $root/tmp
mount --bind /work/tree $root/work/tree
umount $root/work/tree
umount $root/tmp
umount -l $root/tmp
umount $root/dev/shm
umount $root/dev
umount $root/sys
umount $root/proc"
[ "$(cat "$work/mount-calls")" = "$expected" ] ||
  fail "the root's mounts went otherwise: $(cat "$work/mount-calls")"
[ "${#mounted[@]}" -eq 0 ] || fail "mounts left: ${mounted[*]}"
[ "$said" = "windows: $root/tmp is busy; detaching it" ] || fail "a busy mount is not said: $said"
pass "the 32-bit root's folders are bound once each and all taken away, innermost first"
