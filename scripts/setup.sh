# Shared by scripts/test and scripts/demo: install what is missing, configure, build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

# Building the two modules and running the examples (Xvfb gives brellix its monitors).
module_packages=(python3-dev python3-pyqt5 python3-pyqt5.sip sip-tools qtbase5-dev
  qtbase5-private-dev cmake g++ make libxcb1-dev libxcb-randr0-dev xvfb)
# On top of those, for the tests: GoogleTest, pytest and pytest-qt, xrandr and the rest of
# what scripts/test has always installed, and the Windows build (packages.extra).
test_packages=(pyqt5-dev python3-pytest python3-pytestqt libgtest-dev xauth x11-xserver-utils)
if [ -f "$root/scripts/packages.extra" ]; then
  mapfile -t extra < <(grep -v '^\s*#' "$root/scripts/packages.extra" | grep .)
  test_packages+=("${extra[@]}")
fi

# install_missing PACKAGE...
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages; run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build ON|OFF [--target TARGET...]: with or without the tests; every target
# unless some are named.
configure_and_build() {
  local tests=$1
  shift
  cmake -S "$root" -B "$build" -DPython3_EXECUTABLE=/usr/bin/python3 -DBUILD_TESTING="$tests" \
    >/dev/null
  cmake --build "$build" -j "$(nproc)" "$@"
}
