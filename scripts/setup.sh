#!/usr/bin/env bash
# Sets up a Debian machine for Pylvex: installs the packages that are missing,
# builds, and then either starts the tool on the simulated board ("run") or
# runs the whole test suite ("test"). "build" only builds.
set -euo pipefail

MODE="${1:-build}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLVEX_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6serialport6-dev
  libxlsxwriter-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  python3-openpyxl
  clang libclang-rt-dev
  socat
  fonts-wqy-microhei
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${PYLVEX_CMAKE_ARGS:-}
cmake --build "$BUILD" -j2

case "$MODE" in
  run)
    exec "$BUILD/src/pylvex" --demo ;;
  test)
    cd "$BUILD"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 ;;
  build) ;;
  *) echo "usage: $0 [build|run|test]" >&2; exit 2 ;;
esac
