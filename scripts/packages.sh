# Sourced by the other scripts: installs Debian packages that are missing.
# Runs apt-get update only when something has to be installed.

# How to run apt-get and the like as root.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

# What the program and its tests need to build on Debian 12.
BUILD_PACKAGES=(g++ cmake make pkg-config libsdl2-dev libspng-dev)
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev)
