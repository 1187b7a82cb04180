#!/usr/bin/env bash
# The fuzz targets of tests/fuzz, built with clang (libFuzzer, ASan, UBSan)
# from the project tests/fuzz/clang into their own folder, with ccache.
#
#   fuzz.sh build   <out>                      build every target
#   fuzz.sh run     <out> [seconds] [target..] fuzz each target for a while over a
#                                              copy of its committed corpus in <out>
#   fuzz.sh regress <out> [target...]          run each target once over every input
#                                              of its committed corpus
#   fuzz.sh cov     <out> [source...]          line coverage of the sources (default
#                                              src/protocol/framer.cpp) reached by the
#                                              committed corpora, through llvm-cov
#
# New finds stay in <out>; the committed corpora are only read. Exit 77
# (skipped) when clang with libFuzzer is not available.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
MODE="${1:-}"
OUT="${2:-$ROOT/build-fuzz}"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
CXX="${FUZZ_CXX:-clang++}"
JOBS="${PYLVEX_JOBS:-2}"
FUZZ_DIR="$ROOT/tests/fuzz"

# Each target with the longest input its format needs.
declare -A MAX_LEN=(
  [fuzz_framer_stream]=1200   # a few buffers' worth of a stream, cuts and quiet places
  [fuzz_framer_frames]=1200
  [fuzz_framer_corners]=700   # options, then a body repeated past the 4096-byte buffer
  [fuzz_calculator]=256       # an expression typed into one edit box
  [fuzz_status]=300           # one frame's data (at most 255 bytes) and a selector
  [fuzz_answers]=300
  [fuzz_upgrade]=1200         # an image of a few blocks and the board's answers
  [fuzz_sim]=1500             # a session of requests
  [fuzz_files]=2048           # a measured-parameter or password file
  [fuzz_replay]=2048          # a capture of a few requests and answers
)
TARGETS=(fuzz_framer_stream fuzz_framer_frames fuzz_framer_corners fuzz_calculator fuzz_status fuzz_answers
  fuzz_upgrade fuzz_sim fuzz_files fuzz_replay)

usage() {
  sed -n '2,16p' "$0" >&2
  exit 2
}

check_clang() {
  if ! command -v "$CXX" >/dev/null 2>&1; then
    echo "fuzz: $CXX not found; install clang and libclang-rt-dev (scripts/setup.sh). Skipping."
    exit 77
  fi
  mkdir -p "$OUT"
  if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long){return 0;}' |
    "$CXX" -x c++ -fsanitize=fuzzer - -o "$OUT/probe" 2>/dev/null; then
    echo "fuzz: $CXX cannot link libFuzzer (libclang-rt-dev missing?). Skipping."
    exit 77
  fi
}

# build <dir> [cmake options...]
build() {
  local dir="$1"
  shift
  # Configured each time: a target whose source appeared since is picked up.
  cmake -S "$FUZZ_DIR/clang" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$CXX" "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS" >/dev/null 2>"$dir/ninja.err" || {
    cat "$dir/ninja.err" >&2
    cmake --build "$dir" -j1 # shows the failing command
    return 1
  }
}

options_of() {
  local t="$1"
  local opts=(-max_len="${MAX_LEN[$t]}" -timeout=10 -rss_limit_mb=2048 -error_exitcode=1 -timeout_exitcode=1)
  local dict="$FUZZ_DIR/$t.dict"
  [[ $t == fuzz_framer_* ]] && dict="$FUZZ_DIR/framer.dict"
  [ -f "$dict" ] && opts+=(-dict="$dict")
  printf '%s\n' "${opts[@]}"
}

targets_or_all() {
  if (($#)); then printf '%s\n' "$@"; else printf '%s\n' "${TARGETS[@]}"; fi
}

mode_run() {
  local seconds="${1:-15}"
  shift || true
  local status=0 t rc opts
  for t in $(targets_or_all "$@"); do
    local corpus="$OUT/corpus/$t"
    mkdir -p "$corpus"
    [ -d "$FUZZ_DIR/corpus/$t" ] && cp -n "$FUZZ_DIR/corpus/$t"/* "$corpus"/ 2>/dev/null || true
    mapfile -t opts < <(options_of "$t")
    rc=0
    (cd "$OUT" && "./bin/$t" "${opts[@]}" -max_total_time="$seconds" -print_final_stats=1 "$corpus" \
      >"$OUT/$t.log" 2>&1) || rc=$?
    printf 'fuzz: %-20s %s\n' "$t" "$(grep -E '^#[0-9]+[[:space:]]+DONE' "$OUT/$t.log" | tail -1 | tr -s ' \t' ' ')"
    if [ $rc != 0 ]; then
      grep -E "ERROR|check failed|SUMMARY|Test unit written" "$OUT/$t.log" || true
      echo "fuzz: $t failed (exit $rc); see $OUT/$t.log"
      status=1
    fi
  done
  return $status
}

mode_regress() {
  local status=0 t rc opts
  for t in $(targets_or_all "$@"); do
    if [ ! -d "$FUZZ_DIR/corpus/$t" ]; then
      echo "fuzz: $t has no committed corpus"
      status=1
      continue
    fi
    mapfile -t opts < <(options_of "$t")
    rc=0
    (cd "$OUT" && "./bin/$t" "${opts[@]}" -runs=0 "$FUZZ_DIR/corpus/$t" >"$OUT/$t.regress.log" 2>&1) || rc=$?
    echo "fuzz: $t over $(ls "$FUZZ_DIR/corpus/$t" | wc -l) committed inputs: $([ $rc = 0 ] && echo passed || echo FAILED)"
    if [ $rc != 0 ]; then
      grep -E "ERROR|check failed|SUMMARY|Running:" "$OUT/$t.regress.log" | tail -5 || true
      status=1
    fi
  done
  return $status
}

mode_cov() {
  local sources=("$@")
  ((${#sources[@]})) || sources=(src/protocol/framer.cpp)
  local dir="$OUT/cov"
  build "$dir" -DPYLVEX_FUZZ_COVERAGE=ON -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$dir/bin"
  rm -f "$dir"/*.profraw
  local t objects=()
  for t in "${TARGETS[@]}"; do
    [ -d "$FUZZ_DIR/corpus/$t" ] || continue
    (cd "$dir" && LLVM_PROFILE_FILE="$dir/$t.profraw" "./bin/$t" -runs=0 "$FUZZ_DIR/corpus/$t" >/dev/null 2>&1)
    objects+=(-object "$dir/bin/$t")
  done
  llvm-profdata merge -sparse "$dir"/*.profraw -o "$dir/all.profdata"
  # ccache hands the compiler paths relative to the build folder, and the
  # coverage mapping keeps them so; they are mapped back onto the sources.
  local files=() equiv
  equiv="-path-equivalence=$dir/$(realpath --relative-to="$dir" "$ROOT"),$ROOT"
  for s in "${sources[@]}"; do files+=("$ROOT/$s"); done
  llvm-cov report 2>/dev/null "${objects[@]:1}" -instr-profile="$dir/all.profdata" "$equiv" "${files[@]}"
  llvm-cov show 2>/dev/null "${objects[@]:1}" -instr-profile="$dir/all.profdata" "$equiv" "${files[@]}" \
    >"$dir/lines.txt"
  echo "fuzz: lines never run (count 0):"
  grep -E '^ +[0-9]+\| +0\|' "$dir/lines.txt" || echo "  none"
}

[ -n "$MODE" ] || usage
check_clang
case "$MODE" in
  build) build "$OUT" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$OUT/bin" ;;
  run)
    build "$OUT" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$OUT/bin"
    shift 2
    mode_run "$@"
    ;;
  regress)
    # ctest builds once before the per-target runs; building here too would
    # run two builds in one folder at the same time.
    [ -d "$OUT/bin" ] || build "$OUT" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$OUT/bin"
    shift 2
    mode_regress "$@"
    ;;
  cov)
    shift 2
    mode_cov "$@"
    ;;
  *) usage ;;
esac
