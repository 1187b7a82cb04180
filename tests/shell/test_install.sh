#!/usr/bin/env bash
# cmake --install into a temporary prefix: the three programs, the pictures,
# a desktop entry whose program and icons are installed beside it, the
# manual pages, the completion, the AppStream metadata and the capture
# dissector with its tables filled in; the system's own places (the service,
# /etc) only go into the package. The installed programs answer --version
# with the project's version.
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

for f in bin/pylvex bin/pylvexctl bin/pylvex-sim; do
  [ -x "$PREFIX/$f" ] || fail "$f missing"
done
for f in share/man/man1/pylvex.1.gz share/man/man1/pylvexctl.1.gz share/man/man1/pylvex-sim.1.gz \
  share/bash-completion/completions/pylvexctl share/metainfo/org.oramek.Pylvex.metainfo.xml; do
  [ -s "$PREFIX/$f" ] || fail "$f missing"
done
for size in 16 22 24 32 48 64 256; do
  png="$PREFIX/share/icons/hicolor/${size}x${size}/apps/pylvex.png"
  [ -f "$png" ] || fail "icon ${size}x${size} missing"
  # PNG width and height: big-endian at bytes 16 and 20.
  [ "$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{print $3 * 256 + $4, $7 * 256 + $8}')" = "$size $size" ] ||
    fail "icon ${size}x${size} has another size"
done
leaked="$(cd "$PREFIX" && find . -path '*systemd*' -o -path '*/etc/*' -o -path '*/doc/pylvex*' | head -3)"
[ -z "$leaked" ] || fail "the package-only files went into the prefix: $leaked"
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

# The version is the project's, as CMake keeps it.
project="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
[[ $project =~ ^[0-9]+(\.[0-9]+)+$ ]] || fail "no project version in the build folder: '$project'"
for p in "Pylvex:pylvex" "pylvexctl:pylvexctl" "pylvex-sim:pylvex-sim"; do
  version="$(QT_QPA_PLATFORM=offscreen "$PREFIX/bin/${p#*:}" --version)" || fail "installed ${p#*:} --version"
  [ "$version" = "${p%%:*} $project" ] || fail "installed ${p#*:} --version says: $version"
done

if ((failures)); then
  echo "$failures failed"
  exit 1
fi
echo "install: all checks passed"
