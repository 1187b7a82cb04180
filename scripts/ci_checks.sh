#!/usr/bin/env bash
# The checks CI runs after the test suite. Usage: ci_checks.sh [stage...]
#
#   package  the Debian package from the test build (setup.sh package), then
#         checked, installed and purged again (tests/package/test_deb.sh; root)
#   asan  the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#         (leak checks on) in build-asan/
#   tsan  the link, serial-port and simulated-board tests built with
#         ThreadSanitizer in build-tsan/
#   fuzz  every fuzz target for a bounded time over its committed corpus
#
# Without arguments all four run in that order. Each stage prints its wall
# time; the script stops at the first stage that fails. The builds reuse ccache
# like the main build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${PYLVEX_JOBS:-2}"
FUZZ_SECONDS="${PYLVEX_FUZZ_SECONDS:-15}"
export QT_QPA_PLATFORM=offscreen

configure() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPYLVEX_TESTS=ON "$@" >/dev/null
}

stage_package() {
  local build="${PYLVEX_BUILD_DIR:-$ROOT/build}"
  local start=$SECONDS
  bash "$ROOT/scripts/setup.sh" package
  echo "package: made in $((SECONDS - start)) s"
  bash "$ROOT/tests/package/test_deb.sh" "$build"
}

stage_asan() {
  configure build-asan -DPYLVEX_SANITIZE=ON -DPYLVEX_BENCHES=OFF
  cmake --build "$ROOT/build-asan" -j"$JOBS"
  # The board-upgrade end-to-end program drives whole firmware transfers over a
  # pseudo-terminal in real time; instrumented it outgrows any CI budget, and the
  # protocol sessions it runs are covered under the sanitizers by the unit tests
  # of the upgrade and YModem code.
  (cd "$ROOT/build-asan" && ctest --output-on-failure -j"$JOBS" -LE fuzz -E '^e2e\.test_upgrade_board$')
}

# The tests of the code that runs threads: the board port and its worker (and
# the file sender on top of it), the terminal links, and the simulated board
# with its I/O thread (test_sim_program runs the pylvex-sim program).
tsan_tests() {
  (cd "$ROOT/tests/unit" && ls test_*.cpp) | sed 's/\.cpp$//' |
    grep -E '^test_(boardport|serialbytelink|filesender|link_.*|termserial|port_profile|ymodem|sim_.*)$'
}

stage_tsan() {
  configure build-tsan -DPYLVEX_TSAN=ON
  local targets
  mapfile -t targets < <(tsan_tests)
  cmake --build "$ROOT/build-tsan" -j"$JOBS" --target "${targets[@]}" pylvex-sim
  local pattern
  pattern="^unit\.($(IFS='|' && echo "${targets[*]}"))\$"
  # One test at a time: the port tests time the link, and the instrumented
  # programs run several times slower.
  (cd "$ROOT/build-tsan" &&
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$ROOT/tests/tsan.supp" \
      ctest --output-on-failure -j1 -R "$pattern")
}

stage_fuzz() {
  # Every target PYLVEX_FUZZ_SECONDS long over a copy of its committed corpus
  # (new finds stay in the out folder, never in the repository). The targets
  # are those the test suite's fuzz entries built, so they are not built twice.
  # Without clang with libFuzzer the stage fails: CI must not pass unfuzzed.
  local rc=0
  bash "$ROOT/scripts/fuzz.sh" run "${PYLVEX_BUILD_DIR:-$ROOT/build}/tests/fuzz/clang" "$FUZZ_SECONDS" || rc=$?
  if [ $rc = 77 ]; then
    echo "fuzz: clang with libFuzzer is missing (bash scripts/setup.sh test)" >&2
  fi
  return $rc
}

main() {
  local stages=("$@")
  ((${#stages[@]})) || stages=(package asan tsan fuzz)
  local s start
  for s in "${stages[@]}"; do
    case "$s" in
      package | asan | tsan | fuzz) ;;
      *)
        echo "usage: $0 [package|asan|tsan|fuzz]..." >&2
        exit 2
        ;;
    esac
    echo "== $s"
    start=$SECONDS
    "stage_$s"
    echo "== $s: passed in $((SECONDS - start)) s"
  done
}

main "$@"
