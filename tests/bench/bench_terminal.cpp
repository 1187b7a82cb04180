// The terminal page under a 460 800-baud stream: 46 KB/s written into a
// pseudo-terminal for a while (60 s unless a number of seconds is given),
// hex display with time stamps, with the auto-clear limit on and off.
// Prints the display's lag behind the stream at the end, the longest stall
// of the event loop, the CPU used and the resident memory.
// Run offscreen: QT_QPA_PLATFORM=offscreen ./bench_terminal [seconds]
#include "app/framework/msgbox.h"
#include "app/pages/terminalpage.h"
#include "app/pages/terminalserialpanel.h"
#include "app/pylvexapp.h"
#include "common/fakehost.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kBytesPerSecond = 46080; // 460 800 baud, 10 bits a byte
constexpr int kTickMs = 10;

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Result {
    double lagMs = -1;
    double stallMs = 0;
    double cpuPercent = 0;
    long rssKiB = 0;
    qint64 bytes = 0;
    int lines = 0;
};

Result Run(int seconds, bool autoClear)
{
    int master = -1, slave = -1;
    char name[128] = {};
    Result r;
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return r;
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);

    FakeHost host;
    auto *page = host.AddPage(new TerminalPage(&host));
    page->Uart()->Item<QComboBox>(IDC_UART_PORT)->setEditText(QString::fromLatin1(name));
    page->SetDlgItemText(IDC_TERM_AUTOCLEAR_LIMIT, QStringLiteral("5120"));
    if (autoClear)
        page->ClickDlgButton(IDC_TERM_AUTOCLEAR);
    page->resize(1000, 700);
    page->show();
    // The user's press of "打开串口" (a pseudo-terminal is opened only when asked).
    MsgBoxRecorder boxes;
    if (!page->Uart()->OpenPort(true))
        return r;
    QCoreApplication::sendPostedEvents();

    // The stream: kTickMs chunks of pseudo-random bytes, paced by the clock.
    std::atomic<bool> stop{false};
    std::atomic<qint64> written{0};
    std::thread writer([&] {
        auto next = std::chrono::steady_clock::now();
        std::uint32_t x = 12345;
        char chunk[kBytesPerSecond * kTickMs / 1000];
        while (!stop) {
            for (char &c : chunk) {
                x = x * 1103515245u + 12345u;
                c = static_cast<char>((x >> 16) & 0xFF);
                if (static_cast<unsigned char>(c) == 0xA5)
                    c = 0x5A; // the end marker never appears before the end
            }
            ssize_t n = ::write(master, chunk, sizeof chunk);
            if (n > 0)
                written += n;
            next += std::chrono::milliseconds(kTickMs);
            std::this_thread::sleep_until(next);
        }
    });

    // The longest gap between two ticks of a 5 ms timer is the longest stall.
    QElapsedTimer gap;
    gap.start();
    double longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.nsecsElapsed() / 1e6);
        gap.restart();
    });
    probe.start(5);

    const double cpuStart = ProcessCpuMs();
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000LL)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    stop = true;
    writer.join();

    // The end marker: the time from writing it to seeing it on the display.
    const char marker[] = {char(0xA5), char(0xA5), char(0xA5), char(0xA5)};
    QElapsedTimer lag;
    lag.start();
    (void)!::write(master, marker, sizeof marker);
    while (lag.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const QString last = page->Display()->document()->lastBlock().previous().text() +
                             page->Display()->document()->lastBlock().text();
        if (last.contains(QStringLiteral("A5 A5 A5 A5"))) {
            r.lagMs = lag.nsecsElapsed() / 1e6;
            break;
        }
    }
    const double elapsed = wall.nsecsElapsed() / 1e6;
    r.cpuPercent = 100.0 * (ProcessCpuMs() - cpuStart) / elapsed;
    r.stallMs = longest;
    r.rssKiB = ResidentKiB();
    r.bytes = written;
    r.lines = page->Display()->blockCount();
    page->Uart()->ClosePort();
    ::close(master);
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    PylvexApp app(argc, argv);
    int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    std::printf("terminal page, %d B/s for %d s through a pseudo-terminal, hex display with time stamps\n",
                kBytesPerSecond, seconds);
    for (bool autoClear : {true, false}) {
        Result r = Run(seconds, autoClear);
        std::printf("auto-clear %-3s: %lld bytes, display lag at the end %.1f ms, longest stall %.1f ms, "
                    "CPU %.1f %% of one core, resident %ld KiB, %d display lines\n",
                    autoClear ? "on" : "off", static_cast<long long>(r.bytes), r.lagMs, r.stallMs, r.cpuPercent,
                    r.rssKiB, r.lines);
    }
    return 0;
}
