// Helpers of the benchmarks that run the tool against pylvex-sim: waiting
// with the event loop running, the process's CPU time and resident memory,
// the board program.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <fstream>
#include <functional>
#include <string>

inline void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop for ms, or until done() says so (looked at every
// checkMs).
inline void WaitFor(int ms, const std::function<bool()> &done = {}, int checkMs = 10)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        check.start(checkMs);
    }
    loop.exec();
}

// Resident memory of this process in KiB, -1 when unknown.
inline long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// User and system CPU time of this process, in seconds.
inline double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// pylvex-sim of the same build, else the one on the path.
inline QString SimProgram()
{
    QDir dir(QCoreApplication::applicationDirPath());
    for (const QString &rel : {QStringLiteral("../src/pylvex-sim"), QStringLiteral("pylvex-sim")})
        if (QFile::exists(dir.filePath(rel)))
            return dir.filePath(rel);
    return QStringLiteral("pylvex-sim");
}
