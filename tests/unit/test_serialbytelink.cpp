// The board port's serial line as a byte link on a pseudo-terminal pair:
// bytes both ways, the open error codes, the purge, and a device that goes
// away reported once as a lost link.
#include "files/logfiles.h"
#include "link/serialbytelink.h"
#include "log_folder_test.h"
#include "test_link_pty.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

struct Seen {
    QByteArray bytes;
    int lostErrors = 0;
    int otherErrors = 0;
    int closed = 0;
};

void Watch(SerialByteLink &link, Seen &seen)
{
    QObject::connect(&link, &ByteLink::BytesReceived, [&seen](const QByteArray &b) { seen.bytes += b; });
    QObject::connect(&link, &ByteLink::ErrorOccurred,
                     [&seen](const QString &, bool lost) { ++(lost ? seen.lostErrors : seen.otherErrors); });
    QObject::connect(&link, &ByteLink::Closed, [&seen] { ++seen.closed; });
}

QByteArray Q(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}

class SerialByteLinkTest : public LogFolderTest {
protected:
    void SetUp() override
    {
        LogFolderTest::SetUp();
        ASSERT_TRUE(m_pty.Ok());
    }
    QString LogInfoText() const
    {
        QFile f(LogFilePath(QStringLiteral("Log_info"), QStringLiteral("txt")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    PtyPair m_pty;
};
} // namespace

TEST_F(SerialByteLinkTest, CarriesBytesBothWays)
{
    SerialByteLink link(m_pty.SlavePath(), LineSettings{});
    Seen seen;
    Watch(link, seen);
    ASSERT_TRUE(link.Open());
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.OpenError(), 0u);
    const Bytes request = MakeFrame(0x53, 0x03, 0x19, {0x00});
    EXPECT_EQ(link.Write(Q(request)), qint64(request.size()));
    link.Drain(request.size());
    EXPECT_EQ(m_pty.Read(1000, request.size()), request);
    const Bytes answer = MakeFrame(0x53, 0x83, 0x19, {0x00, 0x40, 0x63});
    m_pty.Write(answer);
    ASSERT_TRUE(PumpUntil([&] { return seen.bytes.size() >= qsizetype(answer.size()); }, 1000));
    EXPECT_EQ(seen.bytes, Q(answer));
    link.Close();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(seen.closed, 1);
    EXPECT_EQ(seen.lostErrors + seen.otherErrors, 0);
}

TEST_F(SerialByteLinkTest, PurgeDiscardsWhatWasNotDelivered)
{
    SerialByteLink link(m_pty.SlavePath(), LineSettings{});
    Seen seen;
    Watch(link, seen);
    ASSERT_TRUE(link.Open());
    m_pty.Write(Bytes{0x01, 0x02, 0x03});
    QThread::msleep(50); // the bytes wait in the device; no event loop runs
    link.Purge();
    PumpFor(100);
    EXPECT_TRUE(seen.bytes.isEmpty());
}

TEST_F(SerialByteLinkTest, OpenFailuresGiveTheirCodes)
{
    SerialByteLink missing(QStringLiteral("/dev/ttyPylvexNoSuchPort"), LineSettings{});
    EXPECT_FALSE(missing.Open());
    EXPECT_EQ(missing.OpenError(), kOpenErrorNotFound);
    EXPECT_FALSE(missing.ErrorText().isEmpty());

    SerialByteLink first(m_pty.SlavePath(), LineSettings{});
    ASSERT_TRUE(first.Open());
    SerialByteLink second(m_pty.SlavePath(), LineSettings{});
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(second.OpenError(), kOpenErrorBusy);
}

TEST_F(SerialByteLinkTest, AVanishedDeviceIsLostOnceAndClosed)
{
    SerialByteLink link(m_pty.SlavePath(), LineSettings{});
    Seen seen;
    Watch(link, seen);
    ASSERT_TRUE(link.Open());
    m_pty.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return seen.closed > 0; }, 1000));
    PumpFor(200); // no storm of errors follows
    EXPECT_EQ(seen.lostErrors, 1);
    EXPECT_EQ(seen.closed, 1);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Write(QByteArray("x")), -1);
    EXPECT_TRUE(link.ErrorText().contains(QStringLiteral("hang-up"))) << link.ErrorText().toStdString();
    EXPECT_EQ(LogInfoText().count(QStringLiteral("WARNING: ReadFile()")), 1) << LogInfoText().toStdString();
}
