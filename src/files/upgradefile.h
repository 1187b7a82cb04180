// The check of a chosen firmware file that the upgrade dialogs, the pages
// that open them and the command-line upgrade share.
#pragma once

#include <QString>

// Why a chosen firmware file cannot be used, or empty when it can: no name (a
// file dialog gives its folder when no name was typed), or the file does not open.
QString UpgradeFileError(const QString &path);
