// Figures of the firmware upgrade by the command protocol: the real window
// and the real upgrade dialog (row 13 of the customer control page) against
// the simulated board, a 64 KiB image at the dialog's 10 ms command interval,
// once straight over a pseudo-terminal and once through a relay that paces
// the bytes as a 115200 baud line would. Prints the total time, the time per
// block and the floor the pacing rule sets: one interval of silence before
// every request plus the wire time of every byte of requests and answers.
// Decides nothing.
// Usage: bench_fw_upgrade [runs] [KiB]
#include "app/dialogs/filechooser.h"
#include "app/dialogs/firmwareupgradedialog.h"
#include "app/framework/msgbox.h"
#include "app/framework/pagehost.h"
#include "app/mainwindow.h"
#include "app/pages/customercontrolpage.h"
#include "app/pagesheet.h"
#include "app/pylvexapp.h"
#include "bench/bench_profile.h"
#include "bench/image_on_board.h"
#include "files/logfiles.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kBaud = 115200;
constexpr int kIntervalMs = 10;
constexpr int kBlock = 128; // the simulated board's erase answer chooses 128-byte blocks

struct Figures {
    bool ok = false;
    double seconds = 0;
    std::uint64_t toBoard = 0, toTool = 0; // bytes, when paced
    bool intact = false;
};

bool Done(const QStringList &rows)
{
    for (const QString &row : rows)
        if (row == QStringLiteral("接收：软件升级成功") || row.contains(QStringLiteral("升级终止")) ||
            row.contains(QStringLiteral("仍然没有应答")))
            return true;
    return false;
}

Figures RunOnce(bool paced, int size, int seed)
{
    Figures f;
    ImageOnBoard image;
    if (!image.Start({}, size, seed, paced ? kBaud : 0))
        return f;
    const QString path = image.Path();
    const QString device = image.Device();
    PacedRelay &relay = image.Relay();
    MainWindow dlg;
    theApp()->m_nCmdSndInvl = 50;
    auto *ele = qobject_cast<CustomerControlPage *>(dlg.Host()->FindPage<CustomerControlPage>());
    if (!ele || !dlg.Sheet()->SetActivePage(ele) || !dlg.OpenPortByName(device, true))
        return f;
    SetFileChooserHook([&](const FileAsk &) { return path; });
    SetModalHook([&](QDialog *d) {
        auto *fw = qobject_cast<FirmwareUpgradeDialog *>(d);
        if (!fw)
            return int(QDialog::Rejected);
        // The dialog starts the run as soon as its event loop turns.
        relay.ResetCounts();
        QElapsedTimer clock;
        clock.start();
        while (!Done(fw->Rows()) && clock.elapsed() < 600000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        f.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        f.toBoard = relay.ToBoard();
        f.toTool = relay.ToTool();
        f.ok = fw->Rows().contains(QStringLiteral("接收：软件升级成功"));
        if (!f.ok)
            PrintEnding(fw->Rows());
        // The version read after the run.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return int(QDialog::Rejected);
    });
    ele->WriteParams(IDC_ELE_UPGRADE);
    SetModalHook({});
    SetFileChooserHook({});
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
    const int size = (argc > 2 ? std::max(1, std::atoi(argv[2])) : 64) * 1024;
    const int blocks = (size + kBlock - 1) / kBlock;
    const double byteMs = 10.0 * 1000.0 / kBaud;
    std::printf("firmware upgrade, command protocol: %d bytes, %d blocks of %d, interval %d ms, %d baud\n", size,
                blocks, kBlock, kIntervalMs, kBaud);
    // Requests of the run: versions, steps 1, 3, 5, every block, step 9.
    const int requests = 1 + 3 + blocks + 1;
    for (bool paced : {false, true}) {
        for (int i = 0; i < runs; ++i) {
            const Figures f = RunOnce(paced, size, i + 1);
            if (!f.ok) {
                std::printf("  %-22s run %d: did not succeed\n", paced ? "paced 115200 relay" : "pseudo-terminal",
                            i + 1);
                continue;
            }
            std::printf("  %-22s run %d: total %7.3f s  per block %6.2f ms  image intact %s",
                        paced ? "paced 115200 relay" : "pseudo-terminal", i + 1, f.seconds, f.seconds * 1000.0 / blocks,
                        f.intact ? "yes" : "NO");
            if (paced) {
                const double wireMs = static_cast<double>(f.toBoard + f.toTool) * byteMs;
                const double floorMs = requests * kIntervalMs + wireMs;
                std::printf(
                    "\n      bytes to board %llu, to tool %llu: wire %.0f ms; floor (%d requests x %d ms + wire) "
                    "%.0f ms; time / floor %.3f",
                    static_cast<unsigned long long>(f.toBoard), static_cast<unsigned long long>(f.toTool), wireMs,
                    requests, kIntervalMs, floorMs, f.seconds * 1000.0 / floorMs);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
