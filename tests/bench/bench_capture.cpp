// What a capture of the board link costs: the frames per second the capture
// writes into a real file (each one a whole block handed to the system), and
// the pacing of the board port on a pseudo-terminal with and without a
// capture running. Prints figures; it gates nothing.
#include "link/boardport.h"
#include "link/linkcapture.h"
#include "link/linksettings.h"
#include "unit/test_link_pty.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

FrameEntry *Request(std::uint8_t code)
{
    const std::uint8_t payload[] = {0x53, 0x02, code, 0x01, 0x00};
    return BuildFrame(payload, sizeof payload).entry;
}

// Request and answer pairs recorded straight into a capture: the answer
// arrives in two reads, as it does from a USB adapter.
void Throughput(const QString &path, int pairs)
{
    LinkCapture capture;
    if (!capture.Open(path)) {
        std::printf("capture: cannot open %s\n", qPrintable(path));
        return;
    }
    capture.SetPort(QStringLiteral("/dev/ttyUSB0"), LineSettings{});
    const Bytes request = BoardFrame(0x03, 0x05, {0x00});
    const Bytes answer = StatusAnswer(0x05, Bytes(32, 0x0C));
    const auto t0 = SteadyClock::now();
    for (int i = 0; i < pairs; ++i) {
        capture.Sent(request.data(), request.size());
        capture.Received(answer.data(), 7);
        capture.Received(answer.data() + 7, answer.size() - 7);
    }
    const double ms = MsSince(t0, SteadyClock::now());
    capture.Close();
    const auto records = capture.File().Records();
    std::printf("capture throughput: %llu records (%d requests, %d answers in two reads each) in %.1f ms: "
                "%.0f frames/s, %.2f us per frame, %.1f MB written\n",
                static_cast<unsigned long long>(records), pairs, pairs, ms, records / (ms / 1000.0),
                1000.0 * ms / static_cast<double>(records), capture.File().Size() / 1e6);
}

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

// From the last byte of the board's reply to the next request, less the
// command interval: the pacing as the board sees it.
void Pacing(const char *what, int interval, int frames, const QString &capturePath)
{
    std::shared_ptr<LinkCapture> capture;
    if (!capturePath.isEmpty()) {
        capture = std::make_shared<LinkCapture>();
        if (!capture->Open(capturePath))
            return;
        SetLinkCapture(capture);
    }
    PtyPair pty;
    MsgRecorder owner;
    BoardPort com;
    GlobalLinkSettings().cmdSndInvl = interval;
    if (!pty.Ok() || !com.InitPort(&owner, pty.SlavePath(), 115200, 'N', 8, 0) || !com.StartMonitoring())
        return;
    for (int i = 0; i < frames; ++i)
        com.PushTxEntry(Request(static_cast<std::uint8_t>(i & 0x7F)));
    const Bytes reply = StatusAnswer(0x05, Bytes(32, 0x0C));
    Bytes pending;
    std::vector<double> dev;
    SteadyClock::time_point from{}, at{};
    for (int i = 0; i < frames; ++i) {
        if (!ReadFrame(pty, pending, &at, interval + 1000))
            break;
        if (i > 0)
            dev.push_back(MsSince(from, at) - interval);
        pty.Write(reply);
        from = SteadyClock::now();
    }
    com.StopMonitoring();
    SetLinkCapture(nullptr);
    if (dev.empty()) {
        std::printf("%-22s no samples\n", what);
        return;
    }
    std::sort(dev.begin(), dev.end());
    auto pct = [&dev](double p) {
        return dev[std::min(dev.size() - 1, static_cast<std::size_t>(p * (dev.size() - 1) + 0.5))];
    };
    double mean = 0;
    for (double d : dev)
        mean += d;
    mean /= static_cast<double>(dev.size());
    std::printf("%-22s interval %d ms, n=%zu: reply to next request minus interval: mean %+.3f ms, median %+.3f, "
                "p99 %+.3f, max %+.3f%s\n",
                what, interval, dev.size(), mean, pct(0.5), pct(0.99), dev.back(),
                capture ? qPrintable(QStringLiteral(" (%1 records captured)").arg(capture->File().Records())) : "");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    QTemporaryDir dir;
    Throughput(dir.filePath(QStringLiteral("throughput.pcapng")), quick ? 5000 : 100000);
    const int frames = quick ? 50 : 400;
    for (int round = 0; round < 2; ++round) {
        Pacing("pacing without capture", 10, frames, QString());
        Pacing("pacing with capture", 10, frames, dir.filePath(QStringLiteral("pacing.pcapng")));
    }
    return 0;
}
