# Sourced by the other scripts: installs Debian packages that are missing.
# Runs apt-get update only when something has to be installed.

# How to run apt-get and the like as root.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# Another apt-get holding the package lock is waited for, not failed on.
APT_WAIT=(-o DPkg::Lock::Timeout=600)

ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get "${APT_WAIT[@]}" update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${APT_WAIT[@]}" install -y -q \
      --no-install-recommends "${missing[@]}"
  fi
}

# What the program and its tests need to build on Debian 12.
BUILD_PACKAGES=(g++ cmake make pkg-config libsdl2-dev libspng-dev)
# Xvfb, xdotool and ImageMagick read the SDL window back in the test suite.
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev xvfb xdotool imagemagick)

# apt-get source needs deb-src entries. They are made from the deb entries
# the machine already has, so the sources come from the same archive; the
# security archive is left out, as it does not always serve its sources.
ensure_source_entries() {
  if apt-cache showsrc zlib 2>/dev/null | grep -q '^Package: zlib$'; then return; fi
  echo "Adding deb-src entries for Debian's source packages"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    awk -v RS= -v ORS='\n\n' '/^Types: deb\n/ && !/security/ { sub(/^Types: deb\n/, "Types: deb-src\n"); print }' \
      /etc/apt/sources.list.d/debian.sources |
      $SUDO tee /etc/apt/sources.list.d/brindlemox-deb-src.sources >/dev/null
  elif grep -qs '^deb ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | grep -v security | sed 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/brindlemox-deb-src.list >/dev/null
  else
    printf 'deb-src http://deb.debian.org/debian bookworm main\n' |
      $SUDO tee /etc/apt/sources.list.d/brindlemox-deb-src.list >/dev/null
  fi
  $SUDO apt-get "${APT_WAIT[@]}" update -q
}

# The sources of libspng and zlib, for the builds that make these libraries
# themselves (the web; Windows too): Debian's source packages, unpacked by
# apt-get source into build-windeps/src, where cmake/DebianSourceLibraries.cmake
# looks for them. Run from the top of the tree.
ensure_library_sources() {
  local sources=build-windeps/src
  if compgen -G "$sources/zlib-*/zlib.h" >/dev/null &&
     compgen -G "$sources/libspng-*/spng/spng.c" >/dev/null; then
    return
  fi
  ensure_packages dpkg-dev
  ensure_source_entries
  mkdir -p "$sources"
  (cd "$sources" && apt-get source -q libspng zlib)
}
