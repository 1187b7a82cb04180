// A throw-away profile for a benchmark that runs the real window: settings and
// data in a temporary folder, the toolkit's test paths, no display. Made before
// the application object.
#pragma once

#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

class BenchProfile {
public:
    BenchProfile()
    {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
