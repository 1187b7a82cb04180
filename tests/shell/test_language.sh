#!/usr/bin/env bash
# The command-line texts follow the locale, and --lang overrides it, in all
# three programs: help in English for an English locale, in Chinese for a
# Chinese one; a bad --lang is a usage error.
# Usage: test_language.sh <build folder>
set -uo pipefail

BUILD="${1:?build folder}"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
has_han() { grep -qP '[\x{4e00}-\x{9fff}]'; }

# Runs a program with only the given locale variables set; standard output.
run_in() {
  local locale="$1"
  shift
  env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$locale" QT_QPA_PLATFORM=offscreen "$@" 2>/dev/null
}

for program in pylvexctl pylvex-sim pylvex; do
  bin="$BUILD/src/$program"
  if [ ! -x "$bin" ]; then
    fail "$program is not built"
    continue
  fi
  english="$(run_in en_US.UTF-8 "$bin" --help)"
  [ -n "$english" ] || fail "$program --help printed nothing"
  if has_han <<<"$english"; then
    fail "$program --help under LANG=en_US.UTF-8 holds Chinese: $(printf '%s' "$english" | grep -P '[\x{4e00}-\x{9fff}]' | head -3)"
  fi
  grep -q 'Usage' <<<"$english" || fail "$program --help under LANG=en_US.UTF-8 has no 'Usage'"

  chinese="$(run_in zh_CN.UTF-8 "$bin" --help)"
  grep -q '用法\|模拟保护板' <<<"$chinese" || fail "$program --help under LANG=zh_CN.UTF-8 is not Chinese"

  overridden="$(run_in zh_CN.UTF-8 "$bin" --lang en --help)"
  if has_han <<<"$overridden"; then
    fail "$program --lang en --help under a Chinese locale holds Chinese"
  fi
  # LANGUAGE outranks LANG unless the locale is plain C.
  listed="$(env -u LC_ALL -u LC_MESSAGES LANG=en_US.UTF-8 LANGUAGE=zh_CN:en "$bin" --help 2>/dev/null)"
  has_han <<<"$listed" || fail "$program --help with LANGUAGE=zh_CN:en is not Chinese"

  run_in en_US.UTF-8 timeout 20 "$bin" --lang fr >/dev/null
  code=$?
  [ "$code" -eq 2 ] || fail "$program --lang fr exited $code, not 2"
  message="$(env -u LANGUAGE -u LC_ALL LANG=en_US.UTF-8 "$bin" --lang fr 2>&1 >/dev/null)"
  grep -q -- '--lang' <<<"$message" || fail "$program --lang fr: no message naming --lang"
done

# pylvexctl takes --lang before the subcommand as well as after it.
for args in "--lang en status --help" "status --lang en --help" "--lang=en status --help"; do
  # shellcheck disable=SC2086 # the words of args are the arguments
  text="$(run_in zh_CN.UTF-8 "$BUILD/src/pylvexctl" $args)"
  code=$?
  [ "$code" -eq 0 ] || fail "pylvexctl $args exited $code, not 0"
  grep -q 'Usage' <<<"$text" || fail "pylvexctl $args gave no English help"
  if has_han <<<"$text"; then
    fail "pylvexctl $args under a Chinese locale holds Chinese"
  fi
done

# pylvexctl's usage errors keep their exit code in either language.
for locale in en_US.UTF-8 zh_CN.UTF-8; do
  run_in "$locale" "$BUILD/src/pylvexctl" no-such-command >/dev/null
  code=$?
  [ "$code" -eq 2 ] || fail "pylvexctl no-such-command under $locale exited $code, not 2"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "the programs' help follows the locale and --lang"
