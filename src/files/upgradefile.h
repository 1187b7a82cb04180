// The check of a chosen firmware file that the upgrade dialogs, the pages
// that open them and the command-line upgrade share.
#pragma once

#include <QString>

#include <optional>
#include <string>

// Why a chosen firmware file cannot be used, or empty when it can: no name (a
// file dialog gives its folder when no name was typed), or the file does not open.
QString UpgradeFileError(const QString &path);

// The path as YModem's block 0 carries it: GBK, the encoding of every 8-bit
// text on the board's line. nullopt when GBK cannot carry a character of it.
std::optional<std::string> YModemAnnouncedName(const QString &path);
// The message for a path that YModemAnnouncedName refuses (in the user's language).
QString YModemNameRefusal(const QString &path);
