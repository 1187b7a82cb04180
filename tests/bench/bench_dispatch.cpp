// Receive path throughput: frames taken off the receive queue, verified,
// logged and routed per second through the real handler, with the debug log
// gate off and on, and heap allocations per routed frame.
#include "app/framework/rowpagebase.h"
#include "app/mainwindow.h"
#include "app/pages/livestatuspage.h"
#include "app/pages/paramrows.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "link/portdiscovery.h"
#include "link/winmsg.h"

#include <QGridLayout>
#include <QSettings>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Every heap block of the process (C++ and Qt alike) goes through malloc,
// calloc or realloc; count them.
static std::atomic<long> g_allocs{0};

extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);
void *malloc(std::size_t n)
{
    g_allocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
void *calloc(std::size_t n, std::size_t size)
{
    g_allocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}
void *realloc(void *p, std::size_t n)
{
    g_allocs.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}
}

namespace {
class StatusPage : public RowPageBase {
public:
    // Stands in for the page of the class named.
    StatusPage(PageHost *host, const char *standsFor, const QString &caption, std::vector<RxRoute> routes)
        : RowPageBase(host, caption), m_routes(std::move(routes))
    {
        setObjectName(QString::fromLatin1(standsFor));
    }
    void ReadParams(int) override {}
    void WriteParams(int) override {}
    std::vector<RxRoute> Routes() const override { return m_routes; }
    void OnRoute(const RxRoute &, const std::uint8_t *frame, int) override { last = frame[3]; }
    int last = 0;
    std::vector<RxRoute> m_routes;

protected:
    void OnInitDialog() override
    {
        auto *grid = new QGridLayout(this);
        AddParamRow(grid, 0, 1341, QStringLiteral("无操作等待时间："), {{1339}}, 1340);
        RowPageBase::OnInitDialog();
    }
};

std::vector<std::uint8_t> Response(std::uint8_t cls, std::uint8_t code, std::vector<std::uint8_t> data)
{
    std::vector<std::uint8_t> f = {0x4D, 0x53, cls, code, static_cast<std::uint8_t>(data.size())};
    for (std::uint8_t b : data)
        f.push_back(b);
    std::uint16_t sum = 0;
    for (std::size_t i = 1; i < f.size(); ++i)
        sum = static_cast<std::uint16_t>(sum + f[i]);
    for (std::uint8_t b : {std::uint8_t(sum & 0xFF), std::uint8_t(sum >> 8), std::uint8_t(0x0D), std::uint8_t(0x0A)})
        f.push_back(b);
    return f;
}

void Run(MainWindow &dlg, const char *name, const std::vector<std::uint8_t> &frame, bool debug, int frames)
{
    theApp()->m_bLogDebug = debug;
    theApp()->GetLogModel()->ClearRows();
    BoardPort &port = dlg.Port();
    // Queue in batches so the queue stays realistic; time only the handler.
    double seconds = 0;
    long allocs = 0;
    const int batch = 256;
    for (int done = 0; done < frames; done += batch) {
        for (int i = 0; i < batch; ++i)
            port.PushRxFrame(frame.data(), frame.size());
        QCoreApplication::removePostedEvents(&dlg);
        long before = g_allocs.load();
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < batch; ++i)
            dlg.OnFrameReceived();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        allocs += g_allocs.load() - before;
        QCoreApplication::removePostedEvents(&dlg);
    }
    std::printf("%-34s debug %-3s %10.0f frames/s  %6.2f us/frame  %5.2f allocations/frame\n", name,
                debug ? "on" : "off", frames / seconds, seconds * 1e6 / frames, double(allocs) / frames);
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    PylvexApp app(argc, argv);
    SetPortListSource([] { return QStringList(); });
    MainWindow dlg;
    auto *ten = new StatusPage(dlg.Host(), "LiveStatusPage", QStringLiteral("客户使用-1"), LiveStatusPage::StatusRoutes());
    auto *two =
        new StatusPage(dlg.Host(), "WakeThresholdPage", QStringLiteral("唤醒与门限"), ParamRowPage::RowRoutes(WakeupPageRows()));
    dlg.Sheet()->AddPage(ten);
    dlg.Sheet()->AddPage(two);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 200000;
    std::vector<std::uint8_t> status = Response(0x83, 0x85, std::vector<std::uint8_t>(33, 0x0C)); // 16 cells
    std::vector<std::uint8_t> value = Response(0x82, 0x93, {0x00, 0x00, 0x3C});
    for (bool debug : {false, true}) {
        Run(dlg, "status 0x83 0x85 to live page", status, debug, frames);
        Run(dlg, "value 0x82 0x93 into an edit box", value, debug, frames);
    }
    return ten->last == 0x85 ? 0 : 1;
}
