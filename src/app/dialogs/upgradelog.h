// What the two upgrade dialogs share: their log list (a row per line, the newest row
// brought into view while "刷新显示" is ticked).
#pragma once

#include "files/upgraderowtext.h"

#include <QString>

class UserListCtrl;
class QCheckBox;

// Appends one row: the leading cells (row number ...), the local time
// "%H:%M:%S", the text.
void AppendUpgradeRow(UserListCtrl *list, const QCheckBox *follow, QStringList leading, const QString &text);
