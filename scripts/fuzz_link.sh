#!/usr/bin/env bash
# Builds the framer fuzzers with clang (libFuzzer, ASan, UBSan) into their own
# folder and runs each for a while. Usage: fuzz_link.sh <out-dir> [seconds-each]
# Exit 77 (skipped) when clang with libFuzzer is not available.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:-$ROOT/build/fuzz}"
SECONDS_EACH="${2:-8}"
CXX="${FUZZ_CXX:-clang++}"

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

SOURCES=(framer frame frame_queue user_list dassert)
FLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$ROOT/src" -I"$ROOT/tests/fuzz")
for target in fuzz_framer_stream fuzz_framer_frames; do
  srcs=("$ROOT/tests/fuzz/$target.cpp")
  for s in "${SOURCES[@]}"; do srcs+=("$ROOT/src/protocol/$s.cpp"); done
  stale=0
  for f in "${srcs[@]}" "$ROOT"/tests/fuzz/*.h "$ROOT"/src/protocol/*.h; do
    [ "$f" -nt "$OUT/$target" ] && stale=1
  done
  if [ ! -x "$OUT/$target" ] || [ $stale = 1 ]; then
    "$CXX" "${FLAGS[@]}" "${srcs[@]}" -o "$OUT/$target"
  fi
done

status=0
for target in fuzz_framer_stream fuzz_framer_frames; do
  corpus="$OUT/corpus_$target"
  mkdir -p "$corpus"
  echo "fuzz: running $target for ${SECONDS_EACH}s"
  rc=0
  (cd "$OUT" && "./$target" -max_total_time="$SECONDS_EACH" -max_len=2048 -print_final_stats=1 \
     -rss_limit_mb=1024 "$corpus" >"$OUT/$target.log" 2>&1) || rc=$?
  grep -E "stat::number_of_executed_units|^Done|ERROR|check failed|SUMMARY|Test unit written" "$OUT/$target.log" || true
  if [ $rc != 0 ]; then
    echo "fuzz: $target failed (exit $rc); see $OUT/$target.log"
    status=1
  fi
done
exit $status
