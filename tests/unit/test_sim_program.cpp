// The pylvex-sim program as a process: the device path it prints, an answer
// through it, and a clean end on SIGTERM.
#include "protocol/frame.h"
#include "sim/sim_board.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString Program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/pylvex-sim");
}

class SimProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(Program()).isExecutable()) << "build pylvex-sim first: " << Program().toStdString();
    }
};
} // namespace

TEST_F(SimProgram, PrintsAUsablePathAndEndsOnSigterm)
{
    QProcess sim;
    sim.start(Program(), {QStringLiteral("--secondary")});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith("/dev/")) << path.toStdString();

    int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    SimBytes request = MakeFrame(kLinkMain, 0x03, 0x19, SimBytes{0x00});
    ASSERT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    // Main and secondary answers: 12 bytes each.
    SimBytes got;
    for (int i = 0; i < 100 && got.size() < 24; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            std::uint8_t buf[64];
            ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0)
                got.insert(got.end(), buf, buf + n);
        }
    }
    close(fd);
    ASSERT_EQ(got.size(), 24u);
    EXPECT_EQ(got[1], kLinkMain);
    EXPECT_EQ(got[13], kLinkSecondary);

    ::kill(static_cast<pid_t>(sim.processId()), SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST_F(SimProgram, HelpAndRefusedSwitches)
{
    QProcess help;
    help.start(Program(), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char *name : {"--secondary", "--drop-every", "--second-try", "--corrupt-every", "--wrong-length-every",
                             "--result-code", "--garbage", "--byte-delay", "--answer-delay", "--no-batch",
                             "--clock-offset", "--speed", "--seed", "--baud", "--verbose"})
        EXPECT_TRUE(text.contains(QLatin1String(name))) << name;

    QProcess version;
    version.start(Program(), {QStringLiteral("--version")});
    ASSERT_TRUE(version.waitForFinished(5000));
    EXPECT_EQ(version.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(version.readAllStandardOutput()), QStringLiteral("pylvex-sim 1.0.1.0\n"));

    const QStringList refused[] = {{"--drop-every", "x"},
                                   {"--result-code", "300"},
                                   {"--speed", "0"},
                                   {"--no-such-switch"},
                                   {"a", "b"},
                                   {"--clock-offset", "-1000000000"}};
    for (const QStringList &args : refused) {
        QProcess bad;
        bad.start(Program(), args);
        ASSERT_TRUE(bad.waitForFinished(5000));
        EXPECT_EQ(bad.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(bad.readAllStandardError().isEmpty());
    }
    QProcess missing;
    missing.start(Program(), {QStringLiteral("/dev/pylvex-no-such-device")});
    ASSERT_TRUE(missing.waitForFinished(5000));
    EXPECT_EQ(missing.exitCode(), 1);
}
