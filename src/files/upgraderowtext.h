// The text of an upgrade protocol row in the user's language, shared by the
// upgrade dialogs and the command-line upgrade.
#pragma once

#include "protocol/upgrade_rows.h"

#include <QString>

// The row's text translated in its context, arguments filled in (marked
// arguments translated too).
QString UpgradeRowText(const char *context, const UpgradeRow &row);
