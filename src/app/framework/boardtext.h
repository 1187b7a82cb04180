// Texts decoded from the board's answers (link names, working modes, the BMS
// state ...) come from the protocol layer, marked there for translation under
// the context "BoardText"; the window shows them translated.
#pragma once

#include <QString>

#include <vector>

QString BoardText(const char *text);
// The names translated and joined by the separator, in their order.
QString BoardNames(const std::vector<const char *> &names, const QString &separator);
