#!/usr/bin/env bash
# The bash completion of pylvexctl, driven as bash drives it (COMP_WORDS,
# COMP_CWORD, the function "complete -p" names) against the built program:
# subcommands, verbs, options, parameter keys of each kind, device names.
# Usage: test_completion.sh <build folder>
set -uo pipefail

BUILD="$(cd "${1:?build folder}" && pwd)"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
CTL="$BUILD/src/pylvexctl"
[ -x "$CTL" ] || {
  echo "$CTL is not built"
  exit 1
}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# shellcheck source=../../packaging/pylvexctl.bash-completion
source "$ROOT/packaging/pylvexctl.bash-completion"
registered="$(complete -p pylvexctl)" || fail "no completion registered for pylvexctl"
function="$(sed -n 's/.*-F \([^ ]*\) .*/\1/p' <<<"$registered")"
[ -n "$function" ] || fail "the completion names no function: $registered"

# complete WORD...: the completions of the last word, one per line, sorted.
complete_words() {
  COMP_WORDS=("$CTL" "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function" pylvexctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}
expect() {
  local want="$1" got
  shift
  got="$(complete_words "$@")"
  [ "$got" = "$want" ] || fail "pylvexctl $* <TAB>: expected [$(tr "\n" " " <<<"$want")], got [$(tr "\n" " " <<<"$got")]"
}
sorted() { printf '%s\n' "$@" | LC_ALL=C sort; }
keys() { "$CTL" --list-keys "$1" | LC_ALL=C sort; }

readable="$(keys readable)"
writable="$(keys writable)"
stored="$(keys stored)"
for kind in readable writable stored; do
  [ "$(wc -l <<<"${!kind}")" -ge 10 ] || fail "pylvexctl --list-keys $kind lists too few keys"
done
grep -qx clear_records <<<"$readable" && fail "clear_records cannot be read, yet it is a readable key"
grep -qx wake_source <<<"$writable" && fail "wake_source cannot be written, yet it is a writable key"

# Subcommands and their verbs.
expect params pa
expect "$(sorted ports status watch params profile clock log records upgrade)" ""
expect "$(sorted params ports profile)" --port /dev/ttyUSB0 p
expect "$(sorted get set)" params ""
expect "$(sorted save diff apply)" profile ""
expect "$(sorted alarm protection)" --json log ""
expect "" status ""
# Parameter keys: readable for get, writable with "=" for set, stored for --only.
expect "$readable" params get ""
expect "$(grep '^cell_ov' <<<"$readable")" --json params get cell_ov
expect "$(sed 's/$/=/' <<<"$writable")" params set ""
expect "$stored" profile apply golden.json --only ""
expect "$(grep '^cell_uv' <<<"$stored" | sed 's/^/cell_ov_alarm_mv,/')" profile apply f.json --only cell_ov_alarm_mv,cell_uv
# Options: the common ones everywhere, a subcommand's own after it; values.
expect "$(sorted --every)" watch --ev
expect "$(sorted --dry-run)" profile apply f.json --dr
expect "$(sorted --secondary)" --sec
expect "" status --dry
expect "$(sorted raw wrapped)" upgrade fw.bin --ymodem ""
expect "" watch --every ""

# Files for the options whose value is a file, and for a profile (a name
# with a space stays one word).
files="$(mktemp -d)"
trap 'rm -rf "$files"' EXIT
touch "$files/pack-a.csv" "$files/pack-b.json" "$files/pack- c.csv" "$files/other"
expect "$(sorted "$files/pack-a.csv" "$files/pack-b.json" "$files/pack- c.csv")" watch --csv "$files/pack-"
expect "$(sorted "$files/pack-a.csv" "$files/pack-b.json" "$files/pack- c.csv")" records --xlsx "$files/pack-"
expect "$(sorted "$files/pack-a.csv" "$files/pack-b.json" "$files/pack- c.csv")" profile diff "$files/pack-"

# Device names: what is there under /dev, as names or as paths.
names=""
paths=""
for d in /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/ttyAMA* /dev/rfcomm*; do
  [ -e "$d" ] || continue
  names+="${d#/dev/}"$'\n'
done
for d in /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/ttyAMA* /dev/rfcomm* /dev/serial/by-id/* /dev/pts/[0-9]*; do
  [ -e "$d" ] && paths+="$d"$'\n'
done
expect "$(printf '%s' "$names" | LC_ALL=C sort)" --port ""
expect "$(printf '%s' "$paths" | grep '^/dev/pts/' | LC_ALL=C sort)" --port /dev/pts/
if [ -z "$names" ]; then
  echo "note: no serial device on this machine; the name list was checked empty"
fi

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "pylvexctl completion: all checks passed"
