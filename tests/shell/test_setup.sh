#!/usr/bin/env bash
# The set-up script's package decision, against a fake dpkg-query that reports
# a chosen set of packages as installed (and every other name, virtual ones
# included, as unknown), with apt-get and sudo replaced by recorders.
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
FAKE="$(mktemp -d)"
trap 'rm -rf "$FAKE"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# dpkg-query -W -f=FORMAT NAME: "install ok installed" for names listed in
# $FAKE/installed, the answer dpkg gives for an unknown name otherwise.
cat >"$FAKE/dpkg-query" <<'EOF'
#!/usr/bin/env bash
name="${!#}"
if grep -qxF "$name" "$FAKE_DIR/installed"; then
  echo "install ok installed"
else
  echo "dpkg-query: no packages found matching $name" >&2
  exit 1
fi
EOF
for tool in apt-get sudo; do
  cat >"$FAKE/$tool" <<EOF
#!/usr/bin/env bash
echo "$tool \$*" >>"\$FAKE_DIR/calls"
[ "$tool" = sudo ] && exec "\$@"
exit 0
EOF
done
chmod +x "$FAKE"/*
export FAKE_DIR="$FAKE"
export PATH="$FAKE:$PATH"

# shellcheck source=../../scripts/setup.sh
source "$ROOT/scripts/setup.sh"

list() { packages_for "$1" | sort; }
installed() { printf '%s\n' "$@" >"$FAKE/installed"; }

# --- the lists
run_list="$(list run)"
test_list="$(list test)"
[ "$(list build)" = "$run_list" ] || fail "build and run need different packages"
for p in qt6-serialport-dev qt6-base-dev libxlsxwriter-dev cmake ninja-build; do
  grep -qxF "$p" <<<"$run_list" || fail "run list lacks $p"
done
for p in googletest libgtest-dev libbenchmark-dev clang libclang-rt-dev lrzsz socat python3-openpyxl; do
  grep -qxF "$p" <<<"$run_list" && fail "run list holds the test package $p"
  grep -qxF "$p" <<<"$test_list" || fail "test list lacks $p"
done
package_list="$(list package)"
grep -qxF dpkg-dev <<<"$package_list" || fail "package list lacks dpkg-dev"
for p in lintian desktop-file-utils appstream man-db systemd; do
  grep -qxF "$p" <<<"$test_list" || fail "test list lacks the package checker $p"
  grep -qxF "$p" <<<"$run_list" && fail "run list holds the package checker $p"
done
missing_from_test="$(comm -23 <(echo "$package_list") <(echo "$test_list"))"
[ -z "$missing_from_test" ] || fail "test list lacks package packages: $missing_from_test"
missing_from_test="$(comm -23 <(echo "$run_list") <(echo "$test_list"))"
[ -z "$missing_from_test" ] || fail "test list lacks run packages: $missing_from_test"
# Names that only other packages provide are never reported installed.
grep -qxF libqt6serialport6-dev <<<"$test_list" && fail "the virtual libqt6serialport6-dev is listed"
packages_for nonsense >/dev/null 2>&1 && fail "an unknown mode has a package list"

# --- the decision
installed $(packages_for test)
[ -z "$(missing_packages $(packages_for test))" ] || fail "everything installed, yet something is missing"
: >"$FAKE/calls"
install_missing test >/dev/null || fail "install_missing failed with nothing to do"
[ -s "$FAKE/calls" ] && fail "apt-get or sudo ran with nothing missing: $(cat "$FAKE/calls")"

installed $(packages_for run)
[ "$(missing_packages $(packages_for run))" = "" ] || fail "run set installed, yet run reports missing packages"
[ "$(missing_packages $(packages_for test) | sort)" = "$(printf '%s\n' "${TEST_PACKAGES[@]}" | sort)" ] ||
  fail "with only the run set installed, test must miss exactly the test packages"
: >"$FAKE/calls"
install_missing run >/dev/null || fail "install_missing run failed"
[ -s "$FAKE/calls" ] && fail "run installed something although its set is complete"

installed $(packages_for run | grep -vxF qt6-serialport-dev | grep -vxF cmake)
: >"$FAKE/calls"
install_missing run >/dev/null || fail "install_missing run failed"
calls="$(grep -v '^sudo ' "$FAKE/calls")"
expected="apt-get update -qq
apt-get install -y -qq --no-install-recommends cmake qt6-serialport-dev"
[ "$calls" = "$expected" ] || fail "unexpected apt-get calls:
$calls"

# --- the real mirror's lists, where this machine has them: every name is a
# real package (a purely virtual name would never show as installed).
# A virtual name has no candidate version of its own. One apt-cache call
# answers for every name: "<name> <candidate>" per line.
candidates() {
  LC_ALL=C apt-cache policy "$@" 2>/dev/null |
    awk '/^[^ ].*:$/ { name = substr($0, 1, length($0) - 1) } /^  Candidate:/ { print name, $2 }'
}
if command -v apt-cache >/dev/null && candidates bash | grep -q '^bash [^(]'; then
  listed="$(candidates $(packages_for test) libqt6serialport6-dev)"
  for p in $(packages_for test); do
    grep -q "^$p [^(]" <<<"$listed" || fail "$p is not a real package of the mirror"
  done
  grep -q '^libqt6serialport6-dev [^(]' <<<"$listed" && fail "the mirror check cannot tell a virtual package"
else
  echo "note: no package lists on this machine; the mirror check is left out"
fi

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "setup.sh package decision: all checks passed"
