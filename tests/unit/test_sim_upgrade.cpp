// The simulated board's firmware loaders, met by the tool's own upgrade
// session and YModem sender through the board's link: what the board keeps
// must be the file, and every switch must give the answer it names.
#include "common/frame_bytes.h"
#include "protocol/fw_upgrade.h"
#include "protocol/ymodem.h"
#include "sim/sim_link.h"
#include "sim/sim_upgrade.h"
#include "sim_board_fixture.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <deque>
#include <fstream>
#include <iterator>

namespace {
Bytes Content(std::size_t n)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 11 + (i >> 7));
    return b;
}

// A sink that keeps the rows only.
struct RecordingRows : FwUpgradeSink {
    std::vector<std::string> rows;
    void Log(const UpgradeRow &row) override { rows.push_back(FillRow(row)); }
    bool Queue(const std::uint8_t *, std::size_t) override { return true; }
    void ArmTimer(int) override {}
    void KillTimer() override {}
    void PostTimer() override {}
    void SetProgress(std::size_t, std::size_t) override {}
};

// The tool's upgrade session on the board's link.
struct FwHost : FwUpgradeSink {
    SimLink &link;
    FwUpgradeSession session{*this};
    std::deque<SimBytes> answers;
    std::vector<std::string> rows;
    int sent = 0;
    bool armed = false;
    int posted = 0;

    explicit FwHost(SimLink &l) : link(l) {}
    void Log(const UpgradeRow &row) override { rows.push_back(FillRow(row)); }
    bool Queue(const std::uint8_t *p, std::size_t n) override
    {
        ++sent;
        for (SimBytes &a : link.Feed(FrameOf(Bytes(p, p + n))))
            answers.push_back(std::move(a));
        return true;
    }
    void ArmTimer(int) override { armed = true; }
    void KillTimer() override { armed = false; }
    void PostTimer() override { ++posted; }
    void SetProgress(std::size_t, std::size_t) override {}
    // Hands the board's answers to the session until none is left; the
    // posted expiries run in between, as the event loop would.
    void Pump()
    {
        for (int guard = 0; guard < 200000 && (!answers.empty() || posted > 0); ++guard) {
            if (posted > 0) {
                --posted;
                session.OnTimer();
                continue;
            }
            SimBytes frame = std::move(answers.front());
            answers.pop_front();
            if (frame.size() >= 9 && frame[2] == 0x83 && frame[3] == 0xA6)
                session.OnRouted({frame.data() + 5, frame[4]}, true);
        }
    }
    bool HasRow(const std::string &text) const { return std::find(rows.begin(), rows.end(), text) != rows.end(); }
    std::string LastRow() const { return rows.empty() ? std::string() : rows.back(); }
};

struct FwRun {
    FakeClock clock;
    SimLink link;
    FwHost host{link};
    explicit FwRun(const SimOptions &o, std::size_t size = 3000) : link(o, clock.Fn())
    {
        host.session.SetImage(Content(size));
        EXPECT_TRUE(host.session.Start("fw.bin"));
        host.Pump();
    }
    FwLoaderState &Loader() { return link.Board().Main().Extra<FwLoaderState>(); }
};

// The tool's YModem sender on the board's link, raw or wrapped.
struct YmHost : YModemSink {
    SimLink &link;
    bool wrapped;
    std::deque<int> events;
    std::vector<std::string> rows;
    std::uint32_t now = 5000;

    YmHost(SimLink &l, bool w) : link(l), wrapped(w) {}
    void Take(const std::vector<SimBytes> &chunks)
    {
        for (const SimBytes &c : chunks)
            for (std::uint8_t b : c)
                if (int e = YModemEventOf(b))
                    events.push_back(e);
    }
    void Log(const UpgradeRow &row) override { rows.push_back(FillRow(row)); }
    void Transmit(const std::uint8_t *b, std::size_t n) override
    {
        if (!wrapped) {
            Take(link.Feed({b, n}));
            return;
        }
        for (const Payload &p : WrapYModemBytes(b, n))
            Take(link.Feed(FrameOf(p)));
    }
    void ArmTimer(int) override {}
    void KillTimer() override {}
    void ClearQueues() override {}
    void SetProgress(long long, long long) override {}
    bool PacketRows() const override { return false; }
    std::uint32_t NowMs() const override { return now; }
    bool HasRow(const std::string &text) const { return std::find(rows.begin(), rows.end(), text) != rows.end(); }
};

struct YmRun {
    FakeClock clock;
    QTemporaryDir dir;
    SimLink link;
    YmHost host;
    std::string path;
    Bytes content;
    std::unique_ptr<YModemSender> sender;

    YmRun(SimOptions o, LoaderMode mode, std::size_t size = 5000)
        : link((o.repeater = mode == LoaderMode::Raw, o), clock.Fn()), host(link, mode == LoaderMode::Wrapped),
          content(Content(size))
    {
        path = dir.filePath(QStringLiteral("Fw.bin")).toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(content.data()), static_cast<std::streamsize>(content.size()));
        // The upgrade request, acknowledged; the loader starts.
        const Payload request = PlainRequest(mode == LoaderMode::Raw ? CommandId{0x01, 0x01} : CommandId{0x02, 0x01});
        std::vector<SimFrame> ack = TakeApart(link.Feed(FrameOf(request)));
        EXPECT_EQ(ack.size(), 1u);
        EXPECT_EQ(ack.at(0).data, Bytes{0x00});
        sender = std::make_unique<YModemSender>(host, path, mode == LoaderMode::Wrapped);
    }
    // Lets the loader restart and runs every event until the line is quiet.
    void Run()
    {
        clock.ms += SimYModemLoader::kRestartMs;
        host.Take(link.Poll());
        for (int guard = 0; guard < 100000 && !host.events.empty(); ++guard) {
            const int e = host.events.front();
            host.events.pop_front();
            host.now += 10;
            sender->OnEvent(e);
        }
    }
};
} // namespace

TEST(SimFwLoader, CleanRunKeepsTheImageAndRaisesTheVersion)
{
    for (int sizeCode : {2, 0}) {
        SCOPED_TRACE(sizeCode);
        SimOptions o;
        o.fwBlockSizeCode = sizeCode;
        QTemporaryDir dir;
        o.storeImage = dir.filePath(QStringLiteral("stored.bin")).toStdString();
        FakeClock clock;
        SimLink link(o, clock.Fn());
        const std::uint8_t patch = link.Board().Main().identity.versions[2];
        FwHost host(link);
        host.session.SetImage(Content(3000));
        ASSERT_TRUE(host.session.Start("fw.bin"));
        host.Pump();
        EXPECT_EQ(host.LastRow(), "接收：软件升级成功");
        EXPECT_EQ(host.session.Step(), kFwStepAfter);
        EXPECT_EQ(host.session.BlockSize(), sizeCode == 2 ? 128 : 64);
        EXPECT_EQ(link.Board().Main().Extra<FwLoaderState>().image, Content(3000));
        EXPECT_EQ(link.Board().Main().identity.versions[2], patch + 1);
        std::ifstream stored(o.storeImage, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(stored), {}), Content(3000));
    }
}

TEST(SimFwLoader, EverySwitchGivesItsAnswer)
{
    struct Case {
        const char *name;
        void (*set)(SimOptions &);
        const char *lastRow;
        bool success;
    };
    const Case cases[] = {
        {"low battery", [](SimOptions &o) { o.fwRefuseRequest = 1; }, "错误：电池电量过低，升级终止", false},
        {"protection", [](SimOptions &o) { o.fwRefuseRequest = 2; }, "错误：电池存在保护状态，升级终止", false},
        {"unsupported", [](SimOptions &o) { o.fwRefuseRequest = 3; }, "错误：不支持固件升级，升级终止", false},
        {"charging", [](SimOptions &o) { o.fwRefuseRequest = 4; }, "错误：当前电池正在充放电，升级终止", false},
        {"maker", [](SimOptions &o) { o.fwRefuseCheck = 1; }, "错误：厂商信息错误，升级终止", false},
        {"model", [](SimOptions &o) { o.fwRefuseCheck = 2; }, "错误：硬件型号序列号不匹配，升级终止", false},
        {"too large", [](SimOptions &o) { o.fwRefuseCheck = 3; }, "错误：固件大小超出芯片支持范围，升级终止", false},
        {"header", [](SimOptions &o) { o.fwRefuseCheck = 4; }, "错误：固件包头信息错误，升级终止", false},
        {"erase", [](SimOptions &o) { o.fwEraseFail = 1; }, "错误：Flash 擦除失败，升级终止", false},
        {"check once", [](SimOptions &o) { o.fwCheckErrorBlock = 3; }, "接收：软件升级成功", true},
        {"check twice", [](SimOptions &o) { o.fwCheckErrorTwice = 3; }, "错误：固件块校验再次检测到错误，升级终止",
         false},
        {"flash write", [](SimOptions &o) { o.fwWriteFailBlock = 2; }, "错误：固件块写Flash失败，升级终止", false},
        {"block number", [](SimOptions &o) { o.fwBadNumberBlock = 5; }, "错误：固件快编号异常，升级终止", false},
        {"final", [](SimOptions &o) { o.fwFinalFail = 1; }, "错误：软件升级失败，升级终止", false},
        {"244", [](SimOptions &o) { o.fwBlockSizeCode = 3; },
         "错误：板卡选择的块长度 244 字节装不进一帧（最多 243 字节），升级终止", false},
        {"repeated check", [](SimOptions &o) { o.fwRepeatAnswer = 4; }, "接收：软件升级成功", true},
        {"repeated erase", [](SimOptions &o) { o.fwRepeatAnswer = 6; }, "接收：软件升级成功", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimOptions o;
        c.set(o);
        FwRun run(o);
        // A block check error waits for the timer: let it fire.
        if (run.host.armed && run.host.session.Step() == kFwStepBlock) {
            run.host.session.OnTimer();
            run.host.Pump();
        }
        EXPECT_EQ(run.host.LastRow(), c.lastRow);
        EXPECT_EQ(run.host.session.Failed(), !c.success);
        EXPECT_EQ(run.Loader().upgraded, c.success);
        if (c.success) {
            EXPECT_EQ(run.Loader().image, Content(3000));
        }
    }
}

TEST(SimFwLoader, DroppedAnswerGetsOneResendThenTheRow)
{
    SimOptions o;
    o.fwDropAnswer = 2;
    FwRun run(o);
    EXPECT_EQ(run.host.sent, 1);
    run.host.session.OnTimer();
    run.host.Pump();
    run.host.session.OnTimer();
    EXPECT_EQ(run.host.sent, 2);
    EXPECT_EQ(run.host.LastRow(), "错误：重传的固件升级命令仍然没有应答，请检查连接后点击重新升级");
}

TEST(SimFwLoader, UnsoundPacketsAreRefused)
{
    FakeClock clock;
    SimLink link(SimOptions{}, clock.Fn());
    Payload packet = FwPacket(1, {});
    packet.back() ^= 0xFF; // wrong CRC
    std::vector<SimFrame> refused = TakeApart(link.Feed(FrameOf(FwFramePayload(packet))));
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].data, Bytes{0x02});
    // The tool takes such an answer for no packet and stays where it is.
    RecordingRows rows;
    FwUpgradeSession session(rows);
    session.SetImage(Content(10));
    ASSERT_TRUE(session.Start("fw.bin"));
    session.OnRouted(refused[0].data, true);
    EXPECT_EQ(session.Step(), kFwStepRequest);
    EXPECT_EQ(rows.rows.back(), "错误：数据帧头错误，02 --");
    // The information check out of turn is refused.
    std::vector<SimFrame> answer = TakeApart(link.Feed(FrameOf(FwFramePayload(FwPacket(3, FwCheckData(100))))));
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0].data, FwPacket(4, Bytes{4}));
}

TEST(SimYModemLoader, WholeFileInEachMode)
{
    for (LoaderMode mode : {LoaderMode::Raw, LoaderMode::Wrapped}) {
        for (std::size_t size : {std::size_t(0), std::size_t(100), std::size_t(1024 * 3), std::size_t(300000)}) {
            SCOPED_TRACE(size);
            YmRun run({}, mode, size);
            run.Run();
            ASSERT_NE(run.link.Loader(), nullptr);
            EXPECT_TRUE(run.link.Loader()->Completed());
            EXPECT_EQ(run.link.Loader()->Image(), run.content);
            std::string lower = run.path;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return std::tolower(c); });
            EXPECT_EQ(run.link.Loader()->FileName(), lower);
            EXPECT_TRUE(run.sender->Finished());
            EXPECT_FALSE(run.link.Loader()->Active());
        }
    }
}

TEST(SimYModemLoader, Switches)
{
    for (LoaderMode mode : {LoaderMode::Raw, LoaderMode::Wrapped}) {
        SCOPED_TRACE(mode == LoaderMode::Raw ? "raw" : "wrapped");
        {
            SimOptions o;
            o.ymNakBlock = 2;
            YmRun run(o, mode);
            run.Run();
            EXPECT_TRUE(run.host.HasRow("可能数据块不匹配，主动取消数据传输 ..."));
            EXPECT_FALSE(run.link.Loader()->Completed());
            EXPECT_FALSE(run.link.Loader()->Active());
            EXPECT_FALSE(run.sender->Finished());
        }
        {
            SimOptions o;
            o.ymCanBlock = 3;
            YmRun run(o, mode);
            run.Run();
            EXPECT_TRUE(run.host.HasRow("下位机取消传输，升级失败！"));
            EXPECT_FALSE(run.sender->Block0Sent()); // reset
            EXPECT_FALSE(run.link.Loader()->Completed());
        }
        {
            SimOptions o;
            o.ymDropAckBlock = 2;
            YmRun run(o, mode);
            run.Run();
            EXPECT_FALSE(run.sender->Finished()); // waits for the lost ACK
            run.host.now += 6000;
            run.sender->OnEvent(YM_EVT_TIMEOUT);
            run.Run();
            EXPECT_TRUE(run.sender->Finished());
            EXPECT_EQ(run.link.Loader()->Image(), run.content);
        }
        {
            SimOptions o;
            o.ymCRepeat = 3;
            YmRun run(o, mode);
            run.Run();
            EXPECT_TRUE(run.host.HasRow("再次收到字符C频率太高，忽略..."));
            EXPECT_TRUE(run.sender->Finished());
            EXPECT_EQ(run.link.Loader()->Image(), run.content);
        }
    }
}

TEST(SimYModemLoader, AsksAgainUntilBlock0ThenGivesUp)
{
    YmRun run({}, LoaderMode::Wrapped);
    run.clock.ms += SimYModemLoader::kRestartMs;
    int cs = 0;
    for (int i = 0; i <= SimYModemLoader::kMaxCRounds + 1; ++i) {
        for (const SimBytes &c : run.link.Poll())
            cs += static_cast<int>(std::count(c.begin(), c.end(), kYmC));
        run.clock.ms += SimYModemLoader::kCIntervalMs;
    }
    EXPECT_EQ(cs, SimYModemLoader::kMaxCRounds);
    EXPECT_FALSE(run.link.Loader()->Active());
    // The board answers requests again.
    EXPECT_EQ(TakeApart(run.link.Feed(FrameOf(PlainRequest({0x02, 0x03})))).size(), 1u);
}

TEST(SimYModemLoader, LeavingTheLoader)
{
    // Wrapped: nothing else is answered while the loader runs; the closing frame ends it.
    YmRun wrapped({}, LoaderMode::Wrapped);
    EXPECT_TRUE(wrapped.link.Feed(FrameOf(PlainRequest({0x02, 0x03}))).empty());
    wrapped.link.Feed(Bytes{0x4D, 0x53, 0x01, 0x02, 0x01, 0x00, 0x57, 0x00, 0x0D, 0x0A});
    EXPECT_FALSE(wrapped.link.Loader()->Active());
    EXPECT_EQ(TakeApart(wrapped.link.Feed(FrameOf(PlainRequest({0x02, 0x03})))).size(), 1u);
    // Raw: a frame where a packet should start is the board's again.
    YmRun raw({}, LoaderMode::Raw);
    EXPECT_EQ(TakeApart(raw.link.Feed(FrameOf(PlainRequest({0x02, 0x03})))).size(), 1u);
    EXPECT_FALSE(raw.link.Loader()->Active());
}
