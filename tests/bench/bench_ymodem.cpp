// Figures of the firmware upgrade by YModem: the real window and the real
// upgrade dialog against the simulated board's loaders (the repeater's for
// the raw transport, the board's for the wrapped one) through a relay that
// paces the bytes as a 115200 baud line would (pseudo-terminals ignore the
// baud rate). The time runs from block 0 leaving to the ACK of the second EOT.
// Each run is set against:
// - the wire time of every byte both ways (the sender waits for every answer,
//   so the two directions never overlap);
// - the pacing floor: the port sends a packet only after the line has been
//   quiet for one command interval, so every send after the first adds one
//   interval. Raw: one per packet, the 260-byte pieces of a packet leave
//   while the relay still passes the first. Wrapped: one per frame. On a real
//   line a write ends only when its bytes have left, so the wrapped floor
//   there is the silence plus the wire time; through the relay the tool's
//   writes end at once and the wire time of a packet's frames hides behind
//   their silences, so the relay can beat that line floor.
// The transfer starts right after the port opens, so the clock
// synchronisation's ticks (every 3 s) fall into it and must keep off the line.
// Decides nothing.
// Usage: bench_ymodem [runs] [KiB] [raw|wrapped|both]
#include "app/dialogs/ymodemupgradedialog.h"
#include "app/framework/pagehost.h"
#include "app/mainwindow.h"
#include "app/pages/customercontrolpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "bench/bench_profile.h"
#include "bench/image_on_board.h"
#include "files/logfiles.h"
#include "protocol/request.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kBaud = 115200;
constexpr int kIntervalMs = 10; // the window's interval; the wrapped transport changes it while it runs

struct Figures {
    bool ok = false;
    double seconds = 0;
    std::uint64_t toBoard = 0, toTool = 0;
    bool intact = false;
};

void Turn(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

Figures RunOnce(YModemTransport transport, int size, int seed)
{
    const qint64 limitMs = std::getenv("BENCH_LIMIT_MS") ? std::atoll(std::getenv("BENCH_LIMIT_MS")) : 900000;
    Figures f;
    SimOptions options;
    options.repeater = transport == YModemTransport::Raw;
    ImageOnBoard image;
    if (!image.Start(options, size, seed, kBaud))
        return f;
    const QString path = image.Path();
    PacedRelay &relay = image.Relay();
    MainWindow dlg;
    theApp()->m_nCmdSndInvl = kIntervalMs;
    // The live status page, first on the sheet, refreshes on its own timers;
    // the transfer runs from a page that does not.
    PageBase *ele = dlg.Host()->FindPage<CustomerControlPage>();
    if (!ele || !dlg.Sheet()->SetActivePage(ele) || !dlg.OpenPortByName(image.Device(), true))
        return f;
    Turn(300); // the window's first requests
    theApp()->m_nCmdSndInvl = kIntervalMs;
    const Payload request =
        PlainRequest(transport == YModemTransport::Raw ? CommandId{0x01, 0x01} : CommandId{0x02, 0x01});
    dlg.Host()->SendFrame(request.data(), request.size());
    Turn(100); // the acknowledgement
    {
        YModemUpgradeDialog up(dlg.Host(), transport, path);
        QElapsedTimer limit;
        limit.start();
        while (!up.Sender().Block0Sent() && limit.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        relay.ResetCounts();
        QElapsedTimer clock;
        clock.start();
        while (!up.Sender().Finished() && !up.Sender().EotSent() && clock.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        while (!up.Sender().Finished() && clock.elapsed() < limitMs && up.Sender().EotSent())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        f.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        f.toBoard = relay.ToBoard();
        f.toTool = relay.ToTool();
        f.ok = up.Sender().Finished();
        if (!f.ok)
            PrintEnding(up.Rows());
        Turn(1500); // the end block reaches the board
    }
    dlg.ClosePort();
    image.Stop();
    f.intact = image.StoredIntact();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    BenchProfile profile;
    PylvexApp app(argc, argv);
    SetLogBaseFolder(profile.Path());
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int size = (argc > 2 ? std::max(1, std::atoi(argv[2])) : 256) * 1024;
    const char *which = argc > 3 ? argv[3] : "both";
    const double byteMs = 10.0 * 1000.0 / kBaud;
    // Packets from block 0 up to the EOT, sent twice: full 1024-byte blocks,
    // the last one a 128-byte block when it fits there.
    const int fullBlocks = size / 1024;
    const int rest = size % 1024;
    const std::size_t lastPacket = rest == 0 ? 0 : (rest <= 128 ? kYmSmallPacket : kYmLargePacket);
    const int packets = 1 + fullBlocks + (lastPacket ? 1 : 0) + 2;
    const auto framesOf = [](std::size_t n) { return static_cast<int>((n + kYmWrapChunk - 1) / kYmWrapChunk); };
    const int frames =
        framesOf(kYmSmallPacket) + fullBlocks * framesOf(kYmLargePacket) + (lastPacket ? framesOf(lastPacket) : 0) + 2;
    std::printf("YModem upgrade: %d bytes, %d baud through a paced relay, command interval %d ms\n", size, kBaud,
                kIntervalMs);
    for (YModemTransport transport : {YModemTransport::Raw, YModemTransport::Wrapped}) {
        const bool raw = transport == YModemTransport::Raw;
        if (std::strcmp(which, "both") != 0 && std::strcmp(which, raw ? "raw" : "wrapped") != 0)
            continue;
        const int interval = raw ? kIntervalMs : YModemWrappedInterval(kIntervalMs);
        const int sends = raw ? packets : frames;
        const double silenceMs = static_cast<double>(sends - 1) * interval;
        for (int i = 0; i < runs; ++i) {
            const Figures f = RunOnce(transport, size, i + 1);
            const char *name = raw ? "raw" : "wrapped";
            if (!f.ok) {
                std::printf("  %-8s run %d: did not finish (bytes to board %llu, to tool %llu)\n", name, i + 1,
                            static_cast<unsigned long long>(f.toBoard), static_cast<unsigned long long>(f.toTool));
                continue;
            }
            const double ms = f.seconds * 1000.0;
            const double wireMs = static_cast<double>(f.toBoard + f.toTool) * byteMs;
            std::printf("  %-8s run %d: %8.3f s  bytes to board %llu, to tool %llu  image intact %s\n", name, i + 1,
                        f.seconds, static_cast<unsigned long long>(f.toBoard),
                        static_cast<unsigned long long>(f.toTool), f.intact ? "yes" : "NO");
            std::printf("           wire %.0f ms: time / wire %.3f\n", wireMs, ms / wireMs);
            if (raw)
                std::printf("           floor wire + %d silences x %d ms = %.0f ms: time / floor %.3f\n", sends - 1,
                            interval, wireMs + silenceMs, ms / (wireMs + silenceMs));
            else
                std::printf("           silences %d x %d ms = %.0f ms: time / silences %.3f; line floor (silences "
                            "+ wire) %.0f ms: time / line floor %.3f\n",
                            sends - 1, interval, silenceMs, ms / silenceMs, silenceMs + wireMs,
                            ms / (silenceMs + wireMs));
            std::fflush(stdout);
        }
    }
    return 0;
}
