#!/usr/bin/env bash
# Runs 32-bit Wine's loader (wine) or its server (wineserver) inside the
# Debian 12 root that scripts/wine32-root.sh makes, in the same working
# directory and with the same environment (the display, WINEPREFIX): the
# 32-bit builds' CMAKE_CROSSCOMPILING_EMULATOR where the system cannot have
# wine32:i386 itself.
#
#   wine32-root-run.sh ROOT wine|wineserver ARGUMENT...
# The root's mounts (/proc, /sys, /dev, /dev/shm, /tmp, the source tree) are
# made by scripts/test-windows.sh for as long as it runs.
set -u
root=$1 program=$2
shift 2
case "$program" in
  wine | wineserver) ;;
  *) echo "wine32-root-run.sh: runs wine or wineserver, not $program" >&2; exit 2 ;;
esac
# The working directory is there once the tree or /tmp is bound.
if ! mountpoint -q "$root/proc" || ! [ -d "$root$PWD" ]; then
  echo "wine32-root-run.sh: $root is not set up for running programs (its mounts are made by" \
       "scripts/test-windows.sh while it runs)" >&2
  exit 125
fi
exec chroot "$root" /usr/bin/env -C "$PWD" "/usr/lib/wine/$program" "$@"
