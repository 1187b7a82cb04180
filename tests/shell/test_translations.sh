#!/usr/bin/env bash
# Every text of the sources has a finished English translation, and the
# translation file holds no text the sources no longer have.
# Usage: test_translations.sh <build folder> (not used)
set -uo pipefail
exec bash "$(dirname "${BASH_SOURCE[0]}")/../../scripts/update_translations.sh" --check
