// Entry of the widget and end-to-end test programs: the application object
// runs with a profile and a data folder of its own in a temporary folder, so no
// test reads or writes the settings or the files of the user who runs the suite.
// The texts are Chinese unless a test chooses otherwise.
#pragma once

#include "app/pylvexapp.h"
#include "lang/language.h"

#include <QByteArray>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

template <class Test> int RunWidgetTest(int argc, char **argv, const std::function<void()> &setUp = {})
{
    QTemporaryDir profile;
    qputenv("XDG_CONFIG_HOME", profile.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", profile.path().toLocal8Bit()); // logs, recordings, crash files
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile.path());
    PylvexApp app(argc, argv);
    // The tests read the window's texts in the language they are written in,
    // whatever the locale of the machine that runs them.
    lang::Install(lang::Language::Chinese);
    if (setUp)
        setUp();
    Test test;
    return QTest::qExec(&test, argc, argv);
}
