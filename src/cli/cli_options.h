// The command line of pylvexctl: a subcommand (with its verb for params,
// profile and log), the options common to every subcommand and its own.
// Parsing needs no application object and never touches the board.
#pragma once

#include "cli/cli_common.h"
#include "cli/mqtt_settings.h"

#include <QString>
#include <QStringList>

struct CliRequest {
    enum class Action {
        Run,  // run the subcommand
        Help, // print text to standard output, exit 0
        Fail, // print text to standard error, exit 2
    };
    Action action = Action::Run;
    QString text; // for Help and Fail

    QString command; // ports, status, watch, params, profile, clock, log, records, upgrade
    QString verb;    // get/set, save/diff/apply, alarm/protection
    QStringList args;
    CommonOptions common;

    double everySec = 1.0; // watch
    QString csvPath;       // watch: a file, "-", or with several ports a folder
    QStringList ports;     // watch: every --port given, in order
    bool mqtt = false;     // watch --mqtt
    MqttSettings mqttSettings;
    QStringList only;    // profile apply
    bool dryRun = false; // profile apply
    bool clockSet = false;
    bool clockSync = false;
    QString xlsxPath; // log, records
    QString ymodem;   // upgrade: empty, "raw" or "wrapped"
};

// arguments[0] is the program name.
CliRequest ParseCli(const QStringList &arguments);
