// The command-protocol upgrade: its check value, its packets and the session
// walked through the board's answers, the repeats and the failures.
#include "protocol/crc16.h"
#include "protocol/fw_upgrade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

struct RecordingSink : FwUpgradeSink {
    std::vector<std::string> rows;
    std::vector<Bytes> queued;
    bool armed = false;
    int posted = 0;
    std::size_t pos = 0, max = 0;
    int successes = 0;
    bool refuseQueue = false;

    void Log(const UpgradeRow &row) override { rows.push_back(FillRow(row)); }
    bool Queue(const std::uint8_t *p, std::size_t n) override
    {
        if (refuseQueue)
            return false;
        queued.emplace_back(p, p + n);
        return true;
    }
    void ArmTimer(int ms) override { armed = ms == kFwRetryMs; }
    void KillTimer() override { armed = false; }
    void PostTimer() override { ++posted; }
    void SetProgress(std::size_t p, std::size_t m) override
    {
        pos = p;
        max = m;
    }
    void Succeeded() override { ++successes; }
    bool HasRow(const std::string &text) const { return std::find(rows.begin(), rows.end(), text) != rows.end(); }
};

Bytes Image(std::size_t n)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

// An answer packet as the board sends it.
Bytes Answer(int answerStep, Bytes data)
{
    return FwPacket(static_cast<std::uint8_t>(answerStep), data);
}

// The step byte of a queued frame payload (0x53 03 26 len 03 41 step ...).
int StepOf(const Bytes &payload)
{
    return payload.size() > 6 ? payload[6] : -1;
}

struct UpgradeRun {
    RecordingSink sink;
    FwUpgradeSession session{sink};

    explicit UpgradeRun(std::size_t size) { session.SetImage(Image(size)); }
    void Reply(int answerStep, Bytes data) { session.OnRouted(Answer(answerStep, std::move(data)), true); }
    // Start, then the board agrees up to the erase answer with its size code.
    void ToBlocks(std::uint8_t sizeCode)
    {
        ASSERT_TRUE(session.Start("fw.bin"));
        Reply(2, {0, 0});
        Reply(4, {0});
        Reply(6, {0, sizeCode});
    }
    // The blocks as the board would store them, from the queued block requests.
    Bytes Stored() const
    {
        Bytes out;
        for (const Bytes &p : sink.queued)
            if (StepOf(p) == 7 && p.size() >= 16)
                out.insert(out.end(), p.begin() + 14, p.end() - 2);
        return out;
    }
};
} // namespace

TEST(FwUpgrade, CheckValues)
{
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc16Modbus(digits.data(), digits.size()), 0x4B37);
    EXPECT_EQ(Crc16Xmodem(digits.data(), digits.size()), 0x31C3);
    EXPECT_EQ(Crc16Modbus(nullptr, 0), 0xFFFF);
    // Carried low byte first in the packet.
    Bytes p = FwPacket(1, {});
    ASSERT_EQ(p.size(), 6u);
    std::uint16_t crc = Crc16Modbus(p.data(), 4);
    EXPECT_EQ(p[4], crc & 0xFF);
    EXPECT_EQ(p[5], crc >> 8);
}

TEST(FwUpgrade, FixedRequests)
{
    UpgradeRun run(300);
    ASSERT_TRUE(run.session.Start("fw.bin"));
    ASSERT_EQ(run.sink.queued.size(), 1u);
    const Bytes step1 = {0x53, 0x03, 0x26, 0x06, 0x03, 0x41, 0x01, 0x00};
    EXPECT_TRUE(std::equal(step1.begin(), step1.end(), run.sink.queued[0].begin()));
    EXPECT_EQ(run.sink.queued[0].size(), 10u);
    run.Reply(2, {0, 0});
    ASSERT_EQ(run.sink.queued.size(), 2u);
    const Bytes &check = run.sink.queued[1];
    ASSERT_EQ(check.size(), 62u);
    EXPECT_EQ(check[3], 58);
    EXPECT_EQ(check[7], 52);
    const Bytes digits = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '8', '7', '6', '5', '4', '3'};
    EXPECT_TRUE(std::equal(digits.begin(), digits.end(), check.begin() + 8));
    EXPECT_EQ(check[8 + 16], 0x10);
    EXPECT_EQ(check[8 + 31], 0x1F);
    EXPECT_EQ((Bytes{check[40], check[41], check[42], check[43]}), (Bytes{0, 0, 0x01, 0x2C}));
    EXPECT_EQ(check[8 + 36], 0x40);
    EXPECT_EQ(check[8 + 51], 0x4F);
    EXPECT_TRUE(run.sink.HasRow("TX->：验证固件信息(3)请求"));
}

TEST(FwUpgrade, BlocksBySizeCode)
{
    struct Case {
        std::size_t size;
        std::uint8_t code;
        int blockSize;
        std::size_t blocks;
        std::size_t packetLen; // of a full block
    };
    const Case cases[] = {
        {64 * 5, 0, 64, 5, 76},    // exact multiple of 64
        {128 * 3, 2, 128, 3, 140}, // exact multiple of 128
        {1000, 2, 128, 8, 140},    // short last block
        {40, 2, 128, 1, 52},       // smaller than one block
        {200, 7, 64, 4, 76},       // unknown code: 64
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        UpgradeRun run(c.size);
        run.ToBlocks(c.code);
        for (std::size_t i = 0; i < c.blocks; ++i) {
            const Bytes &block = run.sink.queued.back();
            ASSERT_EQ(StepOf(block), 7);
            EXPECT_EQ((block[8] << 8) | block[9], static_cast<int>(i + 1));
            EXPECT_EQ((block[10] << 8) | block[11], static_cast<int>(c.blocks));
            if (i == 0) {
                EXPECT_EQ(block[3], c.packetLen);
                EXPECT_EQ(block.size(), c.packetLen + 4);
            }
            const std::size_t k = block.size() - 16;
            std::uint16_t crc = Crc16Modbus(block.data() + 14, k);
            EXPECT_EQ(block[12], crc & 0xFF);
            EXPECT_EQ(block[13], crc >> 8);
            run.Reply(8, {0});
        }
        EXPECT_EQ(run.session.BlockSize(), c.blockSize);
        EXPECT_EQ(run.session.Step(), kFwStepQuery);
        EXPECT_EQ(StepOf(run.sink.queued.back()), 9);
        EXPECT_EQ(run.Stored(), Image(c.size));
        EXPECT_EQ(run.sink.pos, c.size);
        EXPECT_TRUE(run.sink.HasRow("接收：升级固件全部写入成功"));
        run.Reply(10, {0});
        EXPECT_EQ(run.session.Step(), kFwStepAfter);
        EXPECT_EQ(run.sink.successes, 1);
        EXPECT_FALSE(run.session.Failed());
        EXPECT_FALSE(run.sink.armed);
    }
}

TEST(FwUpgrade, RepeatedEraseAnswerKeepsBlockSize)
{
    UpgradeRun run(512);
    run.ToBlocks(2);
    ASSERT_EQ(run.session.BlockSize(), 128);
    const std::size_t sent = run.sink.queued.size();
    run.Reply(6, {0, 1}); // repeated erase answer, another size code
    EXPECT_EQ(run.session.BlockSize(), 128);
    EXPECT_EQ(run.sink.queued.size(), sent);
    EXPECT_TRUE(run.sink.HasRow("错误：当前=写固件数据，接收=擦除FLASH，可能是重复响应"));
}

TEST(FwUpgrade, RepeatedCheckAnswerResendsErase)
{
    UpgradeRun run(512);
    ASSERT_TRUE(run.session.Start("fw.bin"));
    run.Reply(2, {0, 0});
    run.Reply(4, {0});
    ASSERT_EQ(run.session.Step(), kFwStepErase);
    run.Reply(4, {0});
    EXPECT_EQ(run.sink.posted, 1);
    EXPECT_TRUE(run.sink.HasRow("错误：当前=擦除FLASH，接收=验证固件信息，将重传擦除FLASH命令"));
    run.session.OnTimer(); // the posted expiry
    EXPECT_EQ(StepOf(run.sink.queued.back()), 5);
    EXPECT_EQ(run.sink.queued.size(), 4u);
    EXPECT_TRUE(run.sink.HasRow("重传：擦除FLASH命令，数据帧长度=10"));
}

TEST(FwUpgrade, StaleAnswers)
{
    UpgradeRun run(512);
    ASSERT_TRUE(run.session.Start("fw.bin"));
    run.Reply(4, {0}); // check answer while the request answer is awaited
    EXPECT_TRUE(run.sink.HasRow("错误：当前=固件升级，接收=验证固件信息，请点击重新升级"));
    EXPECT_EQ(run.session.Step(), kFwStepRequest);
    EXPECT_TRUE(run.sink.armed); // the timer still resends the awaited frame
    run.Reply(2, {0, 1});
    EXPECT_EQ(run.session.Step(), kFwStepAfter);
    run.Reply(2, {0, 0});
    EXPECT_TRUE(run.sink.HasRow("错误：当前=升级After，接收=固件升级，升级终止"));
}

TEST(FwUpgrade, RefusalsStopTheRun)
{
    struct Case {
        int answerStep;
        Bytes data;
        const char *text;
    };
    const Case cases[] = {
        {2, {1, 1}, "电池电量过低"},      {2, {1, 2}, "电池存在保护状态"},
        {2, {1, 3}, "不支持固件升级"},    {2, {1, 4}, "当前电池正在充放电"},
        {2, {1, 9}, "原因未知(9)"},       {4, {1}, "厂商信息错误"},
        {4, {2}, "硬件型号序列号不匹配"}, {4, {3}, "固件大小超出芯片支持范围"},
        {4, {4}, "固件包头信息错误"},     {4, {5}, "原因未知(5)"},
        {6, {1, 2}, "Flash 擦除失败"},    {8, {2}, "固件块写Flash失败"},
        {8, {3}, "固件快编号异常"},       {8, {7}, "原因未知(7)"},
        {10, {1}, "软件升级失败"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        UpgradeRun run(256);
        ASSERT_TRUE(run.session.Start("fw.bin"));
        const Bytes goodData[] = {{0, 0}, {0}, {0, 2}, {0}};
        for (int step = 2; step < c.answerStep; step += 2)
            run.Reply(step, step == 8 ? Bytes{0} : goodData[step / 2 - 1]);
        if (c.answerStep == 10)
            run.Reply(8, {0}), run.Reply(8, {0});
        const std::size_t sent = run.sink.queued.size();
        run.Reply(c.answerStep, c.data);
        EXPECT_TRUE(run.sink.HasRow(std::string("错误：") + c.text + "，升级终止"));
        EXPECT_EQ(run.session.Step(), kFwStepAfter);
        EXPECT_TRUE(run.session.Failed());
        EXPECT_EQ(run.sink.queued.size(), sent);
        EXPECT_EQ(run.sink.successes, 0);
        EXPECT_FALSE(run.sink.armed);
    }
}

TEST(FwUpgrade, BlockCheckErrorOnceThenTwice)
{
    UpgradeRun run(256);
    run.ToBlocks(2);
    run.Reply(8, {1});
    EXPECT_TRUE(run.sink.HasRow("错误：固件块校验错误，即将重传固件块"));
    EXPECT_EQ(run.session.Step(), kFwStepBlock);
    EXPECT_TRUE(run.sink.armed);
    const std::size_t progress = run.sink.pos;
    run.session.OnTimer();
    EXPECT_EQ(run.sink.queued.back(), run.sink.queued[run.sink.queued.size() - 2]);
    EXPECT_EQ(run.sink.pos, progress); // a resend does not advance the bar
    run.Reply(8, {0});
    EXPECT_EQ(run.session.BlockNo(), 2);
    // Block 2 fails twice.
    run.Reply(8, {1});
    run.session.OnTimer();
    run.Reply(8, {1});
    EXPECT_TRUE(run.sink.HasRow("错误：固件块校验再次检测到错误，升级终止"));
    EXPECT_EQ(run.session.Step(), kFwStepAfter);
    EXPECT_EQ(run.sink.successes, 0);
}

TEST(FwUpgrade, NoAnswerResendsOnceThenSaysSo)
{
    UpgradeRun run(256);
    ASSERT_TRUE(run.session.Start("fw.bin"));
    run.session.OnTimer();
    EXPECT_EQ(run.sink.queued.size(), 2u);
    EXPECT_TRUE(run.sink.HasRow("重传：固件升级命令，数据帧长度=10"));
    EXPECT_TRUE(run.sink.armed);
    run.session.OnTimer();
    EXPECT_EQ(run.sink.queued.size(), 2u); // never a third time
    EXPECT_TRUE(run.sink.HasRow("错误：重传的固件升级命令仍然没有应答，请检查连接后点击重新升级"));
    EXPECT_FALSE(run.sink.armed);
}

TEST(FwUpgrade, SecondRunSendsCurrentImageSize)
{
    UpgradeRun run(256);
    run.ToBlocks(2);
    run.session.SetImage(Image(1000));
    ASSERT_TRUE(run.session.Start("other.bin"));
    EXPECT_EQ(run.session.BlockNo(), 0);
    run.Reply(2, {0, 0});
    const Bytes &check = run.sink.queued.back();
    EXPECT_EQ((Bytes{check[40], check[41], check[42], check[43]}), (Bytes{0, 0, 0x03, 0xE8}));
    EXPECT_TRUE(run.sink.HasRow("启动固件升级 other.bin（1000字节） ......"));
}

TEST(FwUpgrade, UncarriableBlockSizeStops)
{
    UpgradeRun run(1000);
    run.ToBlocks(3);
    EXPECT_TRUE(run.sink.HasRow("错误：板卡选择的块长度 244 字节装不进一帧（最多 243 字节），升级终止"));
    EXPECT_EQ(run.session.Step(), kFwStepAfter);
    for (const Bytes &p : run.sink.queued)
        EXPECT_NE(StepOf(p), 7);
}

TEST(FwUpgrade, ImageTooLargeIsRefusedBeforeSending)
{
    EXPECT_EQ(FwUpgradeSession::SizeRefusal(65535 * 64), nullptr);
    EXPECT_NE(FwUpgradeSession::SizeRefusal(65535 * 64 + 1), nullptr);
    UpgradeRun run(65535 * 64 + 1);
    EXPECT_FALSE(run.session.Start("big.bin"));
    EXPECT_TRUE(run.sink.queued.empty());
    EXPECT_TRUE(run.sink.HasRow("错误：固件大小 4194241 字节超出升级协议的范围（最多 65535 块，即 4194240 字节）"));
}

TEST(FwUpgrade, MalformedAnswers)
{
    UpgradeRun run(256);
    ASSERT_TRUE(run.session.Start("fw.bin"));
    run.session.OnRouted(Bytes{0x04, 0x41, 0x02, 0x02, 0, 0}, true);
    EXPECT_TRUE(run.sink.HasRow("错误：数据帧头错误，04 41"));
    run.session.OnRouted(Bytes{0x03}, true);
    EXPECT_TRUE(run.sink.HasRow("错误：数据帧头错误，03 --"));
    run.session.OnRouted(Bytes{0x03, 0x41, 0x02, 0x02, 0x00}, true); // claims two data bytes, holds one
    EXPECT_TRUE(run.sink.HasRow("错误：应答数据不完整，只有 1 字节"));
    EXPECT_EQ(run.session.Step(), kFwStepRequest);
    EXPECT_EQ(run.sink.queued.size(), 1u);
    run.Reply(2, {0, 0});
    EXPECT_EQ(run.session.Step(), kFwStepCheck);
}

TEST(FwUpgrade, AnswerWithoutImage)
{
    RecordingSink sink;
    FwUpgradeSession session(sink);
    session.OnRouted(Answer(2, {0, 0}), false);
    session.OnRouted(Answer(2, {0, 0}), true);
    ASSERT_EQ(sink.rows.size(), 2u);
    EXPECT_EQ(sink.rows[0], "请选择升级文件，并点击升级按钮");
    EXPECT_EQ(sink.rows[1], "请点击升级按钮");
    EXPECT_TRUE(sink.queued.empty());
}

TEST(FwUpgrade, QueueFailureIsReported)
{
    UpgradeRun run(256);
    run.sink.refuseQueue = true;
    EXPECT_FALSE(run.session.Start("fw.bin"));
    EXPECT_TRUE(run.sink.HasRow("错误：添加至发送队列时，返回失败"));
    EXPECT_EQ(run.session.Step(), kFwStepBefore);
}

TEST(FwUpgrade, FillRowKeepsArgumentsAsTheyAre)
{
    EXPECT_EQ(FillRow("a%1b%2c%3", {"%2", "x"}), "a%2bxc%3");
    EXPECT_EQ(FillRow("100%", {}), "100%");
}

// A block resent after a lost answer and answered with a check error goes out
// once more; the board answered, so no row calls it silent.
TEST(FwUpgrade, CheckErrorAnsweringAResentBlockSendsItAgain)
{
    UpgradeRun run(256);
    run.ToBlocks(2);
    const Bytes block = run.sink.queued.back();
    run.session.OnTimer(); // the first answer was lost
    ASSERT_EQ(run.sink.queued.back(), block);
    run.Reply(8, {1});
    EXPECT_TRUE(run.sink.HasRow("错误：固件块校验错误，即将重传固件块"));
    EXPECT_TRUE(run.sink.armed);
    const std::size_t sent = run.sink.queued.size();
    run.session.OnTimer();
    ASSERT_EQ(run.sink.queued.size(), sent + 1);
    EXPECT_EQ(run.sink.queued.back(), block);
    for (const std::string &row : run.sink.rows)
        EXPECT_EQ(row.find("仍然没有应答"), std::string::npos) << row;
    run.Reply(8, {0});
    EXPECT_EQ(run.session.BlockNo(), 2);
    EXPECT_EQ(run.session.Step(), kFwStepBlock);
}
