#!/usr/bin/env bash
# The Debian package that "scripts/setup.sh package" makes, checked as a user
# gets it: its fields and contents, lintian (no error, and no warning that
# the package's overrides file does not name with a reason), then installed
# with apt-get: the programs answer --version with the package's version, the
# desktop entry, the AppStream metadata, the manual pages, the completion and
# the service are in place and valid; purged again, no file of it is left.
# Installing needs root; CI runs it as root (scripts/ci_checks.sh package).
# Usage: test_deb.sh <build folder>
set -uo pipefail

BUILD="$(cd "${1:?build folder}" && pwd)"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  if ((failures)); then
    echo "$failures failed"
    exit 1
  fi
  echo "package: all checks passed"
  exit 0
}

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
[ -n "$version" ] || {
  echo "no project version in $BUILD/CMakeCache.txt"
  exit 1
}
deb="$BUILD/pylvex_${version}_amd64.deb"
[ -f "$deb" ] || {
  echo "$deb is missing (bash scripts/setup.sh package)"
  exit 1
}

# --- fields
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pylvex ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), the project is $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = electronics ] || fail "Section: $(field Section)"
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"
depends="$(field Depends)"
for lib in libc6 libqt6core6 libqt6widgets6 libqt6serialport6 libqt6charts6 libxlsxwriter qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ "$(field Description | sed -n 2p | wc -c)" -gt 40 ] || fail "the description has no long text"
echo "package file: $(du -k "$deb" | cut -f1) KiB; installed size: $(field Installed-Size) KiB"

# --- contents
contents="$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')"
expected=(
  /usr/bin/pylvex /usr/bin/pylvexctl /usr/bin/pylvex-sim
  /usr/share/applications/pylvex.desktop /usr/share/metainfo/org.oramek.Pylvex.metainfo.xml
  /usr/share/man/man1/pylvex.1.gz /usr/share/man/man1/pylvexctl.1.gz /usr/share/man/man1/pylvex-sim.1.gz
  /usr/share/bash-completion/completions/pylvexctl /usr/share/doc/pylvex/copyright
  /usr/share/doc/pylvex/changelog.gz /usr/share/pylvex/pic/50S.jpg
  /etc/default/pylvexctl-watch
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/pylvex.png")
done
for f in "${expected[@]}"; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
grep -qE '^/(usr/)?lib/systemd/system/pylvexctl-watch@\.service$' <<<"$contents" || fail "the package lacks the service"
grep -q '^/usr/local' <<<"$contents" && fail "the package installs under /usr/local"
grep -q "^/usr/share/doc/pylvex/changelog.gz" <<<"$contents" &&
  ! dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/pylvex/changelog.gz | gzip -dc | head -1 | grep -qF "pylvex ($version)" &&
  fail "the changelog's first entry is not $version"

# --- lintian: errors fail; a warning fails unless overridden (with a reason)
if ! command -v lintian >/dev/null; then
  fail "lintian is missing (bash scripts/setup.sh test)"
else
  echo "lintian $deb:"
  lintian --fail-on error,warning --display-level '>=warning' --show-overrides "$deb" >/tmp/pylvex-lintian.log 2>&1
  rc=$?
  lint="$(grep -v 'running with root privileges' /tmp/pylvex-lintian.log)"
  echo "${lint:-(nothing)}" | sed 's/^/  /'
  ((rc == 0)) || fail "lintian reports errors or warnings that are not overridden"
fi
# The overrides the package carries (packaging/lintian-overrides, installed
# once it holds one), each with its reason.
overrides="$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/lintian/overrides/pylvex 2>/dev/null)"
previous=""
while IFS= read -r line; do
  if [[ -n $line && $line != \#* && $previous != \#* ]]; then
    fail "the lintian override '$line' has no reason on the line before it"
  fi
  previous="$line"
done <<<"$overrides"

# --- install, use, purge
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing the package needs root (CI runs this as root)"
  finish
fi
export DEBIAN_FRONTEND=noninteractive
if dpkg-query -W -f='${Status}' pylvex 2>/dev/null | grep -q installed; then
  echo "note: pylvex was installed before the test; purging it first"
  apt-get purge -y -qq pylvex >/dev/null
fi
if ! apt-get install -y -qq --no-install-recommends "$deb" >/tmp/pylvex-apt.log 2>&1; then
  cat /tmp/pylvex-apt.log
  fail "apt-get install $deb failed"
  finish
fi
mapfile -t owned < <(dpkg -L pylvex)
((${#owned[@]} > 20)) || fail "dpkg -L lists only ${#owned[@]} paths"

[ "$(/usr/bin/pylvexctl --version)" = "pylvexctl $version" ] || fail "pylvexctl --version: $(/usr/bin/pylvexctl --version)"
[ "$(/usr/bin/pylvex-sim --version)" = "pylvex-sim $version" ] || fail "pylvex-sim --version: $(/usr/bin/pylvex-sim --version)"
[ "$(QT_QPA_PLATFORM=offscreen /usr/bin/pylvex --version)" = "Pylvex $version" ] ||
  fail "pylvex --version: $(QT_QPA_PLATFORM=offscreen /usr/bin/pylvex --version)"
desktop-file-validate /usr/share/applications/pylvex.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/org.oramek.Pylvex.metainfo.xml || fail "appstreamcli validate"
for page in pylvex pylvexctl pylvex-sim; do
  [ "$(man -w "$page" 2>&1)" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
done
mandb -q /usr/share/man 2>/dev/null
listed="$(man -k pylvex 2>/dev/null)"
for page in pylvex pylvexctl pylvex-sim; do
  grep -q "^$page (1)" <<<"$listed" || fail "man -k pylvex does not list $page(1): $listed"
done
# The installed completion completes the installed program.
got="$(bash -c 'source /usr/share/bash-completion/completions/pylvexctl
  COMP_WORDS=(pylvexctl params get cell_ov_p); COMP_CWORD=3; _pylvexctl; echo "${COMPREPLY[*]}"')"
[ "$got" = cell_ov_protect_mv ] || fail "the installed completion gives '$got' for 'pylvexctl params get cell_ov_p'"
unit="$(grep -E '/systemd/system/pylvexctl-watch@\.service$' <<<"$(printf '%s\n' "${owned[@]}")")"
out="$(cd "$(dirname "$unit")" && systemd-analyze verify pylvexctl-watch@ttyUSB0.service 2>&1)" ||
  fail "systemd-analyze verify of the installed unit: $out"
[ -z "$out" ] || fail "systemd-analyze verify warns about the installed unit: $out"
dpkg-query -W -f='${Conffiles}\n' pylvex | grep -q '^ /etc/default/pylvexctl-watch ' ||
  fail "/etc/default/pylvexctl-watch is not a conffile"

apt-get purge -y -qq pylvex >/dev/null 2>&1 || fail "apt-get purge pylvex failed"
dpkg-query -W -f='${Status}' pylvex 2>/dev/null | grep -q installed && fail "pylvex is still installed"
left=0
for path in "${owned[@]}"; do
  [ -d "$path" ] && continue # shared folders (/usr/bin) stay
  if [ -e "$path" ] || [ -L "$path" ]; then
    fail "$path is left after the purge"
    left=$((left + 1))
  fi
done
for folder in /usr/share/pylvex /usr/share/doc/pylvex; do
  [ -e "$folder" ] && fail "$folder is left after the purge"
done
echo "installed ${#owned[@]} paths; after the purge $left files are left"
finish
