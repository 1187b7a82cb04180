#!/usr/bin/env bash
# Refreshes the translations from the sources with Qt's lupdate.
#
#   update_translations.sh          brings translations/pylvex_en.ts up to date:
#                                   new texts are added (unfinished), texts no
#                                   longer in the sources are dropped
#   update_translations.sh --check  changes nothing; fails, listing them, when
#                                   a text of the sources has no finished
#                                   translation or the file holds a text the
#                                   sources no longer have
#
# The texts are written in Chinese; the tables of the protocol layer mark
# theirs with PYLVEX_TR_NOOP (QT_TRANSLATE_NOOP's twin without Qt). After
# adding texts: run this script, translate the new entries (Qt Linguist, or
# any editor: fill in <translation> and drop type="unfinished"), keeping to
# translations/glossary.md, and commit the .ts file.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ts="$root/translations/pylvex_en.ts"

find_lupdate() {
  local c
  for c in "${LUPDATE:-}" /usr/lib/qt6/bin/lupdate "$(command -v lupdate6 || true)" "$(command -v lupdate || true)"; do
    [ -n "$c" ] && [ -x "$c" ] && { echo "$c"; return 0; }
  done
  echo "lupdate not found: install qt6-l10n-tools (scripts/setup.sh build)" >&2
  return 1
}

# lupdate over the sources into the given .ts file; extra arguments follow.
run_lupdate() {
  local out="$1"
  shift
  (cd "$root" && "$(find_lupdate)" -silent -recursive -extensions cpp,h \
    -tr-function-alias QT_TRANSLATE_NOOP+=PYLVEX_TR_NOOP \
    -source-language zh_CN -target-language en "$@" src -ts "$out")
}

case "${1:-}" in
  "")
    run_lupdate "$ts" -locations none -no-obsolete
    echo "Updated $ts"
    ;;
  --check)
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    cp "$ts" "$work/pylvex_en.ts"
    run_lupdate "$work/pylvex_en.ts" -locations absolute
    python3 - "$work/pylvex_en.ts" <<'PY'
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
unfinished, vanished = [], []
for context in root.iter("context"):
    name = context.findtext("name")
    for message in context.iter("message"):
        kind = message.find("translation").get("type")
        source = message.findtext("source")
        where = ", ".join(
            "src/%s:%s" % ((loc.get("filename") or "").split("src/", 1)[-1], loc.get("line"))
            for loc in message.iter("location")
        )
        entry = "  [%s] %r  (%s)" % (name, source, where or "no longer in the sources")
        if kind == "unfinished":
            unfinished.append(entry)
        elif kind in ("vanished", "obsolete"):
            vanished.append(entry)
if unfinished:
    print("%d text(s) of the sources have no English translation in translations/pylvex_en.ts:" % len(unfinished))
    print("\n".join(unfinished))
if vanished:
    print("%d text(s) in translations/pylvex_en.ts are no longer in the sources:" % len(vanished))
    print("\n".join(vanished))
if unfinished or vanished:
    print("Run scripts/update_translations.sh, translate the new entries (see translations/glossary.md), commit the file.")
    sys.exit(1)
print("translations/pylvex_en.ts: every text of the sources is translated")
PY
    ;;
  *)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac
