#!/usr/bin/env bash
# The Linux release packages, as a user gets and installs them:
#   1. the linux preset's `package` target writes the .tar.gz and the .deb
#      into build/, with a SHA256SUMS that `sha256sum -c` checks both by;
#      lintian (-I --pedantic) finds nothing in the .deb but what its
#      overrides file says is meant so, each override with its reason;
#      its programs are hardened (hardening-check: stack protector,
#      fortified functions, read-only relocations bound at once, PIE);
#   2. the .deb installs with dpkg -i (apt-get for any dependency missing),
#      depends on the libraries the programs link, installs exactly its own
#      list of files, and its desktop entry, icons, AppStream file and manual
#      pages pass their validators where they lie (tests/packaging/
#      desktop-files-test.sh); its copyright file states LICENSE in Debian's
#      machine-readable form, and its changelog gives its version;
#   3. the installed program, started in another folder under Xvfb, opens a
#      window titled "Brindlemox :: N fps   " of the window class the desktop
#      entry names, and Escape ends it with exit code 0 and nothing said;
#   4. the installed capture tool gives the package's version and, started
#      in another folder, finds the installed picture and records the same
#      frames as the build's;
#   5. dpkg --purge removes it, leaving none of the files and folders it
#      brought behind, and whatever apt-get installed for it goes too.
# Runs as root (or through sudo) and installs what it needs first. The
# package is removed again whether the checks pass or fail; the test refuses
# to start when a brindlemox package is installed already, which it would
# otherwise replace and remove.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/packages.sh
source scripts/xvfb.sh

stage_messages packages

PACKAGE_TEST_PACKAGES=(dpkg-dev lintian devscripts desktop-file-utils appstream groff-base man-db
                       xvfb xdotool x11-utils)
step "packages"
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${PACKAGE_TEST_PACKAGES[@]}" ||
  fail "cannot install the packages the test needs"

package_state() { dpkg-query -W -f='${db:Status-Status}' brindlemox 2>/dev/null; }
state=$(package_state)
[ -z "$state" ] || [ "$state" = not-installed ] ||
  fail "a brindlemox package is on this machine already ($state); remove it first: dpkg --purge brindlemox"

work=$(mktemp -d /tmp/brindlemox-packages.XXXXXX)
installed_by_us=""
demo_pid=""
xvfb_pid=""
installed_packages() {
  dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | awk '$1 == "installed" { print $2 }' | sort
}
: >"$work/installed-for-it"

# dpkg does not wait for another dpkg or apt-get holding its lock: try again
# for up to ten minutes while the lock is what stops it.
dpkg_waiting() {
  local output code
  for _ in $(seq 120); do
    output=$($SUDO dpkg "$@" 2>&1)
    code=$?
    [ "$code" -ne 0 ] && grep -q "lock" <<<"$output" && { sleep 5; continue; }
    echo "$output"
    return "$code"
  done
  echo "$output"
  return 1
}

# Removes the package and whatever apt-get installed for it; called on
# every way out.
restore() {
  set +e
  [ -n "$demo_pid" ] && kill -KILL "$demo_pid" 2>/dev/null
  stop_display "$work"
  if [ -n "$installed_by_us" ] && [ -n "$(package_state)" ] &&
     [ "$(package_state)" != not-installed ]; then
    echo "packages: removing the brindlemox package"
    dpkg_waiting --purge brindlemox >/dev/null
  fi
  if [ -s "$work/installed-for-it" ]; then
    echo "packages: removing what apt-get installed for it: $(tr '\n' ' ' <"$work/installed-for-it")"
    # shellcheck disable=SC2046  # one package name a line
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${APT_WAIT[@]}" purge -y -q \
      $(cat "$work/installed-for-it") >/dev/null
  fi
  rm -rf "$work"
}
trap restore EXIT
trap 'exit 130' INT TERM HUP

step "building the packages (the linux preset's package target)"
cmake --preset linux >/dev/null || fail "cmake --preset linux"
cmake --build --preset linux -j2 --target package >"$work/package.log" 2>&1 ||
  { tail -30 "$work/package.log"; fail "cmake --build --preset linux --target package"; }
version=$(project_version build)
tarball=Brindlemox-$version-Linux-$(uname -m).tar.gz
deb=brindlemox_${version}-1_$(dpkg --print-architecture).deb
for package in "$tarball" "$deb"; do
  [ -f "build/$package" ] || fail "the package target wrote no build/$package"
done
[ "$(awk '{ print $2 }' build/SHA256SUMS | sort)" = "$(printf '%s\n' "$tarball" "$deb" | sort)" ] ||
  fail "build/SHA256SUMS does not list $tarball and $deb: $(cat build/SHA256SUMS)"
(cd build && sha256sum -c SHA256SUMS) || fail "sha256sum -c SHA256SUMS"
# Debian's own check of a package, at every level down to its pedantic
# hints: nothing but what the package's overrides say is meant so. Each
# override has its reason written above it.
lintian -I --pedantic "build/$deb" >"$work/lintian.log" 2>&1
lintian_result=$?
said=$(grep -v 'running with root privileges' "$work/lintian.log")
[ "$lintian_result" -eq 0 ] && [ -z "$said" ] || fail "lintian -I --pedantic on $deb: $said"
overrides=packaging/debian/lintian-overrides
awk '/^brindlemox: / && previous !~ /^#/ { print "no reason above: " $0; bad = 1 }
     { previous = $0 } END { exit bad }' "$overrides" || fail "an override in $overrides has no reason"
dpkg-deb --fsys-tarfile "build/$deb" | tar -xO ./usr/share/lintian/overrides/brindlemox |
  cmp -s - "$overrides" || fail "the .deb does not ship $overrides"
[ "$(dpkg-deb -f "build/$deb" Section)" = games ] ||
  fail "$deb is in the section $(dpkg-deb -f "build/$deb" Section), not games"
echo "packages: lintian -I --pedantic: nothing but the $(grep -c '^brindlemox: ' "$overrides") overrides"
# The programs as Debian hardens its own: hardening-check (devscripts)
# fails on any protection missing.
mkdir "$work/unpacked-deb"
dpkg-deb -x "build/$deb" "$work/unpacked-deb"
# (Debian 12's flags give no control flow protection.)
hardening-check --nocfprotection "$work/unpacked-deb/usr/games/brindlemox" \
  "$work/unpacked-deb/usr/bin/brindlemox-capture" >"$work/hardening.log" 2>&1 ||
  fail "the programs are not hardened: $(grep -E 'no|unknown' "$work/hardening.log")"

step "installing $deb with dpkg -i"
# The package's paths, and which of them the machine has before.
dpkg-deb --fsys-tarfile "build/$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' |
  sort >"$work/deb-paths"
while read -r path; do [ -e "$path" ] && echo "$path"; done <"$work/deb-paths" >"$work/existed-before"
installed_by_us=yes
if ! dpkg_waiting -i "build/$deb"; then
  echo "packages: dpkg -i left dependencies missing; apt-get installs them"
  installed_packages >"$work/packages-before"
  $SUDO apt-get "${APT_WAIT[@]}" update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${APT_WAIT[@]}" install -f -y -q \
    --no-install-recommends
  apt_result=$?
  comm -13 "$work/packages-before" <(installed_packages) | grep -vx 'brindlemox:[a-z0-9]*' \
    >"$work/installed-for-it"
  [ "$apt_result" -eq 0 ] || fail "apt-get -f install"
fi
[ "$(package_state)" = installed ] || fail "brindlemox is $(package_state) after dpkg -i"
depends=$(dpkg-query -W -f='${Depends}' brindlemox)
echo "packages: Depends: $depends"
depended=$(sed 's/ ([^)]*)//g; s/, */\n/g' <<<"$depends")
for library in libc6 libsdl2-2.0-0 libspng0 libstdc++6; do
  grep -qx "$library" <<<"$depended" || fail "the package does not depend on $library: $depends"
done
dpkg -L brindlemox | grep -v '^/\.$' | sort >"$work/listed"
diff "$work/deb-paths" "$work/listed" >/dev/null ||
  fail "dpkg -L lists other paths than the package holds: $(diff "$work/deb-paths" "$work/listed")"

step "the installed desktop entry, icons, AppStream file, manual pages and copyright"
bash tests/packaging/desktop-files-test.sh "$PWD" /usr || fail "the installed desktop files"
man -w 6 brindlemox >/dev/null 2>&1 || fail "man does not find brindlemox(6)"
man -w 1 brindlemox-capture >/dev/null 2>&1 || fail "man does not find brindlemox-capture(1)"
copyright=/usr/share/doc/brindlemox/copyright
head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "$copyright is not in Debian's machine-readable format"
grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' LICENSE)" "$copyright" ||
  fail "$copyright does not give the copyright of LICENSE"
# The text of the stand-alone Expat licence paragraph, unindented, is
# LICENSE below its notice.
awk 'text { print } prev == "" && /^License: Expat$/ { text = 1 } { prev = $0 }' "$copyright" |
  sed 's/^ //; s/^\.$//' >"$work/licence"
sed '1,/^Copyright (c) /d' LICENSE | sed '1{/^$/d}' | diff - "$work/licence" >/dev/null ||
  fail "$copyright does not state the licence of LICENSE"
[ ! -e /usr/share/doc/brindlemox/LICENSE ] || fail "the .deb holds LICENSE beside its copyright file"
changelog=/usr/share/doc/brindlemox/changelog.Debian.gz
said=$(gzip -dc "$changelog" | dpkg-parsechangelog -l - -S Version 2>&1)
[ "$said" = "$(dpkg-query -W -f='${Version}' brindlemox)" ] ||
  fail "$changelog does not give the package's version: $said"

step "the installed program, started in another folder under Xvfb"
mkdir "$work/elsewhere"
start_xvfb "$work" || fail "Xvfb did not start"
(cd "$work/elsewhere" && exec /usr/games/brindlemox) </dev/null >"$work/program.out" 2>"$work/program.err" &
demo_pid=$!
window=$(brindlemox_window)
[ -n "$window" ] || fail "no window titled \"Brindlemox :: ...\" appeared ($(cat "$work/program.err"))"
title=$(xdotool getwindowname "$window")
echo "packages: window title \"$title\""
[[ "$title" =~ ^Brindlemox\ ::\ [0-9]+\ fps\ \ \ $ ]] || fail "the title is \"$title\""
class=$(xprop -id "$window" WM_CLASS)
wm_class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/brindlemox.desktop)
[[ "$class" == *"\"$wm_class\""* ]] ||
  fail "the window's class ($class) is not the desktop entry's ($wm_class)"
pressed=0
press_escape "$window" "$demo_pid" || pressed=$?
[ "$pressed" -ne 1 ] || fail "cannot focus the window"
[ "$pressed" -ne 2 ] || fail "Escape did not end the program"
demo_pid=""
exit_code=$escape_exit_code
[ "$exit_code" -eq 0 ] || fail "the program ended with exit code $exit_code ($(cat "$work/program.err"))"
[ ! -s "$work/program.err" ] || fail "the program said: $(cat "$work/program.err")"
stop_display "$work"

step "the installed capture tool"
said=$(/usr/bin/brindlemox-capture --version) || fail "brindlemox-capture --version failed"
[ "$said" = "brindlemox-capture $version" ] || fail "brindlemox-capture --version said \"$said\""
frames=1,421,1561
(cd "$work" && brindlemox-capture --frames "$frames" --out "$work/installed") ||
  fail "the installed capture tool failed"
(cd build && ./brindlemox-capture --frames "$frames" --out "$work/built") ||
  fail "the build's capture tool failed"
[ "$(ls "$work/installed")" = "$(ls "$work/built")" ] && [ "$(ls "$work/built" | wc -l)" -eq 3 ] ||
  fail "the installed tool wrote $(ls "$work/installed" | tr '\n' ' '), the build's $(ls "$work/built" | tr '\n' ' ')"
for frame in "$work"/built/*.png; do
  cmp -s "$frame" "$work/installed/${frame##*/}" || fail "${frame##*/} differs from the build's"
done

step "dpkg --purge brindlemox"
dpkg_waiting --purge brindlemox || fail "dpkg --purge brindlemox"
[ "$(package_state)" = not-installed ] || [ -z "$(package_state)" ] ||
  fail "brindlemox is $(package_state) after dpkg --purge"
left=$(comm -23 "$work/listed" "$work/existed-before" | while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] && echo "$path"
done)
[ -z "$left" ] || fail "dpkg --purge left behind: $left"
echo "packages: none of the $(comm -23 "$work/listed" "$work/existed-before" | wc -l) paths the package brought is left"

step "all package checks passed"
