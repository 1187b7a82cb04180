// The program's command line: --port DEVICE, --demo, --lang zh|en, --help, --version.
#pragma once

#include <QString>
#include <QStringList>

struct StartupOptions {
    enum class Action {
        Run,         // start the window
        ShowHelp,    // print text to standard output, exit 0
        ShowVersion, // print text to standard output, exit 0
        Fail,        // print text to standard error, exit 2
    };
    Action action = Action::Run;
    QString port;      // device to open at start instead of the stored port; empty: the stored one
    bool demo = false; // start the simulated board in-process and open it
    QString language;  // "zh" or "en" from --lang; empty: the stored choice or the locale's
    QString text;      // what to print for the actions other than Run
};

// arguments[0] is the program name. Needs no application object.
StartupOptions ParseStartupOptions(const QStringList &arguments);

// Prints the text of a non-Run action and returns the exit code.
int ReportStartupOptions(const StartupOptions &options);
