# Sourced by the other scripts: installs the Debian packages that are missing,
# adds the package sources that the stages need, and tells whether this
# machine can run 32-bit programs at all.
#
# The package lists are refreshed (apt-get update) only when something has to
# be installed, and once per set of package sources in a run: test-all.sh
# exports BRINDLEMOX_RUN_STATE, a folder its stages share, so that a whole run
# updates once. A failing update does not stop anything by itself: the
# install is tried with the lists there are, and only a package that really
# cannot be installed fails, named in a line of ours.

# How to run apt-get and the like as root.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# Another apt-get holding the package lock is waited for, not failed on.
APT_WAIT=(-o DPkg::Lock::Timeout=600)

source "$(dirname "${BASH_SOURCE[0]}")/run-state.sh"

# What the program and its tests need to build on Debian 12 (the SDL backend
# calls Xlib itself as well).
BUILD_PACKAGES=(g++ cmake make pkg-config libsdl2-dev libx11-dev libspng-dev)
# Xvfb, xdotool and ImageMagick read the SDL window back in the test suite;
# xwininfo and xprop (x11-utils) find the message box and the window
# manager, openbox, whose fullscreen and maximise wmctrl asks for; the
# desktop files and manual pages are checked by their own validators
# (desktop-file-utils, appstream, groff, man-db's lexgrog).
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev xvfb xdotool imagemagick x11-utils
               openbox wmctrl desktop-file-utils appstream groff-base man-db)

# The architectures and source entries that the package lists are made from.
package_sources_signature() {
  { dpkg --print-foreign-architectures
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources || true
  } 2>/dev/null | md5sum | cut -d' ' -f1
}

# apt-get update, unless this run has already updated for these sources.
# Never fails: a list that cannot be fetched is reported in one line.
refresh_package_lists() {
  local signature log
  signature=$(package_sources_signature)
  [ "$(run_state_get apt-lists)" = "$signature" ] && return 0
  echo "Updating the package lists (apt-get update)"
  log=$(mktemp)
  if ! $SUDO apt-get "${APT_WAIT[@]}" update -q 2>&1 | tee "$log" ||
     grep -q '^E: ' "$log"; then
    echo "packages: apt-get update failed ($(grep -m1 '^E: ' "$log" | cut -c4-));" \
         "installing with the package lists there are"
  fi
  rm -f "$log"
  run_state_set apt-lists "$signature"
}

# ensure_packages PACKAGE...: installs those not installed yet. Returns
# non-zero, with a line naming each package that cannot be installed, when
# the install fails.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  refresh_package_lists
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${APT_WAIT[@]}" install -y -q \
    --no-install-recommends "${missing[@]}" && return 0
  for p in "${missing[@]}"; do
    local why
    why=$(LC_ALL=C apt-get install -s -q --no-install-recommends "$p" 2>&1 >/dev/null |
          grep -m1 -E '^E: ' | cut -c4-)
    [ -n "$why" ] && echo "packages: cannot install $p: $why" >&2
  done
  echo "packages: the install of ${missing[*]} failed" >&2
  return 1
}

# apt-get source needs deb-src entries. They live in a private apt set-up of
# their own, never among the system's sources: a sources file, the package
# lists made from it and apt's cache, in a folder kept between runs
# (SOURCE_APT_DIR), which apt-get is pointed at by options (SOURCE_APT) for
# the source downloads alone. The entries are made from the deb entries the
# machine already has, so the sources come from the same archive; the
# security archive is left out, as it does not always serve its sources.
use_source_apt_dir() {
  SOURCE_APT_DIR=$1
  SOURCE_APT=(-o "Dir::Etc::SourceList=$SOURCE_APT_DIR/sources.list"
              -o "Dir::Etc::SourceParts=$SOURCE_APT_DIR/sources.list.d"
              -o "Dir::State::Lists=$SOURCE_APT_DIR/lists"
              -o "Dir::Cache=$SOURCE_APT_DIR/cache")
}
if [ "$(id -u)" -eq 0 ]; then
  use_source_apt_dir "${BRINDLEMOX_SOURCE_APT_DIR:-/var/cache/brindlemox/apt-sources}"
else
  use_source_apt_dir "${BRINDLEMOX_SOURCE_APT_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/brindlemox/apt-sources}"
fi

# The deb-src entries, on standard output, from the system's sources.
source_entries() {
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    awk -v RS= -v ORS='\n\n' '/^Types: deb\n/ && !/security/ { sub(/^Types: deb\n/, "Types: deb-src\n"); print }' \
      /etc/apt/sources.list.d/debian.sources
  elif grep -qs '^deb ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | grep -v security | sed 's/^deb /deb-src /'
  else
    printf 'deb-src http://deb.debian.org/debian bookworm main\n'
  fi
}

# Writes the private set-up; a run refreshes its lists once. A sources file
# that earlier versions of these scripts left among the system's goes.
ensure_source_entries() {
  local entries old
  for old in /etc/apt/sources.list.d/brindlemox-deb-src.sources \
             /etc/apt/sources.list.d/brindlemox-deb-src.list; do
    [ -f "$old" ] || continue
    echo "Removing $old, left by an earlier run (the deb-src entries are kept apart now)"
    $SUDO rm -f "$old"
  done
  mkdir -p "$SOURCE_APT_DIR/sources.list.d" "$SOURCE_APT_DIR/lists/partial" \
           "$SOURCE_APT_DIR/cache/archives/partial"
  : >"$SOURCE_APT_DIR/sources.list"
  entries=$SOURCE_APT_DIR/sources.list.d/debian-src.sources
  [ -f /etc/apt/sources.list.d/debian.sources ] || entries=$SOURCE_APT_DIR/sources.list
  source_entries >"$entries.new" && mv "$entries.new" "$entries"
  [ "$entries" = "$SOURCE_APT_DIR/sources.list" ] ||
    rm -f "$SOURCE_APT_DIR/sources.list.d/debian-src.list"
  local signature
  signature="source $(md5sum <"$entries" | cut -d' ' -f1)"
  [ "$(run_state_get source-lists)" = "$signature" ] && return 0
  echo "Updating the lists of Debian's source packages (a private apt set-up in $SOURCE_APT_DIR)"
  apt-get "${SOURCE_APT[@]}" update -q >"$SOURCE_APT_DIR/update.log" 2>&1 ||
    echo "packages: apt-get update of the source lists failed ($(grep -m1 '^E: ' "$SOURCE_APT_DIR/update.log" | cut -c4-))"
  run_state_set source-lists "$signature"
}

# apt_get_source DEST SOURCE...: Debian's source packages, unpacked into
# DEST as apt-get source unpacks them. apt downloads as its own user, _apt,
# so they are fetched into a folder of their own that it can write (a
# download into a folder it cannot write would run unsandboxed, as root),
# and unpacked from there.
apt_get_source() {
  local dest=$1 download rc=0 dsc
  shift
  download=$(mktemp -d /tmp/brindlemox-sources.XXXXXX)
  if [ "$(id -u)" -eq 0 ] && getent passwd _apt >/dev/null; then chown _apt "$download"; fi
  (cd "$download" && apt-get "${SOURCE_APT[@]}" source --download-only -q "$@") || rc=$?
  if [ "$rc" -eq 0 ]; then
    for dsc in "$download"/*.dsc; do
      # apt has checked the files against the signed lists.
      (cd "$dest" && dpkg-source --no-check --no-copy -x "$dsc" >/dev/null) || rc=$?
    done
  fi
  rm -rf "$download"
  return "$rc"
}

# The sources of libspng and zlib, for the builds that make these libraries
# themselves (the web; Windows too): Debian's source packages, unpacked into
# build-windeps/src, where cmake/DebianSourceLibraries.cmake looks for them.
# Run from the top of the tree.
ensure_library_sources() {
  local sources=build-windeps/src
  if compgen -G "$sources/zlib-*/zlib.h" >/dev/null &&
     compgen -G "$sources/libspng-*/spng/spng.c" >/dev/null; then
    return
  fi
  ensure_packages dpkg-dev
  ensure_source_entries
  mkdir -p "$sources"
  apt_get_source "$sources" libspng zlib
}

# 32-bit Windows programs run under 32-bit Wine, which only a kernel that
# executes 32-bit x86 code can start; some machines' kernels refuse it.
# probe_32bit_execution answers, once a run, in the run state `exec32`:
#   yes           the kernel ran the probe program;
#   no: WHY       the kernel refused it (the only answer that may skip);
#   fault: WHAT   anything else, a real failure.

# The probe: the smallest 32-bit x86 Linux program, written byte by byte (so
# that nothing need be installed to make it), which exits with code 0.
write_32bit_probe() {
  # ELF header: 32-bit, little-endian, an executable for i386 (3), entry
  # point 0x08048054, one program header at byte 52.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
  # One loaded segment: the whole file (93 bytes) at 0x08048000, readable
  # and executable.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  # mov eax, 1 (the exit call); xor ebx, ebx (code 0); int 0x80
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
}

probe_32bit_execution() {
  [ -n "$(run_state_get exec32)" ] && return
  local dir rc=0 said
  dir=$(mktemp -d)
  write_32bit_probe >"$dir/probe" && chmod +x "$dir/probe"
  said=$(LC_ALL=C "$dir/probe" 2>&1) || rc=$?
  rm -rf "$dir"
  if [ "$rc" -eq 0 ]; then
    run_state_set exec32 yes
  elif [ "$rc" -eq 126 ] && [[ "$said" == *"Exec format error"* ]]; then
    run_state_set exec32 "no: the kernel does not execute 32-bit programs (Exec format error)"
  else
    run_state_set exec32 "fault: the 32-bit probe program ended with exit code $rc: $said"
  fi
}

# The i386 architecture, for 32-bit Wine, added only where the kernel runs
# 32-bit programs; the run remembers that it added it, so that it can take it
# away again when the archive cannot give 32-bit Wine after all.
add_i386_architecture() {
  [ "$(dpkg --print-architecture)" = i386 ] && return
  dpkg --print-foreign-architectures | grep -qx i386 && return
  probe_32bit_execution
  [ "$(run_state_get exec32)" = yes ] || return 0
  echo "Adding the i386 architecture, for 32-bit Wine"
  $SUDO dpkg --add-architecture i386
  run_state_set i386-added yes
}

# Takes the i386 architecture away again, if this run added it.
remove_added_i386_architecture() {
  [ "$(run_state_get i386-added)" = yes ] || return 0
  echo "Removing the i386 architecture this run added"
  if $SUDO dpkg --remove-architecture i386; then
    run_state_set i386-added removed
  else
    echo "packages: the i386 architecture cannot be taken away again (i386 packages are installed)"
  fi
}

# Takes the i386 architecture away again at the end of what needed it, if
# this run added it, with the i386 packages installed since (every one: the
# machine had no i386 packages without the architecture), so that the
# machine's apt set-up is left as the run found it.
restore_package_architectures() {
  [ "$(run_state_get i386-added)" = yes ] || return 0
  local installed
  installed=$(dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' 2>/dev/null |
              awk '$1 != "not-installed" && $2 ~ /:i386$/ { print $2 }')
  if [ -n "$installed" ]; then
    echo "Removing the $(wc -w <<<"$installed") i386 packages this run installed, for 32-bit Wine"
    # shellcheck disable=SC2086  # one package name a word
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${APT_WAIT[@]}" purge -y -q $installed >/dev/null ||
      echo "packages: the i386 packages this run installed cannot be removed"
  fi
  remove_added_i386_architecture
}

# Everything a run's stages take from the system's archive comes from these
# sources: where the kernel runs 32-bit code, the i386 architecture is added
# first, so that one apt-get update serves the run. (The deb-src entries are
# the private set-up's, ensure_source_entries.)
prepare_package_sources() {
  add_i386_architecture
}

