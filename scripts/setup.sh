# Shared by scripts/test and scripts/demo: install what is missing, configure, build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

packages=(python3-dev python3-pyqt5 python3-pyqt5.sip pyqt5-dev sip-tools qtbase5-dev
  qtbase5-private-dev python3-pytest python3-pytestqt cmake g++ make libgtest-dev xvfb xauth
  x11-xserver-utils libxcb1-dev libxcb-randr0-dev)
if [ -f "$root/scripts/packages.extra" ]; then
  mapfile -t extra < <(grep -v '^\s*#' "$root/scripts/packages.extra" | grep .)
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages; run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DPython3_EXECUTABLE=/usr/bin/python3 >/dev/null
cmake --build "$build" -j "$(nproc)"
