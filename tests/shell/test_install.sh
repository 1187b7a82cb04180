#!/usr/bin/env bash
# cmake --install into a temporary prefix: both programs, the pictures, and a
# desktop entry whose program and icon are installed beside it, the capture
# dissector with its tables filled in. The installed
# program finds its pictures and answers --version.
# Usage: test_install.sh <build folder>
set -uo pipefail

BUILD="${1:?build folder}"
PREFIX="$(mktemp -d)"
trap 'rm -rf "$PREFIX"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if [ ! -x "$BUILD/src/pylvex" ] || [ ! -x "$BUILD/src/pylvex-sim" ]; then
  echo "the programs are not built; nothing to install"
  exit 1
fi
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null || fail "cmake --install failed"

for f in bin/pylvex bin/pylvex-sim; do
  [ -x "$PREFIX/$f" ] || fail "$f missing"
done
for k in 0 10 20 30 40 50 60 70 80 90 100; do
  [ -f "$PREFIX/share/pylvex/pic/${k}S.jpg" ] || fail "picture ${k}S.jpg missing"
done
dissector="$PREFIX/share/pylvex/wireshark/pylvex.lua"
[ -f "$dissector" ] || fail "capture dissector missing"
grep -q '^local COMMANDS = {$' "$dissector" || fail "capture dissector: command table not filled in"
! grep -q '@[A-Z_]*@' "$dissector" || fail "capture dissector: a placeholder is left"
desktop="$PREFIX/share/applications/pylvex.desktop"
[ -f "$desktop" ] || fail "desktop entry missing"
field() { grep -m1 "^$1=" "$desktop" | cut -d= -f2-; }
[ "$(field Type)" = Application ] || fail "desktop entry: Type"
[ "$(field Exec)" = pylvex ] || fail "desktop entry: Exec"
[ "$(field Terminal)" = false ] || fail "desktop entry: Terminal"
icon="$(field Icon)"
[ -f "$PREFIX/share/icons/hicolor/128x128/apps/$icon.png" ] || fail "icon $icon missing"
file_type="$(head -c 8 "$PREFIX/share/icons/hicolor/128x128/apps/$icon.png" | od -An -tx1 | tr -d ' \n')"
[ "$file_type" = 89504e470d0a1a0a ] || fail "icon is not a PNG"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi

version="$("$PREFIX/bin/pylvex" --version)" || fail "installed pylvex --version"
[ "$version" = "Pylvex 1.0.1.0" ] || fail "installed pylvex --version says: $version"
version="$("$PREFIX/bin/pylvex-sim" --version)" || fail "installed pylvex-sim --version"
[ "$version" = "pylvex-sim 1.0.1.0" ] || fail "installed pylvex-sim --version says: $version"

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "install: all checks passed"
