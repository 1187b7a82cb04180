// The board served on a real pseudo-terminal pair, with the timing faults.
#include "protocol/frame.h"
#include "sim/sim_board.h"
#include "sim/simhost.h"

#include <QSerialPort>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

int OpenRaw(const QString &path)
{
    int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// Reads until want bytes came or the time is up; counts the reads it took.
Bytes ReadBytes(int fd, std::size_t want, int timeoutMs, int *reads = nullptr)
{
    Bytes out;
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < want && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        std::uint8_t buf[512];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) {
            out.insert(out.end(), buf, buf + n);
            if (reads)
                ++*reads;
        }
    }
    return out;
}

Bytes Req(std::uint8_t cls, std::uint8_t code)
{
    return MakeFrame(kLinkMain, cls, code, Bytes{0x00});
}

bool Send(int fd, const Bytes &b)
{
    return write(fd, b.data(), b.size()) == static_cast<ssize_t>(b.size());
}
} // namespace

TEST(SimHost, PtyAnswersAndStopsCleanly)
{
    SimHost host;
    QString path;
    ASSERT_TRUE(host.StartPty(&path, {})) << host.ErrorString().toStdString();
    EXPECT_TRUE(path.startsWith("/dev/"));
    EXPECT_TRUE(host.IsRunning());
    QString again;
    EXPECT_FALSE(host.StartPty(&again, {}));
    int fd = OpenRaw(path);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(Send(fd, Req(0x02, 0x59)));
    Bytes answer = ReadBytes(fd, 12, 3000);
    ASSERT_EQ(answer.size(), 12u);
    EXPECT_EQ(answer[3], 0xD9);
    EXPECT_TRUE(VerifyFrame(answer.data(), answer.size()));
    EXPECT_EQ(host.Requests(), 1u);
    // The tool closing and reopening the port does not end the board.
    close(fd);
    fd = OpenRaw(path);
    ASSERT_TRUE(Send(fd, Req(0x03, 0x19)));
    EXPECT_EQ(ReadBytes(fd, 12, 3000).size(), 12u);
    host.Stop();
    EXPECT_FALSE(host.IsRunning());
    host.Stop();
    close(fd);
    // Started again after a stop.
    ASSERT_TRUE(host.StartPty(&path, {}));
    host.Stop();
}

TEST(SimHost, TimingFaults)
{
    // Answer delay: nothing before it; byte delay: the answer trickles in.
    SimOptions delayed;
    delayed.answerDelayMs = 150;
    SimOptions slow;
    slow.byteDelayMs = 8;
    for (const SimOptions &options : {delayed, slow}) {
        SimHost host;
        QString path;
        ASSERT_TRUE(host.StartPty(&path, options));
        int fd = OpenRaw(path);
        ASSERT_GE(fd, 0);
        auto start = Clock::now();
        ASSERT_TRUE(Send(fd, Req(0x03, 0x19)));
        int reads = 0;
        Bytes answer = ReadBytes(fd, 12, 5000, &reads);
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        ASSERT_EQ(answer.size(), 12u);
        EXPECT_TRUE(VerifyFrame(answer.data(), answer.size()));
        if (options.answerDelayMs)
            EXPECT_GE(elapsed, 140); // generous: the clocks of both sides round
        else {
            EXPECT_GE(elapsed, 11 * 8 / 2); // eleven gaps of 8 ms, with slack for rounding
            EXPECT_GT(reads, 3);
        }
        host.Stop();
        close(fd);
    }
}

// A stray head and then nothing: after the board's quiet time the next
// request is answered at once, not after 26 more requests.
TEST(SimHost, StrayHeadIsGivenUpWhenTheLineIsQuiet)
{
    SimHost host;
    QString path;
    ASSERT_TRUE(host.StartPty(&path, {}));
    int fd = OpenRaw(path);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(Send(fd, {0x4D, 0x53, 0x03, 0x19, 0xFF}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the line is quiet
    ASSERT_TRUE(Send(fd, Req(0x03, 0x19)));
    Bytes answer = ReadBytes(fd, 12, 2000);
    ASSERT_EQ(answer.size(), 12u);
    EXPECT_TRUE(VerifyFrame(answer.data(), answer.size()));
    EXPECT_EQ(answer[3], 0x99);
    host.Stop();
    close(fd);
}

// The tool closes the port with a stray head in the board's buffer and opens
// it again at once: the request of the new opening is answered.
TEST(SimHost, ReopenForgetsWhatTheLastOpeningLeft)
{
    SimHost host;
    QString path;
    ASSERT_TRUE(host.StartPty(&path, {}));
    int fd = OpenRaw(path);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(Send(fd, {0x4D, 0x53, 0x03, 0x19, 0xFF}));
    close(fd);
    fd = OpenRaw(path);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(Send(fd, Req(0x03, 0x19)));
    Bytes answer = ReadBytes(fd, 12, 2000);
    ASSERT_EQ(answer.size(), 12u);
    EXPECT_EQ(answer[3], 0x99);
    // Closed and not opened again: the board waits without spinning.
    close(fd);
    timespec before{}, after{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    double cpuMs = (after.tv_sec - before.tv_sec) * 1000.0 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 100.0);
    EXPECT_TRUE(host.IsRunning());
    host.Stop();
}

TEST(SimHost, ServesASerialDevice)
{
    // A pty pair stands in for two adapters wired together.
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios tio{};
    tcgetattr(master, &tio);
    cfmakeraw(&tio);
    tcsetattr(master, TCSANOW, &tio);
    SimHost host;
    ASSERT_TRUE(host.OpenDevice(QString::fromLocal8Bit(name), {}));
    ASSERT_TRUE(Send(master, Req(0x03, 0x25)));
    Bytes answer = ReadBytes(master, 16, 3000);
    ASSERT_EQ(answer.size(), 16u);
    EXPECT_EQ(answer[3], 0xA5);
    host.Stop();
    close(master);
    close(slave);

    EXPECT_FALSE(host.OpenDevice(QStringLiteral("/dev/pylvex-no-such-device"), {}));
    EXPECT_FALSE(host.ErrorString().isEmpty());
}

TEST(SimHost, AnswersTheToolsSerialPortObject)
{
    SimOptions options;
    options.secondary = true;
    SimHost host;
    QString path;
    ASSERT_TRUE(host.StartPty(&path, options));
    QSerialPort port(path);
    port.setBaudRate(9600);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
    Bytes request = Req(0x03, 0x18);
    port.write(reinterpret_cast<const char *>(request.data()), static_cast<qint64>(request.size()));
    ASSERT_TRUE(port.waitForBytesWritten(2000));
    QByteArray got;
    for (int i = 0; i < 50 && got.size() < 22; ++i)
        if (port.waitForReadyRead(100))
            got += port.readAll();
    ASSERT_EQ(got.size(), 22); // main and secondary, 11 bytes each
    EXPECT_EQ(static_cast<std::uint8_t>(got[1]), kLinkMain);
    EXPECT_EQ(static_cast<std::uint8_t>(got[12]), kLinkSecondary);
    port.close();
    host.Stop();
}
