// The window with the charts open for a long run: the live status page
// refreshing itself against pylvex-sim at the fastest interval, the charts
// window open on the live values, resident memory sampled every minute.
// Prints the samples, the slope of memory over time (least squares over the
// samples after the first minute) and the chart store's own size against its
// budget; the floor is the resident memory before the port opened.
//
//   bench_charts_soak [minutes, default 120] [interval ms, default 10] | grep -v "^[^ ]"
#include "app/dialogs/packchartwindow.h"
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/packchartfeed.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "bench/bench_process.h"
#include "bench/bench_profile.h"
#include "files/logfiles.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {
double RssMb()
{
    FILE *f = std::fopen("/proc/self/statm", "r");
    long pages = 0, rss = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &rss) != 2)
            rss = 0;
        std::fclose(f);
    }
    return static_cast<double>(rss) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Least-squares slope of y over x.
double Slope(const std::vector<double> &x, const std::vector<double> &y)
{
    const double n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double d = n * sxx - sx * sx;
    return d != 0 ? (n * sxy - sx * sy) / d : 0;
}
} // namespace

int main(int argc, char **argv)
{
    BenchProfile profile;
    PylvexApp app(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 120;
    const int intervalMs = argc > 2 ? std::atoi(argv[2]) : 10;
    SetLogBaseFolder(profile.Path());

    QProcess sim;
    sim.start(SimProgram(), QStringList());
    if (!sim.waitForReadyRead(5000)) {
        std::printf("  pylvex-sim did not start\n");
        return 1;
    }
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    MainWindow dlg;
    dlg.show();
    Wait(500);
    const double floor = RssMb();
    theApp()->m_nCmdSndInvl = intervalMs;
    auto *page = dlg.Page<LiveStatusPage>();
    dlg.Sheet()->SetActivePage(page);
    if (!dlg.OpenPortByName(device, true)) {
        std::printf("  cannot open %s\n", qPrintable(device));
        return 1;
    }
    Wait(1500);
    page->Item<QCheckBox>(IDC_TIMED_REFRESH)->click();
    PackChartWindow *charts = page->OpenChartWindow();
    charts->SetWindowChoice(3); // everything: the largest redraw
    Wait(2000);

    std::printf("  window with the charts open, refresh every %d ms, %.0f min; floor (window before the port "
                "opened) %.1f MB\n",
                intervalMs, minutes, floor);
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    std::vector<double> at, mb;
    const int sampleMs = minutes >= 10 ? 60000 : 10000;
    const qint64 total = static_cast<qint64>(minutes * 60000);
    for (qint64 next = 0; next <= total; next += sampleMs) {
        if (next > 0)
            Wait(static_cast<int>(next - wall.elapsed()));
        const double m = static_cast<double>(wall.elapsed()) / 60000.0;
        const PackSeriesStore &store = page->ChartFeed()->Store();
        std::printf("  %6.1f min: resident %.1f MB (+%.1f over the floor), chart store %.2f MB of %.0f MB, %zu "
                    "points of the voltage\n",
                    m, RssMb(), RssMb() - floor, static_cast<double>(store.Bytes()) / (1 << 20),
                    static_cast<double>(store.Budget()) / (1 << 20),
                    store.Current() ? store.Current()->series[kSeriesVoltage].Size() : std::size_t(0));
        std::fflush(stdout);
        if (m >= 1) {
            at.push_back(m);
            mb.push_back(RssMb());
        }
    }
    const double cpu = CpuSeconds() - cpu0;
    std::printf("  slope after the first minute: %.3f MB/min over %.1f min (%zu samples); CPU %.1f %% of a core\n",
                at.size() > 1 ? Slope(at, mb) : 0.0, at.empty() ? 0.0 : at.back() - at.front(), at.size(),
                100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0));
    std::printf("  %s\n", qPrintable(charts->SpanText()));
    dlg.ClosePort();
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
