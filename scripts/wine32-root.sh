# Sourced by test-windows.sh (after packages.sh): 32-bit Wine in a Debian 12
# root of its own, for machines whose package archive cannot give wine32:i386
# beside the system's amd64 packages (an i386 index synced only in part: the
# amd64 and i386 versions of a library differ, and multiarch refuses them),
# while the kernel runs 32-bit code all the same.
#
# The root is made with debootstrap from the main suite alone, where the
# amd64 and i386 versions always match, and wine32 installs there. It is kept
# between runs in a cache folder (made once: a few minutes and about 1 GB)
# and reused while its wine32 is installed. The 32-bit programs run in it
# through chroot: scripts/wine32-root-run.sh is the 32-bit builds'
# CMAKE_CROSSCOMPILING_EMULATOR there. The root sees the host's /proc, /sys,
# /dev, /dev/shm, /tmp (the X display's socket, the Wine prefixes, the frame
# pipes) and the source tree at its own path; mount_wine32_root binds them
# and unmount_wine32_root, which the caller's exit trap calls, takes them
# away again, innermost first, whatever happened.

# The cache folder: root's under /var/cache, anyone else's under theirs.
wine32_root_dir() {
  if [ -n "${BRINDLEMOX_WINE32_ROOT:-}" ]; then
    echo "$BRINDLEMOX_WINE32_ROOT"
  elif [ "$(id -u)" -eq 0 ]; then
    echo /var/cache/brindlemox/wine32-root
  else
    echo "${XDG_CACHE_HOME:-$HOME/.cache}/brindlemox/wine32-root"
  fi
}

# The archive the system installs from (its first plain deb entry that is not
# the security archive): the root takes the main suite from there.
wine32_root_mirror() {
  local uri=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    uri=$(awk -v RS= '/^Types: deb[ \n]/ && !/security/' \
            /etc/apt/sources.list.d/debian.sources |
          sed -n 's/^URIs: *\([^ ]*\).*/\1/p' | head -1)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" && !/security/ { for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; exit } }' \
            /etc/apt/sources.list)
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

WINE32_ROOT_MOUNTS=()

# Binds what the 32-bit programs need into the root; each one bound is
# remembered, so that unmount_wine32_root takes away exactly those.
mount_wine32_root() {
  local root=$1 tree=$2 dir
  for dir in /proc /sys /dev /dev/shm /tmp "$tree"; do
    mkdir -p "$root$dir"
    mountpoint -q "$root$dir" && continue
    $SUDO mount --bind "$dir" "$root$dir" || return 1
    WINE32_ROOT_MOUNTS+=("$root$dir")
  done
}

# Never fails: a mount still busy is detached lazily, and said so.
unmount_wine32_root() {
  local i mount
  for ((i = ${#WINE32_ROOT_MOUNTS[@]} - 1; i >= 0; i--)); do
    mount=${WINE32_ROOT_MOUNTS[$i]}
    mountpoint -q "$mount" || continue
    $SUDO umount "$mount" 2>/dev/null || {
      echo "windows: $mount is busy; detaching it"
      $SUDO umount -l "$mount" || true
    }
  done
  WINE32_ROOT_MOUNTS=()
}

# make_wine32_root ROOT: makes the root unless a complete one is there.
# Returns non-zero with a line saying why when it cannot be made. A root
# left half made (the run stopped) is made anew.
make_wine32_root() {
  local root=$1 mirror log
  if [ -f "$root/.brindlemox-wine32" ] && [ -x "$root/usr/lib/wine/wine" ]; then return; fi
  ensure_packages debootstrap || return 1
  mirror=$(wine32_root_mirror)
  echo "Making a Debian 12 root for 32-bit Wine in $root (debootstrap from $mirror, bookworm only)"
  log=$(mktemp)
  $SUDO rm -rf "$root"
  $SUDO mkdir -p "$root"
  if ! $SUDO debootstrap --variant=minbase --arch=amd64 bookworm "$root" "$mirror" >"$log" 2>&1; then
    echo "windows: debootstrap failed: $(grep -m1 -E '^(E|W):' "$log" || tail -1 "$log")"
    rm -f "$log"
    return 1
  fi
  # The packages' scripts want /proc and /dev; the mounts go away again here.
  local made=0
  mount_wine32_root "$root" /tmp || made=1
  if [ "$made" -eq 0 ]; then
    $SUDO chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 sh -ec '
      dpkg --add-architecture i386
      apt-get update -q
      apt-get install -y -q --no-install-recommends wine32:i386
      apt-get clean' >>"$log" 2>&1 || made=$?
  fi
  unmount_wine32_root
  if [ "$made" -ne 0 ]; then
    echo "windows: 32-bit Wine does not install in the root: $(grep -m1 '^E: ' "$log" || tail -1 "$log")"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  $SUDO touch "$root/.brindlemox-wine32"
}
