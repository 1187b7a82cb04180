// The terminal page under a 460 800-baud stream: 46 KB/s written into a
// pseudo-terminal for a while (60 s unless a number of seconds is given),
// hex display with time stamps, with the auto-clear limit on and off.
// Prints the display's lag behind the stream at the end, the longest stall
// of the event loop, the CPU used and the resident memory, beside a floor
// measured in the same run: the same stream read from the same kind of
// pseudo-terminal by a bare reader on the event loop, with the same probe.
// Waiting blocks in the event loop (a loop of processEvents would spin and
// count its own spinning as CPU).
// Run offscreen: QT_QPA_PLATFORM=offscreen ./bench_terminal [seconds]
#include "app/framework/msgbox.h"
#include "app/pages/terminalpage.h"
#include "app/pages/terminalserialpanel.h"
#include "app/pylvexapp.h"
#include "bench/bench_process.h"
#include "common/fakehost.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTextBlock>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kBytesPerSecond = 46080; // 460 800 baud, 10 bits a byte
constexpr int kTickMs = 10;

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

// A raw pseudo-terminal pair; the name of the far side, its descriptor kept
// open when keepSlave (the floor reads it itself).
bool OpenPty(int &master, int &slave, char (&name)[128], bool keepSlave)
{
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return false;
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    if (!keepSlave) {
        ::close(slave);
        slave = -1;
    }
    return true;
}

// The stream: kTickMs chunks of pseudo-random bytes, paced by the clock.
class Writer {
public:
    explicit Writer(int fd)
        : m_thread([this, fd] {
              auto next = std::chrono::steady_clock::now();
              std::uint32_t x = 12345;
              char chunk[kBytesPerSecond * kTickMs / 1000];
              while (!m_stop) {
                  for (char &c : chunk) {
                      x = x * 1103515245u + 12345u;
                      c = static_cast<char>((x >> 16) & 0xFF);
                      if (static_cast<unsigned char>(c) == 0xA5)
                          c = 0x5A; // the end marker never appears before the end
                  }
                  ssize_t n = ::write(fd, chunk, sizeof chunk);
                  if (n > 0)
                      m_written += n;
                  next += std::chrono::milliseconds(kTickMs);
                  std::this_thread::sleep_until(next);
              }
          })
    {
    }
    qint64 Stop()
    {
        m_stop = true;
        m_thread.join();
        return m_written;
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_written{0};
    std::thread m_thread;
};

// The longest gap between two ticks of a 5 ms timer is the longest stall.
class StallProbe {
public:
    StallProbe()
    {
        m_gap.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, static_cast<double>(m_gap.nsecsElapsed()) / 1e6);
            m_gap.restart();
        });
        m_timer.start(5);
    }
    double Longest() const { return m_longest; }

private:
    QElapsedTimer m_gap;
    QTimer m_timer;
    double m_longest = 0;
};

// The floor: the stream read by a bare reader on the event loop.
Result RunFloor(int seconds)
{
    int master = -1, slave = -1;
    char name[128] = {};
    Result r;
    if (!OpenPty(master, slave, name, true))
        return r;
    qint64 received = 0;
    QSocketNotifier notifier(slave, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buf[4096];
        const ssize_t n = ::read(slave, buf, sizeof buf);
        if (n > 0)
            received += n;
    });
    Writer writer(master);
    StallProbe probe;
    const double cpuStart = ProcessCpuMs();
    QElapsedTimer wall;
    wall.start();
    WaitFor(seconds * 1000);
    r.bytes = writer.Stop();
    WaitFor(
        10000, [&] { return received >= r.bytes; }, 5);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e6;
    r.cpuPercent = 100.0 * (ProcessCpuMs() - cpuStart) / elapsed;
    r.stallMs = probe.Longest();
    r.rssKiB = ResidentKiB();
    r.lagMs = 0;
    ::close(slave);
    ::close(master);
    return r;
}

Result Run(int seconds, bool autoClear)
{
    int master = -1, slave = -1;
    char name[128] = {};
    Result r;
    if (!OpenPty(master, slave, name, false))
        return r;

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

    Writer writer(master);
    StallProbe probe;
    const double cpuStart = ProcessCpuMs();
    QElapsedTimer wall;
    wall.start();
    WaitFor(seconds * 1000);
    r.bytes = writer.Stop();

    // The end marker: the time from writing it to seeing it on the display.
    const char marker[] = {char(0xA5), char(0xA5), char(0xA5), char(0xA5)};
    QElapsedTimer lag;
    lag.start();
    (void)!::write(master, marker, sizeof marker);
    WaitFor(
        10000,
        [&] {
            const QString last = page->Display()->document()->lastBlock().previous().text() +
                                 page->Display()->document()->lastBlock().text();
            if (!last.contains(QStringLiteral("A5 A5 A5 A5")))
                return false;
            r.lagMs = static_cast<double>(lag.nsecsElapsed()) / 1e6;
            return true;
        },
        5);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e6;
    r.cpuPercent = 100.0 * (ProcessCpuMs() - cpuStart) / elapsed;
    r.stallMs = probe.Longest();
    r.rssKiB = ResidentKiB();
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
    const Result floor = RunFloor(seconds);
    std::printf("floor (bare reader): %lld bytes, longest stall %.1f ms, CPU %.1f %% of one core, resident %ld KiB\n",
                static_cast<long long>(floor.bytes), floor.stallMs, floor.cpuPercent, floor.rssKiB);
    for (bool autoClear : {true, false}) {
        Result r = Run(seconds, autoClear);
        std::printf("auto-clear %-3s: %lld bytes, display lag at the end %.1f ms, longest stall %.1f ms, "
                    "CPU %.1f %% of one core, resident %ld KiB, %d display lines\n",
                    autoClear ? "on" : "off", static_cast<long long>(r.bytes), r.lagMs, r.stallMs, r.cpuPercent,
                    r.rssKiB, r.lines);
        std::printf("  against the floor: stall %.1f ms vs %.1f ms, CPU %.1f %% vs %.1f %%\n", r.stallMs, floor.stallMs,
                    r.cpuPercent, floor.cpuPercent);
    }
    return 0;
}
