// A throw-away profile for a benchmark that runs the real window: settings and
// data in a temporary folder, the toolkit's test paths, no display. Made before
// the application object.
#pragma once

#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>

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

// How a run that did not succeed ended: the last rows of its log.
inline void PrintEnding(const QStringList &rows)
{
    for (const QString &row : rows.mid(std::max<qsizetype>(0, rows.size() - 8)))
        std::printf("    %s\n", qPrintable(row));
}
