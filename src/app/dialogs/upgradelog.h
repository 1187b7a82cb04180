// What the two upgrade dialogs share: the text of a protocol row in the
// user's language, and their log list (a row per line, the newest row
// brought into view while "刷新显示" is ticked).
#pragma once

#include "protocol/upgrade_rows.h"

#include <QString>

class CUserListCtrl;
class QCheckBox;

// The row's text translated in its context, arguments filled in (marked
// arguments translated too).
QString UpgradeRowText(const char *context, const UpgradeRow &row);

// Appends one row: the leading cells (row number ...), the local time
// "%H:%M:%S", the text.
void AppendUpgradeRow(CUserListCtrl *list, const QCheckBox *follow, QStringList leading, const QString &text);
