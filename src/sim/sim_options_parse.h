// Command-line switches of the simulated board.
#pragma once

#include "sim/sim_options.h"

#include <QString>
#include <QStringList>

struct SimCommandLine {
    SimOptions options;
    QString device;    // empty: open a pseudo-terminal pair
    QString link;      // a symbolic link that leads to the pseudo-terminal (same path across restarts)
    bool help = false; // the help text was asked for
    QString helpText;
    bool version = false;  // the version was asked for
    QString versionText;   // "pylvex-sim <version>"
    QString error;         // not empty when the switches were refused
    QString replayPath;    // the capture replayed (options.replay), empty when none
    QString replayProblem; // why reading the capture stopped before its end; empty when it was read whole
};

SimCommandLine ParseSimCommandLine(const QStringList &arguments);

// The board clock answers a year from 2000 to 2255: the clock offsets (in
// seconds) that keep the board clock inside that range, seen from nowMs.
struct SimClockOffsetRange {
    int min;
    int max;
};
SimClockOffsetRange ClockOffsetRange(std::int64_t nowMs);
