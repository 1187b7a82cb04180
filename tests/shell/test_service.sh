#!/usr/bin/env bash
# The recorder service's unit: systemd-analyze verify accepts it (with the
# programs it names replaced by the built ones), and what the unit promises is
# in it: the template's device, a state folder for the daily files, an
# unprivileged user in dialout, a restart after a failure, the options file.
# Usage: test_service.sh <build folder>
set -uo pipefail

BUILD="$(cd "${1:?build folder}" && pwd)"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
UNIT="$ROOT/packaging/pylvexctl-watch@.service"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

field() { sed -n "s/^$1=//p" "$UNIT"; }
[ "$(field DynamicUser)" = yes ] || fail "the service does not run as a user of its own"
[ "$(field SupplementaryGroups)" = dialout ] || fail "the service's user is not in dialout"
[ "$(field StateDirectory)" = "pylvexctl-watch/%i" ] || fail "no state folder per device"
[ "$(field Restart)" = on-failure ] || fail "no restart after a failure"
[ "$(field EnvironmentFile)" = -/etc/default/pylvexctl-watch ] || fail "no options file"
grep -q '^ExecStart=/usr/bin/pylvexctl --port /dev/%I .* watch --csv ${STATE_DIRECTORY}' "$UNIT" ||
  fail "ExecStart does not record /dev/<instance> into the state folder"
for key in User Group; do
  [ -z "$(field $key)" ] || fail "$key= is set; the dynamic user is meant"
done
grep -q '^WantedBy=multi-user.target' "$UNIT" || fail "the service cannot be enabled for the start of the system"

# The options file sets the variables ExecStart uses, and nothing else.
default="$ROOT/packaging/pylvexctl-watch.default"
for v in $(grep -o '\$[A-Z_]*' "$UNIT" | tr -d '$' | sort -u); do
  [ "$v" = STATE_DIRECTORY ] && continue
  grep -q "^$v=" "$default" || fail "$default does not set $v"
done
(set -a && . "$default" && "$BUILD/src/pylvexctl" --port /dev/null $PYLVEXCTL_OPTIONS watch $PYLVEXCTL_WATCH_OPTIONS --help >/dev/null) ||
  fail "pylvexctl refuses the options of $default"

if ! command -v systemd-analyze >/dev/null; then
  fail "systemd-analyze is missing (bash scripts/setup.sh test installs it)"
else
  # verify checks the program it starts, so the copy names the built one.
  sed "s|/usr/bin/pylvexctl|$BUILD/src/pylvexctl|" "$UNIT" >"$WORK/pylvexctl-watch@.service"
  printf '[Service]\nExecStart=/bin/true\n' >"$WORK/pylvex-probe.service"
  if ! systemd-analyze verify --man=no "$WORK/pylvex-probe.service" >/dev/null 2>&1; then
    if [ -d /run/systemd/system ]; then
      fail "systemd-analyze verify refuses even a trivial unit"
    else
      echo "SKIPPED: systemd is not the running init here and systemd-analyze verify does not work without it;"
      echo "         the unit was not verified"
    fi
  else
    # The documentation it names is checked where the pages are installed (the package test).
    out="$(cd "$WORK" && systemd-analyze verify --man=no "pylvexctl-watch@ttyUSB0.service" 2>&1)" ||
      fail "systemd-analyze verify: $out"
    [ -z "$out" ] || fail "systemd-analyze verify warns: $out"
    # A broken unit is told apart (the check is not blind).
    sed 's/^Restart=on-failure/Restart=sometimes/' "$WORK/pylvexctl-watch@.service" >"$WORK/broken@.service"
    bad="$(cd "$WORK" && systemd-analyze verify --man=no "broken@ttyUSB0.service" 2>&1)"
    [ -n "$bad" ] || fail "systemd-analyze verify saw nothing wrong with Restart=sometimes"
  fi
fi

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "recorder service: all checks passed"
