#include "app/startup/startupprobe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {

// "VmRSS:   12345 kB" from /proc/self/status.
long StatusKb(const QByteArray &status, const char *key)
{
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Milliseconds since the process started, from its start time in clock ticks after boot.
long long MsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const long long startTicks = fields[19].toLongLong(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const long long tick = ::sysconf(_SC_CLK_TCK);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000 - startTicks * 1000 / tick;
}

class StartupProbe : public QObject {
public:
    StartupProbe(QWidget *window, bool quit) : QObject(window), m_quit(quit) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // Report after the paint has finished.
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Report()
    {
        QFile statusFile(QStringLiteral("/proc/self/status"));
        QByteArray status = statusFile.open(QIODevice::ReadOnly) ? statusFile.readAll() : QByteArray();
        std::printf("pylvex-startup shown_ms=%lld rss_kb=%ld hwm_kb=%ld\n", MsSinceProcessStart(),
                    StatusKb(status, "VmRSS:"), StatusKb(status, "VmHWM:"));
        std::fflush(stdout);
        if (m_quit)
            QCoreApplication::quit();
    }

    bool m_quit;
    bool m_done = false;
};

} // namespace

void InstallStartupProbe(QWidget *window)
{
    const QByteArray mode = qgetenv("PYLVEX_STARTUP_PROBE");
    if (mode.isEmpty())
        return;
    new StartupProbe(window, mode == "quit");
}
