// CPU of the tool while it waits for a lost port to come back: pylvex-sim
// serves a pseudo-terminal behind a fixed link (--link), the window opens it,
// the board process ends, and the tool watches for the device for the given
// time; then the board starts again and the time until the port is open again
// is measured. For comparison the same wait with "自动重连" off.
//
//   bench_reconnect [seconds to wait, default 60] | grep -v "^[^ ]"
#include "app/mainwindow.h"
#include "app/pylvexapp.h"
#include "bench/bench_process.h"
#include "files/logfiles.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <functional>

namespace {
bool WaitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        Wait(10);
    return done();
}

bool StartBoard(QProcess &sim, const QString &link)
{
    sim.start(SimProgram(), {QStringLiteral("--link"), link});
    return sim.waitForReadyRead(5000);
}

void Run(bool autoReconnect, int seconds, const QString &link)
{
    QProcess sim;
    if (!StartBoard(sim, link)) {
        std::fprintf(stderr, "pylvex-sim did not start\n");
        return;
    }
    MainWindow dlg;
    if (!dlg.OpenPortByName(link, true)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(link));
        return;
    }
    auto *box = dlg.Item<QCheckBox>(IDC_AUTO_RECONNECT);
    if (box->isChecked() != autoReconnect)
        box->click();
    Wait(1000);
    sim.terminate();
    sim.waitForFinished(3000);
    if (!WaitFor([&dlg] { return !dlg.m_bOpenCOM; }, 3000)) {
        std::fprintf(stderr, "the lost link was not noticed\n");
        return;
    }
    Wait(500);
    double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Wait(seconds * 1000);
    double cpu = CpuSeconds() - cpu0;
    double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    std::printf("auto reconnect %s, waiting %d s for the device\n", autoReconnect ? "on" : "off", seconds);
    std::printf("  CPU %.3f %% of a core (%.3f s in %.1f s)\n", 100.0 * cpu / elapsed, cpu, elapsed);
    if (!StartBoard(sim, link)) {
        std::fprintf(stderr, "pylvex-sim did not start again\n");
        return;
    }
    QElapsedTimer back;
    back.start();
    bool reopened = WaitFor([&dlg] { return dlg.m_bOpenCOM; }, autoReconnect ? 10000 : 3000);
    if (reopened)
        std::printf("  port open again %lld ms after the device returned\n", static_cast<long long>(back.elapsed()));
    else
        std::printf("  port not opened again (%lld ms watched)\n", static_cast<long long>(back.elapsed()));
    if (!autoReconnect)
        box->click(); // the stored setting back to its default
    dlg.ClosePort();
    sim.terminate();
    sim.waitForFinished(3000);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PylvexApp app(argc, argv);
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    QTemporaryDir dir;
    SetLogBaseFolder(dir.path());
    const QString link = dir.filePath(QStringLiteral("board"));
    for (bool on : {true, false})
        Run(on, seconds, link);
    return 0;
}
