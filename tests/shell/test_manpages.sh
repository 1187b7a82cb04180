#!/usr/bin/env bash
# The manual pages against the programs: every option a program's --help
# lists (and every subcommand's, for pylvexctl) is described in its page,
# every subcommand and parameter key of pylvexctl is there, no page names an
# option the program does not take, and man renders each page without a
# warning. A failure names what to add to which page.
# Usage: test_manpages.sh <build folder>
set -uo pipefail

BUILD="$(cd "${1:?build folder}" && pwd)"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SRC="$ROOT/packaging/man"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

for p in pylvex pylvexctl pylvex-sim; do
  if [ ! -x "$BUILD/src/$p" ]; then
    echo "$BUILD/src/$p is not built"
    exit 1
  fi
done

# The page's text without its font and hyphen escapes, one roff line per line.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(em/--/g' "$1"; }
# The lines of one section (.SH NAME up to the next .SH).
section() { plain "$1" | awk -v name="$2" '/^\.SH / { on = ($0 == ".SH " name) ; next } on'; }
# Option names in a help text: -x and --long-name, not part of a longer word.
options_in() { grep -oP '(?<![\w-])--?[A-Za-z][\w-]*' | LC_ALL=C sort -u; }
# Whether the page's text holds the option as a word of its own.
page_has() { grep -qP -- "(?<![\\w-])\\Q$2\\E(?![\\w-])" <<<"$1"; }

reported=" "
# check_options PAGE HELP-COMMAND...: every option that command's help lists
# is in the page.
check_options() {
  local page="$1" text help opt
  shift
  text="$(plain "$SRC/$page.1")"
  help="$("$@" 2>&1)" || fail "'${*#"$BUILD/src/"}' failed"
  [ -n "$help" ] || fail "'$*' printed no help"
  while read -r opt; do
    [ -n "$opt" ] || continue
    page_has "$text" "$opt" && continue
    [[ $reported == *" $page:$opt "* ]] && continue # once, at the first help that lists it
    reported+=" $page:$opt "
    fail "$page(1) lacks $opt, which '$(basename "$1") ${*:2}' lists: describe it in packaging/man/$page.1"
  done < <(options_in <<<"$help")
}

# check_known PAGE SECTION... -- HELP-COMMAND...: every option the page's
# sections name is one the program's help lists (a removed option leaves the page).
all_help=""
check_known() {
  local page="$1" opt sections=()
  shift
  while [ "$1" != -- ]; do
    sections+=("$1")
    shift
  done
  for s in "${sections[@]}"; do
    while read -r opt; do
      [ -n "$opt" ] || continue
      grep -qxF -- "$opt" <<<"$all_help" ||
        fail "$page(1) describes $opt in $s, which no --help of the program lists: remove it or add it to the program"
    done < <(section "$SRC/$page.1" "$s" | grep -v '^\.\(TH\|SH\)' | options_in)
  done
}

# --- pylvex and pylvex-sim
check_options pylvex "$BUILD/src/pylvex" --help
all_help="$("$BUILD/src/pylvex" --help | options_in)"
check_known pylvex SYNOPSIS OPTIONS --
check_options pylvex-sim "$BUILD/src/pylvex-sim" --help
all_help="$("$BUILD/src/pylvex-sim" --help | options_in)"
check_known pylvex-sim SYNOPSIS OPTIONS --

# --- pylvexctl: the program's help, each subcommand's, the keys
ctl="$BUILD/src/pylvexctl"
commands="$("$ctl" --help | sed -n 's/^  \([a-z][a-z]*\)  *[^ ].*$/\1/p')"
[ "$(wc -w <<<"$commands")" -ge 5 ] || fail "pylvexctl --help lists too few subcommands: $commands"
check_options pylvexctl "$ctl" --help
all_help="$("$ctl" --help | options_in)"
subcommands="$(section "$SRC/pylvexctl.1" SUBCOMMANDS)"
for c in $commands; do
  check_options pylvexctl "$ctl" "$c" --help
  all_help="$(printf '%s\n%s\n' "$all_help" "$("$ctl" "$c" --help | options_in)")"
  grep -qP "^(\\.[BI]R? )?$c(?![\\w-])" <<<"$subcommands" ||
    fail "pylvexctl(1) has no entry for the subcommand '$c' under SUBCOMMANDS"
done
check_known pylvexctl SYNOPSIS SUBCOMMANDS OPTIONS --
keys_section="$(section "$SRC/pylvexctl.1" "PARAMETER KEYS")"
all_keys=""
for kind in readable writable; do
  keys="$("$ctl" --list-keys "$kind")" || fail "pylvexctl --list-keys $kind failed"
  [ "$(wc -w <<<"$keys")" -ge 10 ] || fail "pylvexctl --list-keys $kind lists too few keys"
  all_keys+="$keys"$'\n'
done
for k in $(LC_ALL=C sort -u <<<"$all_keys"); do
  grep -qx "\\.B $k" <<<"$keys_section" || fail "pylvexctl(1) lacks the parameter key $k under PARAMETER KEYS"
done

# --- the pages as built (version filled in) render without a warning
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
for page in pylvex pylvexctl pylvex-sim; do
  built="$BUILD/packaging/man/$page.1"
  [ -f "$built" ] || {
    fail "$built is not built"
    continue
  }
  grep -q '@[A-Z_]*@' "$built" && fail "$built keeps a placeholder"
  grep -q "^\\.TH .*\"Pylvex $version\"" "$built" || fail "$page(1) does not carry the version $version"
  for s in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" "SEE ALSO"; do
    grep -qx "\\.SH $s" "$built" || fail "$page(1) has no $s section"
  done
  warnings="$(MANWIDTH=80 man --warnings -l "$built" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "man warns about $page(1): $warnings"
done
for s in ENVIRONMENT FILES EXAMPLES; do
  grep -qx "\\.SH $s" "$SRC/pylvexctl.1" || fail "pylvexctl(1) has no $s section"
done
section "$SRC/pylvexctl.1" ENVIRONMENT | grep -q PYLVEX_PASSWORD || fail "pylvexctl(1) does not name PYLVEX_PASSWORD"

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "manual pages: all checks passed"
