#!/usr/bin/env bash
# Builds the calculator fuzzer with clang (libFuzzer, ASan, UBSan) into its own
# folder and runs it for a while. Usage: fuzz_calc.sh <out-dir> [seconds]
# Exit 77 (skipped) when clang with libFuzzer is not available.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:-$ROOT/build/fuzz}"
SECONDS_RUN="${2:-8}"
CXX="${FUZZ_CXX:-clang++}"
TARGET=fuzz_calculator

if ! command -v "$CXX" >/dev/null 2>&1; then
  echo "fuzz: $CXX not found; install clang and libclang-rt-dev (scripts/setup.sh). Skipping."
  exit 77
fi
mkdir -p "$OUT"
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long){return 0;}' |
  "$CXX" -x c++ -fsanitize=fuzzer - -o "$OUT/probe_calc" 2>/dev/null; then
  echo "fuzz: $CXX cannot link libFuzzer (libclang-rt-dev missing?). Skipping."
  exit 77
fi

srcs=("$ROOT/tests/fuzz/$TARGET.cpp" "$ROOT/src/protocol/calculator.cpp")
stale=0
for f in "${srcs[@]}" "$ROOT/src/protocol/calculator.h"; do
  [ "$f" -nt "$OUT/$TARGET" ] && stale=1
done
if [ ! -x "$OUT/$TARGET" ] || [ $stale = 1 ]; then
  "$CXX" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$ROOT/src" "${srcs[@]}" -o "$OUT/$TARGET"
fi

corpus="$OUT/corpus_$TARGET"
mkdir -p "$corpus"
echo "fuzz: running $TARGET for ${SECONDS_RUN}s"
rc=0
(cd "$OUT" && "./$TARGET" -max_total_time="$SECONDS_RUN" -max_len=4096 -timeout=5 -print_final_stats=1 \
   -rss_limit_mb=1024 "$corpus" >"$OUT/$TARGET.log" 2>&1) || rc=$?
grep -E "stat::number_of_executed_units|^Done|ERROR|SUMMARY|Test unit written" "$OUT/$TARGET.log" || true
if [ $rc != 0 ]; then
  echo "fuzz: $TARGET failed (exit $rc); see $OUT/$TARGET.log"
  exit 1
fi
