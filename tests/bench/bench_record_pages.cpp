// The battery log and battery record lists filled with 100 000 rows each
// through the receive path and the pages' decoders (trim included): time per
// row and the longest stall of the event loop while the page is shown.
// Prints figures on standard error (standard output carries the log page's trace):
// QT_QPA_PLATFORM=offscreen ./bench_record_pages >/dev/null
#include "app/pages/batterylogpage.h"
#include "app/pages/batteryrecordpage.h"
#include "app/widgets/loglistctrl.h"
#include "app/widgets/recordlistctrl.h"
#include "common/fakehost.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kRows = 100000;

// Longest gap between ticks of a 1 ms timer.
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
        m_clock.start();
        m_timer.start();
    }
    double MaxGapMs() const { return static_cast<double>(m_maxGapNs) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_maxGapNs = 0;
};

// Feeds frames (each adding `perFrame` rows), turning the event loop after
// every frame, and prints the figures.
template <class Feed> void Run(const char *name, FakeHost &host, int perFrame, Feed feed)
{
    host.Sheet()->resize(900, 600);
    host.Sheet()->show();
    QCoreApplication::processEvents();
    StallProbe probe;
    QElapsedTimer total;
    qint64 feedNs = 0;
    total.start();
    for (int row = 0; row < kRows; row += perFrame) {
        qint64 t0 = total.nsecsElapsed();
        feed(row);
        feedNs += total.nsecsElapsed() - t0;
        QCoreApplication::processEvents();
    }
    std::fprintf(stderr,
                 "%-14s %d rows: %.2f us per row in the page, %.2f us per row with painting, longest stall %.1f ms\n",
                 name, kRows, static_cast<double>(feedNs) / 1e3 / kRows,
                 static_cast<double>(total.nsecsElapsed()) / 1e3 / kRows, probe.MaxGapMs());
}

Bytes LogData(int first)
{
    Bytes d{0, 4, 1, 4};
    for (int i = 0; i < 4; ++i) {
        std::uint32_t time = 1700000000u + static_cast<std::uint32_t>(first + i) * 60u;
        std::uint32_t flags = (1u << ((first + i) % 22)) | (1u << 13);
        Bytes r(52, 0);
        for (int b = 0; b < 4; ++b) {
            r[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(time >> (8 * b));
            r[static_cast<std::size_t>(48 + b)] = static_cast<std::uint8_t>(flags >> (8 * b));
        }
        d.insert(d.end(), r.begin(), r.end());
    }
    return d;
}

Bytes RecordData(int first)
{
    Bytes d{0};
    for (int i = 0; i < 11; ++i) {
        const int n = first + i;
        Bytes r{static_cast<std::uint8_t>(n >> 8),
                static_cast<std::uint8_t>(n),
                0x0D,
                0x05,
                0x0C,
                0xE4,
                0,
                0,
                0xCF,
                0x08,
                0xFF,
                0xFF,
                0xEC,
                0x78,
                25,
                22,
                30,
                static_cast<std::uint8_t>(n % 101),
                static_cast<std::uint8_t>(n),
                1,
                1,
                1};
        d.insert(d.end(), r.begin(), r.end());
    }
    return d;
}
} // namespace

int main(int argc, char **argv)
{
    PylvexApp app(argc, argv);
    {
        FakeHost host;
        auto *page = host.AddPage(new BatteryLogPage(&host));
        host.ShowPage(page);
        page->ClickDlgButton(IDC_CELLLOG_READ);
        Run("battery log", host, 4, [&](int row) { host.Respond(0x83, 0xD1, LogData(row)); });
        std::fprintf(stderr, "               rows kept: %d\n", page->List()->GetItemCount());
    }
    {
        FakeHost host;
        auto *page = host.AddPage(new BatteryRecordPage(&host));
        host.ShowPage(page);
        Run("battery record", host, 11, [&](int row) { host.Respond(0x85, 0x81, RecordData(row)); });
        std::fprintf(stderr, "               rows kept: %d\n", page->List()->GetItemCount());
    }
    return 0;
}
