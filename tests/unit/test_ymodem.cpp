// The YModem sending side: packets, the wrapped transport, and the sender
// driven through whole runs by a receiver written here after the protocol.
#include "protocol/crc16.h"
#include "protocol/ymodem.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

struct RecordingSink : YModemSink {
    std::vector<std::string> rows;
    std::vector<Bytes> sent;
    bool armed = false;
    int clears = 0;
    long long pos = 0, max = 0;
    bool packetRows = false;
    std::uint32_t now = 100000;

    void Log(const UpgradeRow &row) override { rows.push_back(FillRow(row)); }
    void Transmit(const std::uint8_t *b, std::size_t n) override { sent.emplace_back(b, b + n); }
    void ArmTimer(int ms) override { armed = ms == kYmRetryMs; }
    void KillTimer() override { armed = false; }
    void ClearQueues() override { ++clears; }
    void SetProgress(long long p, long long m) override
    {
        pos = p;
        max = m;
    }
    bool PacketRows() const override { return packetRows; }
    std::uint32_t NowMs() const override { return now; }
    bool HasRow(const std::string &text) const { return std::find(rows.begin(), rows.end(), text) != rows.end(); }
    int CountRows(const std::string &text) const
    {
        return static_cast<int>(std::count(rows.begin(), rows.end(), text));
    }
};

Bytes Content(std::size_t n)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>((i * 13) ^ (i >> 8));
    return b;
}

struct Files {
    QTemporaryDir dir;
    std::string Write(const std::string &name, const Bytes &content)
    {
        std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(content.data()), static_cast<std::streamsize>(content.size()));
        return path;
    }
};

bool CrcOk(const Bytes &packet)
{
    if (packet.size() != kYmSmallPacket && packet.size() != kYmLargePacket)
        return false;
    const std::size_t n = packet.size() - 5;
    std::uint16_t crc = Crc16Xmodem(packet.data() + 3, n);
    return packet[3 + n] == (crc >> 8) && packet[4 + n] == (crc & 0xFF);
}

// Receives a whole run the standard way ('C', ACK, 'C', ACK per block, NAK
// then ACK on EOT, 'C' and ACK for the end block) and keeps what it got.
struct Transfer {
    std::string name;
    long long size = -1;
    Bytes data;
    std::vector<int> blockNumbers;
    std::vector<std::size_t> blockSizes;
    bool ended = false;
};

Transfer Receive(YModemSender &sender, RecordingSink &sink)
{
    Transfer t;
    std::size_t seen = 0;
    auto next = [&]() -> const Bytes * { return seen < sink.sent.size() ? &sink.sent[seen++] : nullptr; };
    sink.now += 1000;
    sender.OnEvent(YM_EVT_C);
    const Bytes *p = next();
    if (!p || !CrcOk(*p))
        return t;
    t.name = reinterpret_cast<const char *>(p->data() + 3);
    t.size = std::stoll(reinterpret_cast<const char *>(p->data() + 3 + t.name.size() + 1));
    sender.OnEvent(YM_EVT_ACK);
    sink.now += 1000;
    sender.OnEvent(YM_EVT_C);
    for (int guard = 0; guard < 100000; ++guard) {
        p = next();
        if (!p)
            return t;
        if (p->size() == 1 && (*p)[0] == kYmEot)
            break;
        if (!CrcOk(*p))
            return t;
        t.blockNumbers.push_back((*p)[1]);
        EXPECT_EQ((*p)[2], 0xFF - (*p)[1]);
        t.blockSizes.push_back(p->size() - 5);
        t.data.insert(t.data.end(), p->begin() + 3, p->end() - 2);
        sender.OnEvent(YM_EVT_ACK);
    }
    sender.OnEvent(YM_EVT_NAK);
    p = next();
    EXPECT_TRUE(p && p->size() == 1 && (*p)[0] == kYmEot);
    sender.OnEvent(YM_EVT_ACK);
    sender.OnEvent(YM_EVT_C);
    p = next();
    t.ended = p && CrcOk(*p) && (*p)[0] == kYmSoh && (*p)[1] == 0 &&
              std::all_of(p->begin() + 3, p->end() - 2, [](std::uint8_t b) { return b == 0; });
    sender.OnEvent(YM_EVT_ACK);
    t.data.resize(std::min<std::size_t>(t.data.size(), static_cast<std::size_t>(std::max(t.size, 0LL))));
    return t;
}
} // namespace

TEST(YModem, Block0)
{
    std::uint8_t packet[kYmSmallPacket];
    ASSERT_TRUE(BuildYModemBlock0(packet, "C:\\FW\\Board.BIN", 3000));
    EXPECT_EQ(packet[0], kYmSoh);
    EXPECT_EQ(packet[1], 0x00);
    EXPECT_EQ(packet[2], 0xFF);
    EXPECT_STREQ(reinterpret_cast<const char *>(packet + 3), "c:/fw/board.bin");
    EXPECT_STREQ(reinterpret_cast<const char *>(packet + 3 + 16), "3000");
    EXPECT_TRUE(std::all_of(packet + 3 + 21, packet + 131, [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(CrcOk(Bytes(packet, packet + kYmSmallPacket)));
    // Path, size and both terminators fill the 128 bytes exactly; one more does not fit.
    EXPECT_TRUE(BuildYModemBlock0(packet, std::string(122, 'a'), 1234));
    EXPECT_FALSE(BuildYModemBlock0(packet, std::string(123, 'a'), 1234));
    EXPECT_NE(YModemSender::PathRefusal(std::string(123, 'a'), 1234), nullptr);
    // A GBK name: trail bytes that look like '\\' or 'B' stay as they are.
    const std::string gbk = "D:\\\x81\x5C\x81\x42\\FW.BIN";
    ASSERT_TRUE(BuildYModemBlock0(packet, gbk, 10));
    EXPECT_STREQ(reinterpret_cast<const char *>(packet + 3), "d:/\x81\x5C\x81\x42/fw.bin");
}

TEST(YModem, DataBlocks)
{
    struct Case {
        std::size_t valid;
        std::size_t packet;
        std::uint8_t head;
    };
    const Case cases[] = {
        {1, 133, kYmSoh}, {128, 133, kYmSoh}, {129, 1029, kYmStx}, {1023, 1029, kYmStx}, {1024, 1029, kYmStx}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.valid);
        const Bytes data = Content(c.valid);
        Bytes packet(kYmLargePacket);
        ASSERT_EQ(BuildYModemDataBlock(packet.data(), 7, data.data(), data.size()), c.packet);
        packet.resize(c.packet);
        EXPECT_EQ(packet[0], c.head);
        EXPECT_EQ(packet[1], 7);
        EXPECT_EQ(packet[2], 0xF8);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), packet.begin() + 3));
        EXPECT_TRUE(
            std::all_of(packet.begin() + 3 + c.valid, packet.end() - 2, [](std::uint8_t b) { return b == kYmPad; }));
        EXPECT_TRUE(CrcOk(packet));
    }
}

TEST(YModem, WrappedFrames)
{
    const Bytes packet = Content(kYmLargePacket);
    std::vector<Payload> frames = WrapYModemBytes(packet.data(), packet.size());
    ASSERT_EQ(frames.size(), 16u);
    Bytes joined;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Payload &f = frames[i];
        const std::size_t n = i < 15 ? 68 : 9;
        ASSERT_EQ(f.size(), 5 + n);
        EXPECT_EQ((Bytes{f[0], f[1], f[2], f[3], f[4]}),
                  (Bytes{0x53, 0x02, 0x01, static_cast<std::uint8_t>(n + 1), static_cast<std::uint8_t>(n)}));
        joined.insert(joined.end(), f.begin() + 5, f.end());
    }
    EXPECT_EQ(joined, packet);
}

TEST(YModem, WholeRunsBySize)
{
    struct Case {
        std::size_t size;
        std::vector<std::size_t> blocks;
    };
    const Case cases[] = {
        {0, {}},
        {1024 * 3, {1024, 1024, 1024}},
        {1024 + 1, {1024, 128}},
        {1024 + 128, {1024, 128}},
        {1024 + 129, {1024, 1024}},
        {2048 + 1023, {1024, 1024, 1024}},
        {100, {128}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        Files files;
        const Bytes content = Content(c.size);
        const std::string path = files.Write("Fw.Bin", content);
        RecordingSink sink;
        YModemSender sender(sink, path, false);
        Transfer t = Receive(sender, sink);
        std::string lower = path;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char ch) { return std::tolower(ch); });
        EXPECT_EQ(t.name, lower);
        EXPECT_EQ(t.size, static_cast<long long>(c.size));
        EXPECT_EQ(t.data, content);
        EXPECT_EQ(t.blockSizes, c.blocks);
        EXPECT_TRUE(t.ended);
        EXPECT_TRUE(sender.Finished());
        EXPECT_TRUE(sink.HasRow("在线升级【成功】！"));
        EXPECT_TRUE(sink.HasRow("发送结束帧，升级文件传输完成！"));
        EXPECT_EQ(sink.pos, static_cast<long long>(c.size));
        EXPECT_EQ(sink.max, static_cast<long long>(c.size));
        if (c.size == 0) {
            EXPECT_TRUE(sink.HasRow("数据传输完毕，首次填充一个EOT"));
        }
    }
}

TEST(YModem, BlockNumbersWrapAfter255)
{
    Files files;
    const Bytes content = Content(1024 * 257);
    RecordingSink sink;
    YModemSender sender(sink, files.Write("big.bin", content), false);
    Transfer t = Receive(sender, sink);
    ASSERT_EQ(t.blockNumbers.size(), 257u);
    EXPECT_EQ(t.blockNumbers[0], 1);
    EXPECT_EQ(t.blockNumbers[254], 255);
    EXPECT_EQ(t.blockNumbers[255], 0);
    EXPECT_EQ(t.blockNumbers[256], 1);
    EXPECT_EQ(t.data, content);
}

TEST(YModem, AckDirectlyAfterFirstEotCounts)
{
    Files files;
    RecordingSink sink;
    YModemSender sender(sink, files.Write("a.bin", Content(10)), false);
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_ACK);
    sink.now += 100;
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_ACK); // block 1 -> EOT
    ASSERT_EQ(sink.sent.back(), Bytes{kYmEot});
    sender.OnEvent(YM_EVT_ACK);
    EXPECT_TRUE(sender.Finished());
    EXPECT_TRUE(sink.HasRow("在线升级（成功）！"));
}

TEST(YModem, RepeatedC)
{
    Files files;
    RecordingSink sink;
    YModemSender sender(sink, files.Write("a.bin", Content(10)), false);
    sender.OnEvent(YM_EVT_C);
    ASSERT_EQ(sink.sent.size(), 1u);
    sink.now += 50;
    sender.OnEvent(YM_EVT_C);
    EXPECT_EQ(sink.sent.size(), 1u);
    EXPECT_TRUE(sink.HasRow("再次收到字符C频率太高，忽略..."));
    sink.now += 51;
    sender.OnEvent(YM_EVT_C);
    EXPECT_EQ(sink.sent.size(), 2u);
    EXPECT_EQ(sink.sent[1], sink.sent[0]);
    EXPECT_TRUE(sink.HasRow("再次收到字符C，已发送的块 0 可能丢失，重复发送"));
}

TEST(YModem, PacketRowsFollowTheCheckBox)
{
    for (bool rows : {false, true}) {
        SCOPED_TRACE(rows);
        Files files;
        RecordingSink sink;
        sink.packetRows = rows;
        YModemSender sender(sink, files.Write("a.bin", Content(2000)), false);
        Receive(sender, sink);
        int packetRows = 0;
        for (const std::string &r : sink.rows)
            packetRows += r.rfind("完成数据块 ", 0) == 0;
        EXPECT_EQ(packetRows, rows ? static_cast<int>(sink.sent.size()) : 0);
        EXPECT_EQ(sink.HasRow("完成数据块 0 的发送，发出 133 字节"), rows);
        EXPECT_EQ(sink.HasRow("完成数据块 2 的发送，发出 1029 字节"), rows);
    }
}

TEST(YModem, NakCancelsCanResets)
{
    Files files;
    RecordingSink sink;
    YModemSender sender(sink, files.Write("a.bin", Content(3000)), false);
    sender.OnEvent(YM_EVT_NAK); // before block 0: ignored
    EXPECT_TRUE(sink.sent.empty());
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_ACK);
    sink.now += 100;
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_NAK);
    EXPECT_EQ(sink.sent.back(), (Bytes{kYmCan, kYmCan}));
    EXPECT_TRUE(sink.HasRow("可能数据块不匹配，主动取消数据传输 ..."));
    const int clears = sink.clears;
    sender.OnEvent(YM_EVT_CAN);
    EXPECT_TRUE(sink.HasRow("下位机取消传输，升级失败！"));
    EXPECT_EQ(sink.clears, clears + 1);
    EXPECT_FALSE(sender.Block0Sent());
    EXPECT_EQ(sender.FileLeft(), -1);
    // The file is read again from its start.
    sink.sent.clear();
    Transfer t = Receive(sender, sink);
    EXPECT_EQ(t.data, Content(3000));
    EXPECT_TRUE(sink.HasRow("打开升级文件，文件大小 3000 字节，再次打开"));
}

TEST(YModem, LostAnswerIsResentOnce)
{
    Files files;
    RecordingSink sink;
    sink.packetRows = true;
    YModemSender sender(sink, files.Write("a.bin", Content(3000)), false);
    sender.OnEvent(YM_EVT_C);
    EXPECT_TRUE(sink.armed);
    sink.armed = false; // the owner's timer is killed when it fires
    sink.now += 2000;
    sender.OnEvent(YM_EVT_TIMEOUT); // too soon after the send
    EXPECT_EQ(sink.sent.size(), 1u);
    sink.now += 3001;
    sender.OnEvent(YM_EVT_TIMEOUT);
    EXPECT_EQ(sink.sent.size(), 2u);
    EXPECT_TRUE(sink.HasRow("完成数据块 0 的发送，发出 133 字节，重传"));
    EXPECT_FALSE(sink.armed); // a resend is not watched again
}

TEST(YModem, UnopenableFileNeverAnnouncesUnknownSize)
{
    RecordingSink sink;
    YModemSender sender(sink, "/nonexistent/dir/fw.bin", false);
    sender.OnEvent(YM_EVT_C);
    sink.now += 100;
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_ACK);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_EQ(sink.CountRows("打开升级文件，fopen_s打开文件返回失败"), 3);
    RecordingSink empty;
    YModemSender noName(empty, "", false);
    noName.OnEvent(YM_EVT_C);
    EXPECT_TRUE(empty.HasRow("打开升级文件，文件名为空"));
    EXPECT_TRUE(empty.sent.empty());
}

TEST(YModem, AckBeforeAnyCOpensTheFile)
{
    Files files;
    RecordingSink sink;
    YModemSender sender(sink, files.Write("a.bin", Content(500)), false);
    sender.OnEvent(YM_EVT_ACK);
    ASSERT_EQ(sink.sent.size(), 1u);
    EXPECT_TRUE(sink.HasRow("还没有发送数据块 0，却收到了首次 ACK，进入块 0 发送"));
    EXPECT_STREQ(reinterpret_cast<const char *>(sink.sent[0].data() + 3 + sender.Path().size() + 1), "500");
}

TEST(YModem, LongPathRefusedBeforeSending)
{
    Files files;
    RecordingSink sink;
    YModemSender sender(sink, files.Write(std::string(120, 'x') + ".bin", Content(10)), false);
    sender.OnEvent(YM_EVT_C);
    EXPECT_TRUE(sink.sent.empty());
    EXPECT_TRUE(sink.HasRow("错误：文件路径和大小装不进数据块 0（最多 128 字节），不发送，请把文件放到较短的路径下"));
}

TEST(YModem, WrappedEndRow)
{
    Files files;
    RecordingSink sink;
    YModemSender sender(sink, files.Write("a.bin", Content(10)), true);
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_ACK);
    sink.now += 100;
    sender.OnEvent(YM_EVT_C);
    sender.OnEvent(YM_EVT_ACK); // EOT built
    sender.OnEvent(YM_EVT_C);   // the receiver asks for the end block without acknowledging the EOT
    EXPECT_TRUE(sink.HasRow("发送结束帧，需要重启验证是否升级成功！"));
}

TEST(YModem, EventsOfBytes)
{
    EXPECT_EQ(YModemEventOf('C'), YM_EVT_C);
    EXPECT_EQ(YModemEventOf(0x06), YM_EVT_ACK);
    EXPECT_EQ(YModemEventOf(0x15), YM_EVT_NAK);
    EXPECT_EQ(YModemEventOf(0x18), YM_EVT_CAN);
    EXPECT_EQ(YModemEventOf(0x4D), 0);
}
