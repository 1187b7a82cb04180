// Charts of a whole recorded day: 24 h of 1 s rows (86 400 rows, 25 series:
// voltage, current, SOC, the cell extremes and difference, 19 probes) written
// by the recording's own row functions, then loaded and drawn offscreen; then
// the same amount fed live, one more sample appended and the chart redrawn.
// Prints load time, time per redraw and the growth of resident memory, the
// memory beside its floor measured in the same run: the day's values as plain
// arrays of doubles (one time column and one column per series), and the raw
// values alone (rows x series x 8 bytes).
// Run: QT_QPA_PLATFORM=offscreen ./bench_charts
#include "app/dialogs/packchartwindow.h"
#include "app/pages/packchartfeed.h"
#include "app/widgets/packtimechart.h"
#include "bench/bench_process.h"
#include "files/logfiles.h"
#include "files/statusrecord.h"
#include "files/statusrecordreader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {
constexpr int kRows = 86400;
constexpr int kProbes = 19;
constexpr int kCells = 16;

StatusRecord Row(int s)
{
    StatusRecord r;
    r.fields[kRecTime] = QTime(0, 0).addSecs(s).toString(QStringLiteral("HH:mm:ss"));
    r.fields[kRecSoc] = QString::number(50 + static_cast<int>(40 * std::sin(s / 5000.0)));
    r.fields[kRecVoltage] = QString::number(52000 + static_cast<int>(800 * std::sin(s / 3000.0)));
    r.fields[kRecCurrent] = QString::number(static_cast<int>(20000 * std::sin(s / 700.0)) + (s % 997 == 0 ? 90000 : 0));
    r.fields[kRecProtection] = QStringLiteral("无");
    int hi = 0, lo = 1 << 30;
    for (int c = 0; c < kCells; ++c) {
        const int v = 3300 + static_cast<int>(30 * std::sin(s / 900.0 + c)) + (c * 7 + s) % 5;
        r.cells << QString::number(v);
        hi = std::max(hi, v);
        lo = std::min(lo, v);
    }
    for (int p = 0; p < kProbes; ++p)
        r.temps << QString::number(25 + 5 * std::sin(s / 4000.0 + p), 'f', 1);
    r.fields[kRecHighCell] = QString::number(hi);
    r.fields[kRecHighCellNo] = QStringLiteral("1");
    r.fields[kRecLowCell] = QString::number(lo);
    r.fields[kRecLowCellNo] = QStringLiteral("2");
    r.fields[kRecCellDiff] = QString::number(hi - lo);
    r.fields[kRecAlarm] = QStringLiteral("无");
    r.fields[kRecSystemState] = QStringLiteral("放电");
    r.fields[kRecProbeCount] = QString::number(kProbes);
    r.fields[kRecCellCount] = QString::number(kCells);
    return r;
}

// Draws the window into an image as the screen would show it.
double RenderMs(QWidget &w, QImage &image, int times)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < times; ++i) {
        static_cast<PackChartWindow &>(w).RedrawNow();
        QPainter p(&image);
        w.render(&p);
    }
    return static_cast<double>(t.nsecsElapsed()) / 1e6 / times;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Record_2025-06-01.csv"));
    {
        QString text = StatusRecordHeader(Row(0));
        text.reserve(kRows * 200);
        for (int s = 0; s < kRows; ++s) {
            StatusRecord r = Row(s);
            text += StatusRecordRow(r);
        }
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(ToGbk(text));
    }
    std::printf("file: %d rows, %d series, %.1f MB\n", kRows, kSeriesFirstTemp + kProbes,
                static_cast<double>(QFileInfo(path).size()) / 1e6);

    QImage image(1024, 700, QImage::Format_ARGB32_Premultiplied);
    const int series = kSeriesFirstTemp + kProbes;
    const double rawMb = double(kRows) * series * sizeof(double) / (1 << 20);
    double floorMb = 0;
    {
        // The floor: the same numbers in plain arrays, measured as the charts are.
        const long before = ResidentKiB();
        std::vector<std::vector<double>> columns(static_cast<std::size_t>(series) + 1);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            columns[c].resize(kRows);
            for (int i = 0; i < kRows; ++i)
                columns[c][static_cast<std::size_t>(i)] = std::sin(i + static_cast<double>(c));
        }
        floorMb = (ResidentKiB() - before) / 1024.0;
    }

    PackChartWindow w(nullptr);
    w.resize(1024, 700);
    w.show();
    QCoreApplication::processEvents();
    const long rss0 = ResidentKiB();
    QElapsedTimer t;
    t.start();
    w.OpenRecord(path);
    {
        QPainter p(&image);
        w.render(&p);
    }
    const double loadMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    const long rssLoaded = ResidentKiB();
    std::printf("load and first draw: %.0f ms\n", loadMs);
    std::printf("resident memory of the loaded day: +%.1f MB; floor (plain arrays) +%.1f MB, raw values %.1f MB: "
                "%.2fx the floor, %.2fx the raw values\n",
                (rssLoaded - rss0) / 1024.0, floorMb, rawMb, (rssLoaded - rss0) / 1024.0 / floorMb,
                (rssLoaded - rss0) / 1024.0 / rawMb);
    if (const PackSeriesSet *shown = w.ShownSet()) {
        std::size_t bytes = 0;
        for (const PackSeries &one : shown->series)
            bytes += one.Bytes();
        std::printf("  of it the stored columns: %.1f MB\n", double(bytes) / (1 << 20));
    }
    t.restart();
    {
        StatusRecordRead read = ReadStatusRecordFile(path);
        if (!read.ok || read.samples.size() != kRows) {
            std::printf("read failed: %s\n", qPrintable(read.error));
            return 1;
        }
    }
    std::printf("reading the file into rows alone: %.0f ms\n", static_cast<double>(t.nsecsElapsed()) / 1e6);
    std::printf("points drawn of the voltage (all 24 h, %d px plot): %d\n",
                static_cast<int>(w.TimeChart()->chart()->plotArea().width()),
                w.TimeChart()->DrawnPoints(kSeriesVoltage));
    std::printf("redraw, whole day: %.1f ms\n", RenderMs(w, image, 20));
    {
        QElapsedTimer part;
        part.start();
        for (int i = 0; i < 20; ++i)
            w.TimeChart()->Redraw();
        const double thinMs = static_cast<double>(part.nsecsElapsed()) / 1e6 / 20;
        part.restart();
        for (int i = 0; i < 20; ++i) {
            QPainter p(&image);
            w.render(&p);
        }
        std::printf("  of it: series rebuilt %.1f ms, painted %.1f ms\n", thinMs,
                    static_cast<double>(part.nsecsElapsed()) / 1e6 / 20);
    }
    w.SetWindowChoice(1);
    w.TimeChart()->Follow();
    std::printf("redraw, last 30 min: %.1f ms\n", RenderMs(w, image, 20));

    // The same day fed live, then one more sample and a redraw.
    PackChartFeed feed;
    double now = 1.75e12;
    feed.SetClock([&now] { return now; });
    LiveStatus &shown = feed.Shown();
    PowerReading power;
    power.voltageMv = 52000;
    power.currentMa = -1000;
    power.temps.assign(kProbes, 250);
    CellSummary cells;
    cells.cells.assign(kCells, 3300);
    cells.highest = 3310;
    cells.lowest = 3290;
    cells.difference = 20;
    cells.highestCell = 1;
    cells.lowestCell = 2;
    const long rssLive0 = ResidentKiB();
    t.restart();
    for (int s = 0; s < kRows; ++s, now += 1000) {
        power.voltageMv = 52000 + s % 500;
        shown.power = power;
        shown.cells = cells;
        shown.soc = SocSoh{static_cast<std::uint8_t>(s % 100), 100};
        feed.OnShown(kStatusPower);
        feed.OnShown(kStatusCells);
        feed.OnShown(kStatusSoc);
    }
    std::printf("live: %d rounds appended in %.0f ms\n", kRows, static_cast<double>(t.nsecsElapsed()) / 1e6);
    std::printf("live day: store %.1f MB (budget %.0f MB), resident +%.1f MB; raw values %.1f MB: %.2fx\n",
                double(feed.Store().Bytes()) / (1 << 20), double(feed.Store().Budget()) / (1 << 20),
                (ResidentKiB() - rssLive0) / 1024.0, rawMb, double(feed.Store().Bytes()) / (1 << 20) / rawMb);
    PackChartWindow live(&feed);
    live.resize(1024, 700);
    live.show();
    QCoreApplication::processEvents();
    live.SetWindowChoice(3);
    live.RedrawNow();
    t.restart();
    feed.OnShown(kStatusPower);
    feed.OnShown(kStatusCells);
    feed.OnShown(kStatusSoc);
    const double appendUs = static_cast<double>(t.nsecsElapsed()) / 1e3;
    std::printf("live: one more sample %.1f us, redraw of everything: %.1f ms\n", appendUs, RenderMs(live, image, 20));
    std::printf("resident memory: +%.1f MB with the recorded day and the live day\n", (ResidentKiB() - rss0) / 1024.0);
    std::printf("span text: %s\n", qPrintable(live.SpanText()));
    return 0;
}
