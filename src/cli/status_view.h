// The live state as pylvexctl shows it: a JSON object whose numbers are JSON
// numbers, and the text the live status page would show, with units.
#pragma once

#include "protocol/live_status.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

// Parts that were not received are left out.
QJsonObject StatusJson(const LiveStatus &status);
// The object status --json prints: the state with the time, the board (main
// or secondary) and how it was read (batch or items).
QJsonObject StatusReport(const LiveStatus &status, const QDateTime &at, bool secondary, bool batch);
QString StatusText(const LiveStatus &status);
// One short line for watch: time, SOC, voltage, current, extremes, states.
QString StatusLine(const LiveStatus &status, const QDateTime &at);
