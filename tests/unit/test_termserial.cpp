// The terminal's serial link over a pseudo-terminal pair: the test plays the
// device on the master side.
#include "link/termserial.h"
#include "unit/term_link_test.h"

#include <gtest/gtest.h>

namespace {

class TermSerialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.Ok());
        TermLineSettings settings;
        settings.port = m_pty.SlavePath();
        m_link.SetSettings(settings);
    }

    PtyPair m_pty;
    TermSerialLink m_link;
    LinkRecorder m_rec{&m_link};
};

QByteArray AllBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

TEST_F(TermSerialTest, BytesBothWays)
{
    ASSERT_TRUE(m_link.Open()) << m_link.ErrorText().toStdString();
    EXPECT_TRUE(m_link.IsOpen());
    EXPECT_EQ(m_rec.openedCount, 1);

    QByteArray out = AllBytes().repeated(8);
    EXPECT_EQ(m_link.Write(out), out.size());
    std::vector<std::uint8_t> got = m_pty.Read(2000, out.size());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(got.data()), static_cast<qsizetype>(got.size())), out);
    EXPECT_TRUE(PumpUntil([&] { return m_link.PendingBytes() == 0 && m_rec.written == out.size(); }, 2000));

    QByteArray in = AllBytes();
    m_pty.Write(reinterpret_cast<const std::uint8_t *>(in.constData()), static_cast<std::size_t>(in.size()));
    EXPECT_TRUE(PumpUntil([&] { return m_rec.received.size() >= in.size(); }, 2000));
    EXPECT_EQ(m_rec.received, in);
    ASSERT_FALSE(m_rec.chunks.empty());
    EXPECT_TRUE(m_rec.chunks.front().peer.isEmpty());

    m_link.Close();
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_EQ(m_rec.closedCount, 1);
    m_link.Close();
    EXPECT_EQ(m_rec.closedCount, 1);
    EXPECT_EQ(m_link.Write("x"), -1);
}

struct LineCase {
    int baud;
    int dataBits;
    int stopIndex;
    int parityIndex;
    bool opens; // a pseudo-terminal keeps 8 data bits and no parity
    bool warns; // one and a half stop bits fall back to one
};

// Every rate of the panel's list opens, the two that are no standard termios
// rate (14400, 194000) included; settings the device refuses fail the
// opening instead of running with others.
const LineCase kLines[] = {
    {1200, 8, 0, 0, true, false},   {14400, 8, 0, 0, true, false},  {194000, 8, 0, 0, true, false},
    {460800, 8, 0, 0, true, false}, {115200, 8, 2, 0, true, false}, {115200, 8, 1, 0, true, true},
    {9600, 7, 0, 0, false, false},  {9600, 8, 0, 2, false, false},  {9600, 6, 1, 1, false, false},
};

TEST_F(TermSerialTest, LineSettingsOpenOrFailWhole)
{
    int fds = CountOpenFds();
    for (const LineCase &c : kLines) {
        TermLineSettings s = m_link.Settings();
        s.baud = c.baud;
        s.dataBits = c.dataBits;
        s.stopIndex = c.stopIndex;
        s.parityIndex = c.parityIndex;
        m_link.SetSettings(s);
        int errorsBefore = static_cast<int>(m_rec.errors.size());
        ASSERT_EQ(m_link.Open(), c.opens) << c.baud << " " << m_link.ErrorText().toStdString();
        if (!c.opens) {
            EXPECT_FALSE(m_link.IsOpen());
            EXPECT_FALSE(m_link.ErrorText().isEmpty());
            continue;
        }
        EXPECT_EQ(static_cast<int>(m_rec.errors.size()) - errorsBefore, c.warns ? 1 : 0) << c.baud;
        EXPECT_EQ(m_link.Write("ok"), 2);
        EXPECT_EQ(m_pty.Read(1000, 2).size(), 2u);
        m_link.Close();
    }
    EXPECT_EQ(m_rec.lostCount, 0);
    EXPECT_EQ(m_rec.openedCount, m_rec.closedCount);
    EXPECT_EQ(CountOpenFds(), fds);
}

TEST_F(TermSerialTest, ModemLinesOnAPseudoTerminalAreReportedNotLost)
{
    ASSERT_TRUE(m_link.Open());
    EXPECT_FALSE(m_link.SetDtr(true));
    EXPECT_FALSE(m_link.SetRts(true));
    EXPECT_EQ(m_rec.errors.size(), 2);
    EXPECT_EQ(m_rec.lostCount, 0);
    EXPECT_TRUE(m_link.IsOpen());
    EXPECT_EQ(m_link.Write("still"), 5);
    EXPECT_EQ(m_pty.Read(1000, 5).size(), 5u);
    m_link.Close();
    EXPECT_FALSE(m_link.SetDtr(true)); // closed
}

TEST_F(TermSerialTest, PeerGoneClosesOnceWithoutSpinning)
{
    // A link thread of the test before may still be on its way out: count
    // once the number has held still for a while.
    int threadsBefore = CountThreads();
    for (int settled = 0, tries = 0; settled < 3 && tries < 30; ++tries) {
        PumpFor(50);
        const int now = CountThreads();
        settled = now == threadsBefore ? settled + 1 : 0;
        threadsBefore = now;
    }
    ASSERT_TRUE(m_link.Open());
    EXPECT_GT(CountThreads(), threadsBefore);
    m_pty.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return m_rec.lostCount > 0; }, 2000));
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_TRUE(PumpUntil([&] { return CountThreads() <= threadsBefore; }, 1000));
    double cpuBefore = ProcessCpuMs();
    PumpFor(500);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 100); // nothing spins
    EXPECT_EQ(m_rec.lostCount, 1);
    EXPECT_EQ(m_rec.closedCount, 1);
    EXPECT_EQ(m_link.Write("x"), -1);
    m_link.Close();
    EXPECT_EQ(m_rec.closedCount, 1);
}

TEST_F(TermSerialTest, MissingDeviceDoesNotOpen)
{
    TermLineSettings s;
    s.port = QStringLiteral("/dev/pylvex-no-such-device");
    m_link.SetSettings(s);
    EXPECT_FALSE(m_link.Open());
    EXPECT_FALSE(m_link.ErrorText().isEmpty());
    EXPECT_FALSE(m_link.IsOpen());
    EXPECT_EQ(m_rec.openedCount, 0);
    EXPECT_EQ(m_rec.closedCount, 0);
}

TEST_F(TermSerialTest, ReopeningManyTimesLeaksNothing)
{
    ASSERT_TRUE(m_link.Open());
    m_link.Close();
    int fds = CountOpenFds();
    int threads = CountThreads();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(m_link.Open());
        m_link.Write("abc");
        m_link.Close();
    }
    EXPECT_EQ(CountOpenFds(), fds);
    EXPECT_TRUE(PumpUntil([&] { return CountThreads() <= threads; }, 1000));
    EXPECT_EQ(m_rec.openedCount, 31);
    EXPECT_EQ(m_rec.closedCount, 31);
    m_pty.Read(300);
    // Bytes from a closed opening never reach the next one.
    ASSERT_TRUE(m_link.Open());
    PumpFor(100);
    EXPECT_TRUE(m_rec.received.isEmpty());
}

} // namespace
