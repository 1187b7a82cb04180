#!/usr/bin/env bash
# Makes the pictures of the window in docs/screenshots/: the live status page,
# the customer control page and the alarm page, at the smallest window size
# (1024 x 700), on the built-in simulated board, offscreen.
#
#   screenshots.sh [en|zh]    (default en)
#
# Builds the picture program in the test build folder (PYLVEX_BUILD_DIR,
# default build/) first; needs what `scripts/setup.sh test` installs.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${PYLVEX_BUILD_DIR:-$root/build}"
language="${1:-en}"
case "$language" in
  en | zh) ;;
  *)
    echo "usage: $0 [en|zh]" >&2
    exit 2
    ;;
esac
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPYLVEX_TESTS=ON >/dev/null
cmake --build "$build" --target pylvex_screenshots -j2
QT_QPA_PLATFORM=offscreen "$build/tests/pylvex_screenshots" "$root/docs/screenshots" "$language"
