#!/usr/bin/env bash
# Sets up a Debian 12 (bookworm) machine for Pylvex.
#
#   setup.sh run    installs what building and running need, builds pylvex and
#                   pylvex-sim, and starts the tool on the simulated board
#   setup.sh build  the same without starting the tool
#   setup.sh test   installs the test tool-chain too, builds everything and
#                   runs the whole test suite
#   setup.sh package  builds the programs (in the same build folder, so after
#                   "setup.sh test" only what changed) and makes the Debian
#                   package build/pylvex_<version>_amd64.deb
#
# Packages come from the Debian mirror through apt-get; installing needs root
# (sudo is used when the script does not run as root). Nothing is installed
# when every package is there already.

# Building and running: compiler, CMake, Qt 6 with its serial port module,
# the translation tools (lupdate, lrelease and their CMake support) with the
# toolkit's own translations, the workbook writer, the MQTT client library and a
# font with Chinese characters. libxkbcommon-dev is only there because Qt's own
# CMake files look for it (without it CMake prints "Could NOT find XKB"); the
# program does not use it.
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-serialport-dev libxkbcommon-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libxlsxwriter-dev qt6-charts-dev libqt6opengl6-dev libmosquitto-dev
  fonts-wqy-microhei
)

# Packaging: dpkg-shlibdeps (dpkg-dev) computes the package's dependencies.
PACKAGE_PACKAGES=(dpkg-dev)

# Testing: GoogleTest, Google Benchmark, clang with libFuzzer for the fuzzers,
# the tools some tests drive (YModem sender, socket relay, workbook reader,
# MQTT broker and subscriber,
# and tshark, which reads link captures with the generated dissector; it is
# installed without asking, as DEBIAN_FRONTEND=noninteractive below sees to),
# and the checkers of the package and of what it installs (lintian, desktop
# entry, AppStream metadata, manual pages, systemd-analyze for the service).
TEST_PACKAGES=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  lrzsz socat python3-openpyxl
  "${PACKAGE_PACKAGES[@]}" lintian desktop-file-utils appstream man-db systemd tshark
  mosquitto mosquitto-clients
)

# The packages a mode needs, one per line.
packages_for() {
  case "$1" in
    run | build) printf '%s\n' "${RUN_PACKAGES[@]}" ;;
    test) printf '%s\n' "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" ;;
    package) printf '%s\n' "${RUN_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" ;;
    *) return 2 ;;
  esac
}

# The given packages that dpkg does not report as installed, one per line.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" || printf '%s\n' "$p"
  done
}

# Installs the packages of a mode that are missing; does nothing (and needs
# neither root nor the mirror) when none is.
install_missing() {
  local missing=()
  mapfile -t missing < <(missing_packages $(packages_for "$1"))
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

main() {
  local mode="${1:-build}"
  local root build
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  build="${PYLVEX_BUILD_DIR:-$root/build}"
  if ! packages_for "$mode" >/dev/null; then
    echo "usage: $0 [run|build|test|package]" >&2
    exit 2
  fi
  install_missing "$mode"

  local args=(-S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  [ "$mode" = test ] && args+=(-DPYLVEX_TESTS=ON)
  # shellcheck disable=SC2086 # PYLVEX_CMAKE_ARGS holds several arguments
  cmake "${args[@]}" ${PYLVEX_CMAKE_ARGS:-}

  case "$mode" in
    run | build)
      cmake --build "$build" --target pylvex pylvex-sim -j2
      echo "Built: $build/src/pylvex and $build/src/pylvex-sim"
      if [ "$mode" = run ]; then
        exec "$build/src/pylvex" --demo
      fi
      ;;
    test)
      cmake --build "$build" -j2
      cd "$build"
      QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
      ;;
    package)
      # The programs and the package's generated files only; cpack installs
      # them under /usr and strips them, whatever the folder's own prefix.
      cmake --build "$build" --target pylvex pylvexctl pylvex-sim package-files -j2
      rm -f "$build"/pylvex_*.deb
      (cd "$build" && cpack --config CPackConfig.cmake)
      echo "Built: $(ls "$build"/pylvex_*.deb)"
      ;;
  esac
}

# Sourcing the script (its test does) defines the functions only.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  main "$@"
fi
