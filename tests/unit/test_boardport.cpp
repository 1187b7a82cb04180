#include "files/logfiles.h"
#include "link/boardport.h"
#include "link/linksettings.h"
#include "log_folder_test.h"
#include "test_link_pty.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>

namespace {
using Bytes = std::vector<std::uint8_t>;

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

FrameEntry *Request(std::uint8_t code)
{
    const std::uint8_t payload[] = {0x53, 0x02, code, 0x01, 0x00};
    return BuildFrame(payload, sizeof payload).entry;
}

struct Arrival {
    SteadyClock::time_point at;
    Bytes frame;
};

// Reads frames written by the port until `count` arrived or timeoutMs passed,
// stamping each with the time its last byte was read.
std::vector<Arrival> ReadFrames(const PtyPair &pty, std::size_t count, int timeoutMs)
{
    std::vector<Arrival> out;
    Bytes pending;
    auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count && SteadyClock::now() < end) {
        Bytes got = pty.Read(5, 1);
        pending.insert(pending.end(), got.begin(), got.end());
        while (pending.size() >= 5 && pending.size() >= pending[4] + 9u) {
            std::size_t len = pending[4] + 9u;
            out.push_back({SteadyClock::now(), Bytes(pending.begin(), pending.begin() + len)});
            pending.erase(pending.begin(), pending.begin() + len);
        }
    }
    return out;
}

int CountOpenFds()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

int CountThreads()
{
    QByteArray status = ReadFile(QStringLiteral("/proc/self/status"));
    int at = status.indexOf("Threads:");
    return at < 0 ? -1 : status.mid(at + 8, status.indexOf('\n', at) - at - 8).trimmed().toInt();
}

double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

class SerialComTest : public LogFolderTest {
protected:
    void SetUp() override
    {
        LogFolderTest::SetUp();
        ASSERT_TRUE(m_pty.Ok());
    }
    void TearDown() override
    {
        m_com.StopMonitoring();
        LinkSettings &s = GlobalLinkSettings();
        s.cmdSndInvl = 400;
        s.rxEcho = false;
        s.logDebug = false;
        s.ymodemActive = false;
        LogFolderTest::TearDown();
        // Nothing the window has no handler for is ever sent.
        for (int msg : {WM_PORT_BREAK, WM_PORT_CTS, WM_PORT_ERROR, WM_PORT_RING, WM_PORT_RXFLAG, WM_PORT_WRITTEN})
            EXPECT_EQ(m_owner.Count(msg), 0) << msg;
    }
    void Open(int intervalMs)
    {
        GlobalLinkSettings().cmdSndInvl = intervalMs;
        ASSERT_TRUE(m_com.InitPort(&m_owner, m_pty.SlavePath(), 9600, 'N', 8, 0));
        ASSERT_EQ(m_com.m_dwOpenError, 0u);
        ASSERT_TRUE(m_com.StartMonitoring());
        ASSERT_TRUE(m_com.IsRunning());
    }
    QString Today(const char *kind) const { return LogFilePath(QLatin1String(kind), QStringLiteral("txt")); }
    std::vector<Bytes> TakeRxFrames()
    {
        std::vector<Bytes> out;
        while (FrameEntry *e = m_com.PopRxFrame()) {
            out.emplace_back(e->ety_buf, e->ety_buf + e->ety_len);
            FrameEntryFree(e);
        }
        return out;
    }

    PtyPair m_pty;
    MsgRecorder m_owner;
    BoardPort m_com;
};
} // namespace

TEST_F(SerialComTest, OpensWithEveryLineSettingAndLogsTheOpening)
{
    GlobalLinkSettings().logDebug = true;
    struct Case {
        int baud;
        char parity;
        int data;
        int stop;
        const char *text;
        const char *warning; // expected Log_info warning, or nullptr
    };
    const Case cases[] = {
        {9600, 'N', 8, 0, "baud=9600 parity=N data=8 stop=1", nullptr},
        {14400, 'E', 7, 2, "baud=14400 parity=E data=7 stop=2", nullptr},
        {128000, 'O', 6, 0, "baud=128000 parity=O data=6 stop=1", nullptr},
        {115200, 'M', 5, 1, "baud=115200 parity=M data=5 stop=1.5", nullptr},
        {4800, 'S', 8, 1, "baud=4800 parity=S data=8 stop=1.5",
         "WARNING: SetCommState(), 1.5 stop bits need 5 data bits"},
        {9600, 'X', 8, 0, "baud=9600 parity=X data=8 stop=1", "WARNING: BuildCommDCB(), invalid line settings"},
    };
    for (const Case &c : cases) {
        QFile::remove(Today("Log_info"));
        EXPECT_TRUE(m_com.InitPort(&m_owner, m_pty.SlavePath(), c.baud, c.parity, c.data, c.stop)) << c.text;
        EXPECT_EQ(m_com.m_dwOpenError, 0u);
        EXPECT_EQ(m_com.PortName(), m_pty.SlavePath());
        m_com.StopMonitoring();
        QByteArray info = ReadFile(Today("Log_info"));
        EXPECT_TRUE(info.startsWith("Open " + m_pty.SlavePath().toUtf8() + " by " + c.text + "\n")) << info.constData();
        if (c.warning) {
            EXPECT_TRUE(info.contains(c.warning)) << info.constData();
        }
    }
    // Without the debug gate the opening is not logged.
    GlobalLinkSettings().logDebug = false;
    QFile::remove(Today("Log_info"));
    ASSERT_TRUE(m_com.InitPort(&m_owner, m_pty.SlavePath(), 9600, 'N', 8, 0));
    EXPECT_FALSE(ReadFile(Today("Log_info")).contains("Open "));
}

TEST_F(SerialComTest, OpenFailuresAreToldApart)
{
    BoardPort missing;
    EXPECT_FALSE(missing.InitPort(&m_owner, QStringLiteral("/dev/ttyPylvexNoSuchPort"), 9600, 'N', 8, 0));
    EXPECT_EQ(missing.m_dwOpenError, kOpenErrorNotFound);
    EXPECT_FALSE(missing.StartMonitoring());
    EXPECT_FALSE(missing.IsRunning());

    Open(400);
    BoardPort second;
    EXPECT_FALSE(second.InitPort(&m_owner, m_pty.SlavePath(), 9600, 'N', 8, 0));
    EXPECT_EQ(second.m_dwOpenError, kOpenErrorBusy);
    m_com.StopMonitoring();
    EXPECT_TRUE(second.InitPort(&m_owner, m_pty.SlavePath(), 9600, 'N', 8, 0)); // free again
}

TEST_F(SerialComTest, PermissionDeniedIsNotBusy)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    QByteArray path = QFile::encodeName(m_pty.SlavePath());
    ASSERT_EQ(::chmod(path.constData(), 0), 0);
    EXPECT_FALSE(m_com.InitPort(&m_owner, m_pty.SlavePath(), 9600, 'N', 8, 0));
    EXPECT_EQ(m_com.m_dwOpenError, kOpenErrorAccess);
    ::chmod(path.constData(), 0620);
}

TEST(SerialOpenError, NoPermissionIsToldApartFromBusy)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    QString device = dir.filePath(QStringLiteral("ttyLocked"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // Readable and writable: the open failed on a lock another program holds.
    EXPECT_EQ(OpenErrorCode(QSerialPort::PermissionError, device), kOpenErrorBusy);
    ::chmod(QFile::encodeName(device).constData(), 0);
    // As an ordinary user the device cannot be opened at all.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                ::_exit(99);
            ::_exit(static_cast<int>(OpenErrorCode(QSerialPort::PermissionError, device)));
        },
        ::testing::ExitedWithCode(static_cast<int>(kOpenErrorAccess)), "");
    EXPECT_EQ(OpenErrorCode(QSerialPort::DeviceNotFoundError, device), kOpenErrorNotFound);
    EXPECT_EQ(OpenErrorCode(QSerialPort::UnknownError, device), kOpenErrorOther);
}

TEST_F(SerialComTest, ReceivedBytesAreFramedAndQueued)
{
    Open(400);
    const Bytes good = MakeFrame(0x53, 0x82, 0x05, {0x00, 0x01, 0x02, 0x03});
    // Split over three reads: nothing is queued before the tail byte.
    m_pty.Write(good.data(), 4);
    PumpFor(40);
    m_pty.Write(good.data() + 4, good.size() - 5);
    PumpFor(40);
    EXPECT_TRUE(m_com.RxQueueEmpty());
    EXPECT_EQ(m_owner.Count(WM_FRAME_RECEIVED), 0);
    m_pty.Write(&good.back(), 1);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_FRAME_RECEIVED) == 1; }, 1000));
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{good});

    const Bytes secondary = MakeFrame(0xD3, 0x83, 0x01, {0x00});
    Bytes badTail = MakeFrame(0x53, 0x82, 0x07, {0x00, 0x11});
    badTail[badTail.size() - 2] = 0x0A;
    const Bytes minimal = MakeFrame(0x53, 0x85, 0x02, {});
    Bytes stream{0x00, 0x4D, 0x00};
    for (const Bytes *b : std::initializer_list<const Bytes *>{&secondary, &badTail, &good, &minimal})
        stream.insert(stream.end(), b->begin(), b->end());
    m_pty.Write(stream);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_FRAME_RECEIVED) >= 3; }, 1000));
    PumpFor(50);
    EXPECT_EQ(TakeRxFrames(), (std::vector<Bytes>{secondary, good})); // the 9-byte frame waits
    EXPECT_EQ(ReadFile(LogFilePath(QStringLiteral("Log"), QStringLiteral("txt"))),
              QByteArray::fromStdString("PDU Miss Tail Flag: " + HexText(badTail.data(), badTail.size()) + "\n"));
    m_pty.Write({0x00});
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000));
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{minimal});
}

// Ten bytes and then silence: one line of ten groups, written by the port
// thread's own timer, not held back until a later byte; and the last burst
// before the port closes is written by the close.
TEST_F(SerialComTest, LogRxWritesEachBurstWithoutWaitingForTheNext)
{
    GlobalLinkSettings().rxEcho = true;
    Open(400);
    const Bytes burst{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19};
    m_pty.Write(burst);
    const QByteArray line("\n10 11 12 13 14 15 16 17 18 19 ");
    ASSERT_TRUE(PumpUntil([&] { return ReadFile(Today("Log_RX")) == line; }, 1000));
    PumpFor(300);
    EXPECT_EQ(ReadFile(Today("Log_RX")), line); // nothing more, nothing twice

    const Bytes last{0x01, 0x02, 0x03};
    m_pty.Write(last);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_RXBYTE) == 13; }, 1000));
    m_com.StopMonitoring();
    EXPECT_EQ(ReadFile(Today("Log_RX")), line + "\n01 02 03 ");
}

TEST_F(SerialComTest, EchoPostsEveryByteAndWritesLogRx)
{
    GlobalLinkSettings().rxEcho = true;
    Open(400);
    const Bytes bytes{0x4D, 0x00, 0x41, 0xFF, 0x0A};
    m_pty.Write(bytes);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_RXBYTE) == 5; }, 1000));
    std::vector<PostedMsg> echo = m_owner.Of(WM_PORT_RXBYTE);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(echo[i].wParam, bytes[i]);
        EXPECT_EQ(echo[i].lParam, 0);
    }
    // The echoed bytes reach the Log_RX file (in lines of at most 32 bytes).
    m_pty.Write(Bytes(64, 0x11));
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_RXBYTE) == 69; }, 1000));
    EXPECT_TRUE(ReadFile(Today("Log_RX")).replace("\n", "").contains("4d 00 41 ff 0a "));
    GlobalLinkSettings().rxEcho = false;
    m_pty.Write({0x01, 0x02});
    PumpFor(100);
    EXPECT_EQ(m_owner.Count(WM_PORT_RXBYTE), 69); // the gate is read per byte
}

TEST_F(SerialComTest, YModemReceiverGetsSignalsAndNoFrameIsCut)
{
    // The signals go to the owner only, which hands them to its receiver.
    GlobalLinkSettings().ymodemActive = true;
    Open(400);
    const Bytes frame = MakeFrame(0x53, 0x82, 0x01, {0x00, 0x01});
    Bytes stream{'C', 0x06, 'x', 0x15, 0x18};
    stream.insert(stream.end(), frame.begin(), frame.end());
    m_pty.Write(stream);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_RXBYTE) == static_cast<int>(stream.size()); }, 1000));
    PumpFor(50);
    std::vector<std::intptr_t> got;
    for (const PostedMsg &m : m_owner.Of(WM_YMODEM_SIGNAL))
        got.push_back(m.wParam);
    EXPECT_EQ(got, (std::vector<std::intptr_t>{1, 2, 3, 4}));
    for (const PostedMsg &m : m_owner.Of(WM_PORT_RXBYTE)) {
        EXPECT_EQ(m.wParam, 0);
        EXPECT_EQ(m.lParam, 1);
    }
    EXPECT_TRUE(m_com.RxQueueEmpty());
    EXPECT_EQ(m_owner.Count(WM_FRAME_RECEIVED), 0);
    // Once the receiver is gone, frames are cut again.
    GlobalLinkSettings().ymodemActive = false;
    m_pty.Write(frame);
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000));
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{frame});
}

TEST_F(SerialComTest, BurstLeavesInOrderOneIntervalApartOnASilentLine)
{
    Open(200);
    PumpFor(30);
    auto pushed = SteadyClock::now();
    for (std::uint8_t code : {0x11, 0x13, 0x15})
        m_com.PushTxEntry(Request(code));
    std::vector<Arrival> got = ReadFrames(m_pty, 3, 2000);
    ASSERT_EQ(got.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(got[i].frame[3], 0x11 + 2 * i);
    EXPECT_LT(MsSince(pushed, got[0].at), 100); // the first leaves at once
    for (std::size_t i = 1; i < 3; ++i) {
        double gap = MsSince(got[i - 1].at, got[i].at);
        EXPECT_GT(gap, 180);
        EXPECT_LT(gap, 400);
    }
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_FRAME_SENT) == 3; }, 1000));
    EXPECT_TRUE(m_com.TxQueueEmpty());
}

// The other end may take a while to read (a pseudo-terminal's reader, an
// adapter's buffer): the purge before a write discards stale input only, never
// the bytes of the writes before it that still wait for the reader. More than
// the reader's side holds waits here, so the kernel still has part of it.
TEST_F(SerialComTest, BytesWaitingForASlowReaderAreNotPurgedByTheNextWrite)
{
    Open(10);
    PumpFor(30);
    constexpr int kWrites = 8;
    constexpr std::size_t kSize = 1000;
    Bytes all;
    for (int w = 0; w < kWrites; ++w) {
        Bytes block(kSize);
        for (std::size_t i = 0; i < kSize; ++i)
            block[i] = static_cast<std::uint8_t>(w * 31 + i * 7);
        all.insert(all.end(), block.begin(), block.end());
        m_com.PushTxEntry(BuildRaw(block.data(), block.size()));
    }
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_FRAME_SENT) == kWrites; }, 20000));
    Bytes got;
    for (int i = 0; i < 100 && got.size() < all.size(); ++i) {
        Bytes more = m_pty.Read(50);
        got.insert(got.end(), more.begin(), more.end());
    }
    EXPECT_EQ(got.size(), all.size());
    EXPECT_TRUE(got == all);
}

TEST_F(SerialComTest, EachRequestWaitsForSilenceAfterTheReply)
{
    Open(200);
    for (std::uint8_t code : {0x21, 0x23, 0x25})
        m_com.PushTxEntry(Request(code));
    std::vector<double> gaps;
    SteadyClock::time_point lastReplyByte{};
    for (int i = 0; i < 3; ++i) {
        std::vector<Arrival> got = ReadFrames(m_pty, 1, 2000);
        ASSERT_EQ(got.size(), 1u) << i;
        EXPECT_EQ(got[0].frame[3], 0x21 + 2 * i);
        if (i > 0)
            gaps.push_back(MsSince(lastReplyByte, got[0].at));
        // The board answers slowly, byte by byte, for longer than half an interval.
        Bytes reply = MakeFrame(0x53, 0x82, static_cast<std::uint8_t>(got[0].frame[3] | 0x80), {0x00, 0x07});
        for (std::uint8_t b : reply) {
            m_pty.Write(&b, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(12));
        }
        lastReplyByte = SteadyClock::now() - std::chrono::milliseconds(12);
    }
    for (double gap : gaps) {
        EXPECT_GT(gap, 180);
        EXPECT_LT(gap, 450);
    }
    // Counted as they are taken: a frame left in the queue is announced again
    // on every quiet interval, so the number of announcements says nothing.
    std::size_t replies = 0;
    EXPECT_TRUE(PumpUntil([&] { return (replies += TakeRxFrames().size()) >= 3; }, 1000));
    EXPECT_EQ(replies, 3u);
}

TEST_F(SerialComTest, TrickleHoldsTheQueueUntilTheLineIsQuiet)
{
    Open(400);
    m_com.PushTxEntry(Request(0x31));
    m_com.PushTxEntry(Request(0x33));
    ASSERT_EQ(ReadFrames(m_pty, 1, 500).size(), 1u);
    SteadyClock::time_point lastTrickle{};
    for (int i = 0; i < 5; ++i) { // a byte every 300 ms for 1.5 s
        m_pty.Write({0x00});
        lastTrickle = SteadyClock::now();
        EXPECT_TRUE(ReadFrames(m_pty, 1, 300).empty()) << "frame left during the trickle, byte " << i;
    }
    std::vector<Arrival> got = ReadFrames(m_pty, 1, 1000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].frame[3], 0x33);
    EXPECT_GT(MsSince(lastTrickle, got[0].at), 380);
}

// A frame pushed on an empty queue leaves at once on a line quiet for a whole
// interval; the frames queued behind it wait for one interval of quiet each.
// A request keeps the line until an interval of quiet, answered or not: the
// secondary board answers after the main one, and a request written between
// the two answers would purge the second.
TEST_F(SerialComTest, FirstFrameOnAFreeLineLeavesAtOnceTheOnesBehindItWait)
{
    constexpr int kInterval = 600;
    struct Case {
        const char *name;
        bool askFirst; // a request leaves before the burst
        bool answered; // and the board answers it
        bool leavesAtOnce;
    };
    const Case cases[] = {
        {"idle line", false, false, true},
        {"after an answered request", true, true, false},
        {"after an unanswered request", true, false, false},
    };
    Open(kInterval);
    for (const Case &c : cases) {
        PumpFor(kInterval + 100); // every case starts on a line quiet for an interval
        SteadyClock::time_point lastOnLine = SteadyClock::now();
        if (c.askFirst) {
            m_com.PushTxEntry(Request(0x61));
            std::vector<Arrival> asked = ReadFrames(m_pty, 1, 1000);
            ASSERT_EQ(asked.size(), 1u) << c.name;
            lastOnLine = asked[0].at;
            if (c.answered) {
                m_pty.Write(MakeFrame(0x53, 0x82, 0xE1, {0x00, 0x01}));
                lastOnLine = SteadyClock::now();
                ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000)) << c.name;
                TakeRxFrames();
            }
        }
        const auto pushed = SteadyClock::now();
        m_com.PushTxEntry(Request(0x63));
        m_com.PushTxEntry(Request(0x65));
        std::vector<Arrival> got = ReadFrames(m_pty, 2, 3 * kInterval);
        ASSERT_EQ(got.size(), 2u) << c.name;
        EXPECT_EQ(got[0].frame[3], 0x63) << c.name;
        EXPECT_EQ(got[1].frame[3], 0x65) << c.name;
        if (c.leavesAtOnce)
            EXPECT_LT(MsSince(pushed, got[0].at), kInterval / 2) << c.name;
        else
            EXPECT_GT(MsSince(lastOnLine, got[0].at), kInterval - 20) << c.name;
        // The one behind it waits for a whole interval of quiet.
        EXPECT_GT(MsSince(got[0].at, got[1].at), kInterval - 20) << c.name;
    }
}

TEST_F(SerialComTest, IdleOncePerIntervalAndWaitingFramesAreAnnouncedAgain)
{
    Open(100);
    PumpFor(1000);
    int idle = m_owner.Count(WM_PORT_IDLE);
    EXPECT_GE(idle, 6);
    EXPECT_LE(idle, 11);
    // A new interval applies from the next wait.
    GlobalLinkSettings().cmdSndInvl = 300;
    PumpFor(150);
    m_owner.msgs.clear();
    PumpFor(1000);
    idle = m_owner.Count(WM_PORT_IDLE);
    EXPECT_GE(idle, 2);
    EXPECT_LE(idle, 4);
    // A frame nobody takes is announced again on every quiet interval.
    GlobalLinkSettings().cmdSndInvl = 100;
    m_pty.Write(MakeFrame(0x53, 0x82, 0x05, {0x00, 0x01}));
    PumpFor(450);
    EXPECT_GE(m_owner.Count(WM_FRAME_RECEIVED), 3);
    EXPECT_FALSE(m_com.RxQueueEmpty());
}

TEST_F(SerialComTest, LostDeviceClosesOnceTellsOnceAndStopsTheThread)
{
    int threadsBefore = CountThreads();
    Open(2000);
    m_com.PushTxEntry(Request(0x41));
    m_com.PushTxEntry(Request(0x43)); // waits for the long interval
    ASSERT_EQ(ReadFrames(m_pty, 1, 500).size(), 1u);
    m_pty.Write(MakeFrame(0x53, 0x82, 0x41, {0x00, 0x01}));
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000));
    EXPECT_FALSE(m_com.TxQueueEmpty());

    m_pty.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_LOST) > 0; }, 1000));
    EXPECT_TRUE(PumpUntil([&] { return CountThreads() <= threadsBefore; }, 1000));
    double cpuBefore = ProcessCpuMs();
    PumpFor(500);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 100); // nothing spins
    EXPECT_EQ(m_owner.Count(WM_PORT_LOST), 1);
    EXPECT_FALSE(m_com.IsRunning());
    EXPECT_TRUE(m_com.RxQueueEmpty());
    EXPECT_TRUE(m_com.TxQueueEmpty());
    m_com.StopMonitoring();
    EXPECT_EQ(m_owner.Count(WM_PORT_LOST), 1);
}

// A head with a false length byte and a valid answer behind it, then nothing:
// after the quiet time the answer comes out, long before the next interval.
TEST_F(SerialComTest, FalseLengthByteThenQuietLetsTheAnswerOut)
{
    Open(2000);
    const Bytes answer = MakeFrame(0x53, 0x83, 0x19, {0x00, 0x40, 0x63});
    Bytes stream{0x4D, 0x53, 0x03, 0x19, 0xFF};
    stream.insert(stream.end(), answer.begin(), answer.end());
    m_pty.Write(stream);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_FRAME_RECEIVED) >= 1; }, 1000));
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{answer});
    // The next answer is not held back by anything left over.
    m_pty.Write(answer);
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000));
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{answer});
}

// At the firmware upgrade's short interval an answer may still arrive in two
// bursts (a USB adapter's, a busy machine's): a gap longer than the interval
// inside it is not the end of the answer.
TEST_F(SerialComTest, AnswerSplitByAGapLongerThanTheIntervalArrivesWhole)
{
    Open(10);
    const Bytes answer = MakeFrame(0x53, 0x83, 0x19, {0x00, 0x40, 0x63, 0x01, 0x02});
    m_pty.Write(Bytes(answer.begin(), answer.begin() + 6));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    m_pty.Write(Bytes(answer.begin() + 6, answer.end()));
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000));
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{answer});
}

// A partial frame still waiting when the next request leaves is dropped by
// that write, so the request's answer comes out at once, not after the quiet
// time behind a false head.
TEST_F(SerialComTest, PartialFrameIsDroppedByTheNextWrite)
{
    Open(10);
    m_pty.Write(Bytes{0x4D, 0x53, 0x83, 0x19, 0xF0, 0x00}); // a head that promises 249 more bytes
    PumpFor(30);
    m_com.PushTxEntry(Request(0x19));
    ASSERT_EQ(ReadFrames(m_pty, 1, 1000).size(), 1u);
    const Bytes answer = MakeFrame(0x53, 0x83, 0x19, {0x00, 0x40, 0x63});
    const auto sent = SteadyClock::now();
    m_pty.Write(answer);
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 1000));
    EXPECT_LT(MsSince(sent, SteadyClock::now()), 80); // well under the quiet time of 105 ms
    EXPECT_EQ(TakeRxFrames(), std::vector<Bytes>{answer});
}

// The warning of a hang-up says what the device reported when asked, not an
// error number some earlier call left behind.
TEST_F(SerialComTest, HangUpWarningNamesTheHangUp)
{
    Open(400);
    m_pty.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_LOST) > 0; }, 1000));
    QFile info(Today("Log_info"));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(info.readAll());
    QStringList warnings;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("WARNING: ReadFile()")) ||
            line.startsWith(QStringLiteral("WARNING: WriteFile()")))
            warnings << line;
    ASSERT_EQ(warnings.size(), 1) << text.toStdString();
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("hang-up"))) << warnings[0].toStdString();
    for (const char *stale : {"File exists", "Inappropriate ioctl", "Success", "Resource temporarily unavailable"})
        EXPECT_FALSE(warnings[0].contains(QLatin1String(stale))) << warnings[0].toStdString();
}

TEST_F(SerialComTest, OpeningAndClosingManyTimesLeaksNothing)
{
    Open(50);
    m_com.StopMonitoring();
    int fds = CountOpenFds();
    int threads = CountThreads();
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(m_com.InitPort(&m_owner, m_pty.SlavePath(), 9600, 'N', 8, 0));
        ASSERT_TRUE(m_com.StartMonitoring());
        m_com.PushTxEntry(Request(0x51));
        if (i % 4 == 0)
            PumpFor(5);
        m_com.StopMonitoring();
        EXPECT_FALSE(m_com.IsRunning());
        EXPECT_TRUE(m_com.TxQueueEmpty());
    }
    EXPECT_EQ(CountOpenFds(), fds);
    // A joined thread may take a moment to leave the process's list.
    EXPECT_TRUE(PumpUntil([&] { return CountThreads() <= threads; }, 1000)) << CountThreads() << " vs " << threads;
}

namespace {
std::vector<int> Codes(const std::vector<Arrival> &frames)
{
    std::vector<int> codes;
    for (const Arrival &a : frames)
        codes.push_back(a.frame[3]);
    return codes;
}
} // namespace

// An upgrade holds the line: only its own frames go out; the pages' frames,
// those queued before the hold began and those queued during it, wait in the
// order they came and all follow once it ends. The upgrade emptying its own
// queue (a restart) drops none of them; closing the port drops them all.
TEST_F(SerialComTest, HeldLineWritesOnlyTheHoldersFramesAndTheOthersFollowInOrder)
{
    constexpr BoardPort::TxSender kUpgrade = 0x5A5A;
    constexpr BoardPort::TxSender kOther = 0x7777;
    Open(400);
    PumpFor(450);
    for (std::uint8_t code : {0x01, 0x03, 0x05}) // a page's burst
        m_com.PushTxEntry(Request(code));
    ASSERT_EQ(Codes(ReadFrames(m_pty, 1, 300)), std::vector<int>{0x01});
    GlobalLinkSettings().cmdSndInvl = 60; // from the next wait on
    ASSERT_TRUE(m_com.HoldLine(kUpgrade));
    EXPECT_TRUE(m_com.LineHeld());
    EXPECT_TRUE(m_com.HoldLine(kUpgrade)) << "the holder asking again";
    EXPECT_FALSE(m_com.HoldLine(kOther)) << "one holder at a time";
    EXPECT_FALSE(m_com.HoldLine(0));
    m_com.PushTxEntry(Request(0x07)); // a page timer during the hold
    m_com.PushTxEntry(Request(0x41), kUpgrade);
    m_com.PushTxEntry(Request(0x09), kOther);
    m_com.PushTxEntry(Request(0x43), kUpgrade);
    EXPECT_EQ(Codes(ReadFrames(m_pty, 10, 1200)), (std::vector<int>{0x41, 0x43}));
    EXPECT_FALSE(m_com.HeldBackEmpty());

    m_com.ClearTxQueue(); // the upgrade starts again
    m_com.ReleaseLine(kOther);
    EXPECT_TRUE(m_com.LineHeld()) << "only the holder ends its hold";
    EXPECT_TRUE(ReadFrames(m_pty, 1, 300).empty());
    m_com.ReleaseLine(kUpgrade);
    EXPECT_FALSE(m_com.LineHeld());
    EXPECT_EQ(Codes(ReadFrames(m_pty, 4, 2000)), (std::vector<int>{0x03, 0x05, 0x07, 0x09}));
    EXPECT_TRUE(m_com.HeldBackEmpty());
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_FRAME_SENT) == 7; }, 1000));

    // Held back when the port closes: gone with the port, nothing left for later.
    ASSERT_TRUE(m_com.HoldLine(kUpgrade));
    m_com.PushTxEntry(Request(0x0B));
    m_com.StopMonitoring();
    EXPECT_TRUE(m_com.HeldBackEmpty());
    m_com.ReleaseLine(kUpgrade);
    Open(60);
    EXPECT_TRUE(ReadFrames(m_pty, 1, 400).empty());
}
