// The simulated board as an in-process byte link, alone and under the board
// port: answers come from the event loop in the order written, the timing
// faults and the quiet time apply, and the port paces, frames and reports
// over it on the opening thread, with no thread and no device.
#include "link/boardport.h"
#include "link/linksettings.h"
#include "protocol/frame.h"
#include "sim/sim_bytelink.h"
#include "test_link_pty.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace {
using Bytes = std::vector<std::uint8_t>;

std::int64_t FixedClock()
{
    return 1700000000000;
}

Bytes Req(std::uint8_t code)
{
    return MakeFrame(kLinkMain, 0x03, code, Bytes{0x00});
}

QByteArray Q(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}

// What a board of its own answers to the bytes, all chunks joined.
QByteArray Expected(const Bytes &request, const SimOptions &options = {})
{
    SimLink board(options, FixedClock);
    QByteArray out;
    for (const SimBytes &chunk : board.Feed(request))
        out += Q(chunk);
    return out;
}

struct Received {
    QByteArray bytes;
    int deliveries = 0;
    int closed = 0;
};

void Record(SimByteLink &link, Received &r)
{
    QObject::connect(&link, &ByteLink::BytesReceived, [&r](const QByteArray &b) {
        r.bytes += b;
        ++r.deliveries;
    });
    QObject::connect(&link, &ByteLink::Closed, [&r] { ++r.closed; });
}

int CountThreadsOfProcess()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray status = f.readAll();
    const int at = status.indexOf("Threads:");
    return at < 0 ? -1 : status.mid(at + 8, status.indexOf('\n', at) - at - 8).trimmed().toInt();
}

std::shared_ptr<SimLink> Board(const SimOptions &options = {})
{
    return std::make_shared<SimLink>(options, FixedClock);
}
} // namespace

TEST(SimByteLink, AnswersComeFromTheEventLoopInOrder)
{
    SimByteLink link(Board(), {});
    Received r;
    Record(link, r);
    ASSERT_TRUE(link.Open());
    EXPECT_TRUE(link.IsOpen());
    const Bytes first = Req(0x19), second = Req(0x1B);
    EXPECT_EQ(link.Write(Q(first)), qint64(first.size()));
    EXPECT_EQ(link.Write(Q(second)), qint64(second.size()));
    EXPECT_TRUE(r.bytes.isEmpty()); // nothing arrives inside Write
    const QByteArray want = Expected(first) + Expected(second);
    ASSERT_FALSE(want.isEmpty());
    ASSERT_TRUE(PumpUntil([&] { return r.bytes.size() >= want.size(); }, 2000));
    PumpFor(50);
    EXPECT_EQ(r.bytes, want);
    EXPECT_EQ(link.Board().Requests(), 2u);
}

TEST(SimByteLink, RequestSplitOverWritesIsAnsweredAtItsLastByte)
{
    SimByteLink link(Board(), {});
    Received r;
    Record(link, r);
    ASSERT_TRUE(link.Open());
    const Bytes request = Req(0x19);
    for (std::size_t at = 0; at + 1 < request.size(); ++at)
        link.Write(Q(Bytes{request[at]}));
    PumpFor(20);
    EXPECT_TRUE(r.bytes.isEmpty());
    link.Write(Q(Bytes{request.back()}));
    ASSERT_TRUE(PumpUntil([&] { return !r.bytes.isEmpty(); }, 2000));
    EXPECT_EQ(r.bytes, Expected(request));
}

TEST(SimByteLink, TimingFaultsApplyAsOnADevice)
{
    struct Case {
        const char *name;
        int answerDelayMs;
        int byteDelayMs;
    };
    const Case cases[] = {{"answer delay", 150, 0}, {"byte by byte", 0, 2}};
    for (const Case &c : cases) {
        SimOptions options;
        options.answerDelayMs = c.answerDelayMs;
        options.byteDelayMs = c.byteDelayMs;
        SimByteLink link(Board(options), options);
        Received r;
        Record(link, r);
        ASSERT_TRUE(link.Open());
        const Bytes request = Req(0x19);
        const QByteArray want = Expected(request, options);
        QElapsedTimer clock;
        clock.start();
        link.Write(Q(request));
        ASSERT_TRUE(PumpUntil([&] { return r.bytes.size() >= want.size(); }, 5000)) << c.name;
        EXPECT_EQ(r.bytes, want) << c.name;
        EXPECT_GE(clock.elapsed(), c.answerDelayMs) << c.name;
        if (c.byteDelayMs > 0)
            EXPECT_EQ(r.deliveries, want.size()) << c.name; // one byte per delivery
        else
            EXPECT_EQ(r.deliveries, 1) << c.name;
    }
}

TEST(SimByteLink, StrayBytesAreGivenUpAfterTheQuietTime)
{
    SimByteLink link(Board(), {});
    Received r;
    Record(link, r);
    ASSERT_TRUE(link.Open());
    // A head and a length that promise more than ever comes.
    link.Write(Q(Bytes{0x4D, 0x53, 0x03, 0x19, 0x20}));
    EXPECT_GT(link.Board().Waiting(), 0u);
    ASSERT_TRUE(PumpUntil([&] { return link.Board().Waiting() == 0; }, 2000));
    const Bytes request = Req(0x19);
    link.Write(Q(request));
    ASSERT_TRUE(PumpUntil([&] { return !r.bytes.isEmpty(); }, 2000));
    EXPECT_EQ(r.bytes, Expected(request));
}

TEST(SimByteLink, CloseDropsWhatWaitsAndIsReportedOnce)
{
    SimOptions options;
    options.answerDelayMs = 100;
    SimByteLink link(Board(options), options);
    Received r;
    Record(link, r);
    ASSERT_TRUE(link.Open());
    link.Write(Q(Req(0x19)));
    link.Close();
    link.Close();
    EXPECT_EQ(r.closed, 1);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Write(Q(Req(0x19))), -1);
    PumpFor(200);
    EXPECT_TRUE(r.bytes.isEmpty());
}

class InProcessPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_board = Board();
        m_com.SetLinkMaker(
            [this](const QString &, const LineSettings &) -> std::unique_ptr<ByteLink> {
                auto link = std::make_unique<SimByteLink>(m_board, SimOptions{});
                m_link = link.get();
                return link;
            },
            false);
    }
    void TearDown() override
    {
        m_com.StopMonitoring();
        GlobalLinkSettings().cmdSndInvl = 400;
    }
    void Open(int intervalMs)
    {
        GlobalLinkSettings().cmdSndInvl = intervalMs;
        ASSERT_TRUE(m_com.IsKnownDevice(QStringLiteral("board")));
        ASSERT_TRUE(m_com.InitPort(&m_owner, QStringLiteral("board"), 9600, 'N', 8, 0));
        ASSERT_EQ(m_com.m_dwOpenError, 0u);
        ASSERT_TRUE(m_com.StartMonitoring());
        ASSERT_TRUE(m_com.IsRunning());
    }
    static FrameEntry *Entry(const Bytes &frame) { return BuildFrame(frame.data() + 1, frame.size() - 5).entry; }

    std::shared_ptr<SimLink> m_board;
    QPointer<SimByteLink> m_link;
    MsgRecorder m_owner;
    BoardPort m_com;
};

TEST_F(InProcessPortTest, PacesFramesAndQueuesAnswersWithoutAThread)
{
    const int threads = CountThreadsOfProcess();
    Open(50);
    EXPECT_EQ(CountThreadsOfProcess(), threads);
    const Bytes first = Req(0x19), second = Req(0x1B);
    m_com.PushTxEntry(Entry(first));
    m_com.PushTxEntry(Entry(second));
    std::vector<QByteArray> frames;
    auto take = [&] {
        while (FrameEntry *e = m_com.PopRxFrame()) {
            frames.emplace_back(reinterpret_cast<const char *>(e->ety_buf), e->ety_len);
            FrameEntryFree(e);
        }
        return frames.size() >= 2;
    };
    ASSERT_TRUE(PumpUntil(take, 3000));
    EXPECT_GE(m_owner.Count(WM_FRAME_RECEIVED), 2);
    // The second frame waited for a whole interval of silence after the first answer.
    const std::vector<PostedMsg> sent = m_owner.Of(WM_FRAME_SENT);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_GE(MsSince(sent[0].at, sent[1].at), 45.0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Expected(first));
    EXPECT_EQ(frames[1], Expected(second));
    // With nothing queued the owner hears of the idle line once per interval.
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_IDLE) >= 2; }, 2000));
    EXPECT_EQ(m_owner.Count(WM_PORT_LOST), 0);
}

TEST_F(InProcessPortTest, ALinkClosedFromTheOtherSideIsALostPort)
{
    Open(50);
    ASSERT_TRUE(m_link);
    m_com.PushTxEntry(Entry(Req(0x19)));
    m_link->Close();
    ASSERT_TRUE(PumpUntil([&] { return m_owner.Count(WM_PORT_LOST) == 1; }, 2000));
    PumpFor(200);
    EXPECT_EQ(m_owner.Count(WM_PORT_LOST), 1);
    EXPECT_FALSE(m_com.IsRunning());
    EXPECT_TRUE(m_com.RxQueueEmpty());
    EXPECT_TRUE(m_com.TxQueueEmpty());
    m_com.StopMonitoring();
    // The port opens again over a new link to the same board.
    Open(50);
    m_com.PushTxEntry(Entry(Req(0x19)));
    ASSERT_TRUE(PumpUntil([&] { return !m_com.RxQueueEmpty(); }, 2000));
}
