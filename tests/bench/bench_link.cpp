// Pacing precision, idle cost and lost-device reporting of the board port on a
// pseudo-terminal. Prints figures; it gates nothing.
#include "link/boardport.h"
#include "link/linksettings.h"
#include "unit/test_link_pty.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <thread>

namespace {
using Bytes = std::vector<std::uint8_t>;

FrameEntry *Request(std::uint8_t code)
{
    const std::uint8_t payload[] = {0x53, 0x02, code, 0x01, 0x00};
    return BuildFrame(payload, sizeof payload).entry;
}

// Reads one frame written by the port; returns false on timeout.
bool ReadFrame(const PtyPair &pty, Bytes &pending, SteadyClock::time_point *at, int timeoutMs)
{
    auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (SteadyClock::now() < end) {
        if (pending.size() >= 5 && pending.size() >= pending[4] + 9u) {
            pending.erase(pending.begin(), pending.begin() + pending[4] + 9);
            return true;
        }
        Bytes got = pty.Read(50, 1);
        *at = SteadyClock::now();
        pending.insert(pending.end(), got.begin(), got.end());
    }
    return false;
}

void PrintDeviation(const char *what, int interval, std::vector<double> dev)
{
    if (dev.empty()) {
        std::printf("%-34s %4d ms: no samples\n", what, interval);
        return;
    }
    std::vector<double> absDev;
    for (double d : dev)
        absDev.push_back(std::abs(d));
    std::sort(dev.begin(), dev.end());
    std::sort(absDev.begin(), absDev.end());
    auto pct = [](const std::vector<double> &v, double p) {
        return v[std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5))];
    };
    int over20 = static_cast<int>(std::count_if(absDev.begin(), absDev.end(), [](double d) { return d > 20; }));
    std::printf(
        "%-34s %4d ms: n=%zu deviation median %+.3f ms, |dev| p99 %.3f ms, min %+.3f, max %+.3f, over 20 ms: %d\n",
        what, interval, dev.size(), pct(dev, 0.5), pct(absDev, 0.99), dev.front(), dev.back(), over20);
}

struct Port {
    PtyPair pty;
    MsgRecorder owner;
    BoardPort com;
    bool Open(int interval)
    {
        GlobalLinkSettings().cmdSndInvl = interval;
        return pty.Ok() && com.InitPort(&owner, pty.SlavePath(), 115200, 'N', 8, 0) && com.StartMonitoring();
    }
};

// How far each request after the first starts from the command interval,
// counted from the previous request on a silent line, or from the last byte
// of the board's reply to it.
void Gaps(int interval, int frames, bool replying)
{
    Port port;
    if (!port.Open(interval))
        return;
    for (int i = 0; i < frames; ++i)
        port.com.PushTxEntry(Request(static_cast<std::uint8_t>(i & 0x7F)));
    Bytes pending;
    std::vector<double> dev;
    SteadyClock::time_point from{}, at{};
    const Bytes reply = MakeFrame(0x53, 0x82, 0x81, {0x00, 0x01, 0x02});
    for (int i = 0; i < frames; ++i) {
        if (!ReadFrame(port.pty, pending, &at, interval + 1000))
            break;
        if (i > 0)
            dev.push_back(MsSince(from, at) - interval);
        if (replying)
            port.pty.Write(reply);
        from = replying ? SteadyClock::now() : at;
    }
    PrintDeviation(replying ? "last reply byte to next request" : "gap between frames, silent line", interval, dev);
    port.com.StopMonitoring();
}

double CpuMs()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000.0 + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1000.0;
}

void RunLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void IdleCpu(int interval, int seconds)
{
    Port port;
    if (!port.Open(interval))
        return;
    double cpu0 = CpuMs();
    auto t0 = SteadyClock::now();
    RunLoopFor(seconds * 1000);
    double wall = MsSince(t0, SteadyClock::now());
    std::printf("idle open port, interval %4d ms: CPU %.3f %% of a core over %.1f s, %d idle notifications\n", interval,
                100.0 * (CpuMs() - cpu0) / wall, wall / 1000, port.owner.Count(WM_PORT_IDLE));
}

void LostDevice(int rounds)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        Port port;
        if (!port.Open(400))
            return;
        RunLoopFor(20);
        auto t0 = SteadyClock::now();
        port.pty.CloseMaster();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (port.owner.Count(WM_PORT_LOST) > 0)
                loop.quit();
        });
        poll.start(0);
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        std::vector<PostedMsg> lost = port.owner.Of(WM_PORT_LOST);
        if (lost.size() != 1) {
            std::printf("lost device: round %d told %zu times\n", i, lost.size());
            continue;
        }
        ms.push_back(MsSince(t0, lost[0].at));
    }
    std::sort(ms.begin(), ms.end());
    if (!ms.empty())
        std::printf("lost device reported to the window after: n=%zu median %.3f ms, max %.3f ms\n", ms.size(),
                    ms[ms.size() / 2], ms.back());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    Gaps(400, quick ? 6 : 26, false);
    Gaps(10, quick ? 50 : 500, false);
    Gaps(400, quick ? 6 : 26, true);
    Gaps(10, quick ? 50 : 500, true);
    IdleCpu(400, quick ? 2 : 10);
    LostDevice(quick ? 5 : 30);
    return 0;
}
