// CPU and resident memory of the tool while the live status page refreshes
// itself against pylvex-sim (a separate process on a pseudo-terminal), in
// single-item mode (board without the batch read) and in batch mode.
//
//   bench_live [seconds per run, default 60] [interval ms list, default "400,10"] | grep -v "^[^ ]"
//
// Prints, per run, CPU in percent of one core, resident memory at every
// sampling point, and the requests the board answered.
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "bench/bench_process.h"
#include "files/logfiles.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace {
long RssKb()
{
    FILE *f = std::fopen("/proc/self/statm", "r");
    long pages = 0, rss = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &rss) != 2)
            rss = 0;
        std::fclose(f);
    }
    return rss * (sysconf(_SC_PAGESIZE) / 1024);
}

void Run(bool batch, int intervalMs, int seconds)
{
    QProcess sim;
    QStringList args;
    if (!batch)
        args << QStringLiteral("--no-batch");
    sim.start(SimProgram(), args);
    if (!sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "pylvex-sim did not start\n");
        return;
    }
    QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    MainWindow dlg;
    dlg.show();
    theApp()->m_nCmdSndInvl = intervalMs;
    auto *page = dlg.Page<LiveStatusPage>();
    dlg.Sheet()->SetActivePage(page);
    if (!dlg.OpenPortByName(device, true)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(device));
        return;
    }
    Wait(1500); // the probe's answer decides the mode
    page->SetDlgItemText(IDC_SAVE_PERIOD, QStringLiteral("1"));
    page->Item<QCheckBox>(IDC_TIMED_REFRESH)->click();
    page->CheckDlgButton(IDC_TIMED_SAVE, 1);
    Wait(2000); // settle

    std::printf("%s mode (page says %s), interval %d ms, %d s\n", batch ? "batch" : "single-item",
                page->BatchMode() ? "batch" : "single", intervalMs, seconds);
    const int samples = 10;
    double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QString rss;
    for (int i = 0; i <= samples; ++i) {
        rss += QStringLiteral(" %1").arg(RssKb());
        if (i < samples)
            Wait(seconds * 1000 / samples);
    }
    double cpu = CpuSeconds() - cpu0;
    double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
    dlg.ClosePort();
    sim.terminate();
    sim.waitForFinished(3000);
    QString tail = QString::fromLocal8Bit(sim.readAllStandardOutput() + sim.readAllStandardError()).trimmed();
    std::printf("  RSS kB:%s\n  CPU %.2f %% of a core (%.2f s in %.1f s)\n  board: %s\n", qPrintable(rss),
                100.0 * cpu / elapsed, cpu, elapsed, qPrintable(tail.section(QLatin1Char('\n'), -1)));
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PylvexApp app(argc, argv);
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    QString intervals = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("400,10");
    QTemporaryDir logs;
    SetLogBaseFolder(logs.path());
    // The page's trace lines share standard output; the figures start with two blanks.
    for (const QString &ms : intervals.split(QLatin1Char(',')))
        for (bool batch : {false, true})
            Run(batch, ms.toInt(), seconds);
    return 0;
}
