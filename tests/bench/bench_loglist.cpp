// System log list under a burst of received frames: time per WriteLog row,
// the longest stall of the event loop, resident memory, and sorting a full list.
// Prints figures; run offscreen: QT_QPA_PLATFORM=offscreen ./bench_loglist
#include "app/pages/systemlogpage.h"
#include "app/pylvexapp.h"
#include "app/widgets/loglistctrl.h"
#include "link/winmsg.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <time.h>

namespace {

constexpr int kRows = 100000;

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// CPU time of the calling thread.
double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Counts the paint events of the list's viewport.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *viewport) : m_viewport(viewport) { viewport->installEventFilter(this); }
    ~PaintCounter() override { m_viewport->removeEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QWidget *m_viewport;
};

// What the receive handler writes for one frame: a level 7 row with its hex text.
void LogOneFrame(int n)
{
    theApp()->WriteLog(7, QStringLiteral("接收 83 01"),
                       "4d 53 83 01 0b 00 %02x %02x 0c e4 0c e5 0c e3 0c e6 0d 0a (%d)", n & 0xFF, (n >> 8) & 0xFF, n);
}

// Stands for the main window: handles each posted frame message by logging it.
class FrameSink : public QObject {
public:
    std::atomic<int> handled{0};
    QEventLoop *loop = nullptr;
    int expected = 0;

protected:
    void customEvent(QEvent *event) override
    {
        if (event->type() != static_cast<QEvent::Type>(WM_FRAME_RECEIVED))
            return;
        LogOneFrame(handled);
        if (++handled == expected && loop)
            loop->quit();
    }
};

// Longest gap between ticks of a 1 ms timer while the burst runs.
class StallProbe : public QObject {
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0)
                m_maxGapNs = std::max(m_maxGapNs, now - m_last);
            m_last = now;
        });
    }
    void Start()
    {
        m_clock.start();
        m_timer.start();
    }
    void Stop() { m_timer.stop(); }
    double MaxGapMs() const { return m_maxGapNs / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_maxGapNs = 0;
};

// Rows written straight from the window's thread, the event loop turning every 100 rows.
void BenchDirect(LogListCtrl &list)
{
    theApp()->GetLogModel()->ClearRows();
    PaintCounter painted(list.viewport());
    QElapsedTimer total;
    qint64 worstRowNs = 0, rowsNs = 0, loopNs = 0, worstLoopNs = 0;
    std::vector<qint64> trimNs;
    total.start();
    for (int i = 0; i < kRows; ++i) {
        const int before = list.GetItemCount();
        qint64 t0 = total.nsecsElapsed();
        LogOneFrame(i);
        qint64 t1 = total.nsecsElapsed();
        worstRowNs = std::max(worstRowNs, t1 - t0);
        rowsNs += t1 - t0;
        if (list.GetItemCount() < before) {
            trimNs.push_back(t1 - t0);
        }
        if (i % 100 == 99) {
            QCoreApplication::processEvents();
            qint64 t2 = total.nsecsElapsed();
            loopNs += t2 - t1;
            worstLoopNs = std::max(worstLoopNs, t2 - t1);
        }
    }
    QCoreApplication::processEvents();
    double us = total.nsecsElapsed() / 1e3 / kRows;
    std::printf("direct:  %d rows, %.2f us/row amortised (WriteLog %.2f us, event loop and repaints %.2f us), "
                "slowest single row %.2f ms, slowest loop turn %.2f ms, rows now %d\n",
                kRows, us, rowsNs / 1e3 / kRows, loopNs / 1e3 / kRows, worstRowNs / 1e6, worstLoopNs / 1e6,
                list.GetItemCount());
    QElapsedTimer one;
    one.start();
    list.viewport()->repaint();
    std::sort(trimNs.begin(), trimNs.end());
    if (!trimNs.empty())
        std::printf("trim:    %zu rows that dropped 2048 rows: median %.2f ms, max %.2f ms\n", trimNs.size(),
                    trimNs[trimNs.size() / 2] / 1e6, trimNs.back() / 1e6);
    std::printf("paint:   %d repaints of the list in %.0f ms (%.0f per second); one full repaint %.2f ms\n",
                painted.paints, total.nsecsElapsed() / 1e6, painted.paints * 1e9 / total.nsecsElapsed(),
                one.nsecsElapsed() / 1e6);
}

// Frames posted by another thread as the port thread does, 20 per millisecond.
void BenchPostedBurst(LogListCtrl &list)
{
    theApp()->GetLogModel()->ClearRows();
    FrameSink sink;
    QEventLoop loop;
    sink.loop = &loop;
    sink.expected = kRows;
    StallProbe probe;
    PaintCounter painted(list.viewport());
    QElapsedTimer total;
    total.start();
    const double cpu0 = ThreadCpuMs();
    probe.Start();
    std::thread producer([&sink] {
        for (int i = 0; i < kRows; i += 20) {
            for (int k = 0; k < 20; ++k)
                PostMsg(&sink, WM_FRAME_RECEIVED);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    loop.exec();
    producer.join();
    probe.Stop();
    const double cpu = ThreadCpuMs() - cpu0;
    std::printf("posted:  %d frames in %.0f ms (producer-paced), window thread CPU %.2f us/row, "
                "longest event-loop stall %.2f ms, %d repaints, rows now %d\n",
                kRows, total.nsecsElapsed() / 1e6, cpu * 1e3 / kRows, probe.MaxGapMs(), painted.paints,
                list.GetItemCount());
}

void BenchSort(LogListCtrl &list)
{
    LogModel *model = theApp()->GetLogModel();
    model->ClearRows();
    QRandomGenerator rng(7);
    for (int i = 0; i < LogModel::kMaxRows; ++i) {
        int s = static_cast<int>(rng.bounded(86400));
        QString time = QString::asprintf("2024-05-%02d %02d:%02d:%02d", 1 + static_cast<int>(rng.bounded(28)), s / 3600,
                                         s / 60 % 60, s % 60);
        model->AddRow(3 + static_cast<int>(rng.bounded(5)), time, QStringLiteral("接收 83 01"),
                      QStringLiteral("4d 53 83 01 %1").arg(i));
    }
    while (list.PaintHeld() || list.ScrollPending())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const struct {
        int column;
        const char *name;
    } columns[] = {{1, "时间"}, {0, "类型"}, {3, "内容"}};
    for (const auto &c : columns) {
        for (bool ascending : {true, false}) {
            QElapsedTimer t;
            t.start();
            model->SortByColumn(c.column, ascending);
            double sortMs = t.nsecsElapsed() / 1e6;
            list.viewport()->repaint();
            std::printf("sort:    %d rows by %s %s: %.2f ms (with repaint %.2f ms)\n", model->GetItemCount(), c.name,
                        ascending ? "ascending " : "descending", sortMs, t.nsecsElapsed() / 1e6);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    PylvexApp app(argc, argv);
    app.m_bLogDebug = true;
    long rssStart = ResidentKiB();
    // The system log page as the user sees it, show-latest on.
    SystemLogPage page(nullptr);
    page.InitDialog();
    page.resize(1000, 600);
    if (!qEnvironmentVariableIsSet("BENCH_HIDDEN"))
        page.show();
    QCoreApplication::processEvents();
    LogListCtrl &list = *page.List();
    // An argument picks one part: direct, posted or sort.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only.isEmpty() || only == "direct") {
        BenchDirect(list);
        std::printf("memory:  resident %ld KiB at start, %ld KiB after %d rows\n", rssStart, ResidentKiB(), kRows);
    }
    if (only.isEmpty() || only == "posted") {
        BenchPostedBurst(list);
        std::printf("memory:  resident %ld KiB after the posted burst\n", ResidentKiB());
    }
    if (only.isEmpty() || only == "sort")
        BenchSort(list);
    return 0;
}
