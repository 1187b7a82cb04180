// Command-line switches of the simulated board.
#pragma once

#include "sim/sim_options.h"

#include <QString>
#include <QStringList>

struct SimCommandLine {
    SimOptions options;
    QString device;    // empty: open a pseudo-terminal pair
    bool help = false; // the help text was asked for
    QString helpText;
    QString error; // not empty when the switches were refused
};

SimCommandLine ParseSimCommandLine(const QStringList &arguments);
