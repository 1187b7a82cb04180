// The capture of the board link: pcapng blocks written and read back, the
// cutting of received reads into frames and stray runs, the capture file
// (cut at every byte of its last block, a failing file), the command table
// against the commands the simulated board serves, and the replay of a
// capture's answers by the board's link.
#include "common/frame_bytes.h"
#include "files/capturefile.h"
#include "link/linkcapture.h"
#include "protocol/command_table.h"
#include "protocol/pcapng.h"
#include "protocol/rx_runs.h"
#include "sim/sim_board.h"
#include "sim/sim_link.h"
#include "sim/sim_replay.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes ReadAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return Bytes(b.begin(), b.end());
}

const Bytes kRequest = BoardFrame(0x03, 0x05, {0x00});
const Bytes kAnswer = StatusAnswer(0x05, {0x0C, 0xE4, 0x0C, 0xE1});
const Bytes kParamRead = BoardFrame(0x02, 0x59, {0x00});
const Bytes kParamAnswer = BoardFrame(0x82, 0xD9, {0x00, 0x0E, 0x10});

} // namespace

TEST(Pcapng, BlocksComeBackAsWritten)
{
    const Bytes file = Concat({PcapngSectionHeader("comment"),
                               PcapngInterface(kLinkTypeUser0, "/dev/ttyUSB0", "/dev/ttyUSB0, 9600 8N1", "if"),
                               PcapngPacket(0, 1'700'000'000'123'456ull, PcapngDirection::Outbound, kRequest),
                               PcapngPacket(0, 1'700'000'000'223'456ull, PcapngDirection::Inbound, kAnswer),
                               PcapngPacket(0, 5, PcapngDirection::Unknown, Bytes{0x01, 0x02, 0x03})});
    EXPECT_EQ(file.size() % 4, 0u);
    const PcapngContents got = ReadPcapng(file);
    EXPECT_EQ(got.problem, "");
    EXPECT_EQ(got.wholeBytes, file.size());
    ASSERT_EQ(got.interfaces.size(), 1u);
    EXPECT_EQ(got.interfaces[0].linkType, 147);
    EXPECT_EQ(got.interfaces[0].name, "/dev/ttyUSB0");
    EXPECT_EQ(got.interfaces[0].description, "/dev/ttyUSB0, 9600 8N1");
    EXPECT_EQ(got.interfaces[0].unitsPerSecond, 1000000u);
    struct Want {
        std::uint64_t time;
        PcapngDirection dir;
        Bytes bytes;
    };
    const Want want[] = {{1'700'000'000'123'456ull, PcapngDirection::Outbound, kRequest},
                         {1'700'000'000'223'456ull, PcapngDirection::Inbound, kAnswer},
                         {5, PcapngDirection::Unknown, {0x01, 0x02, 0x03}}};
    ASSERT_EQ(got.records.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(got.records[i].time, want[i].time) << i;
        EXPECT_EQ(got.records[i].direction, want[i].dir) << i;
        EXPECT_EQ(got.records[i].bytes, want[i].bytes) << i;
    }
}

TEST(Pcapng, BadInputStopsReading)
{
    const Bytes shb = PcapngSectionHeader("");
    const Bytes idb = PcapngInterface(kLinkTypeUser0, "p", "", "");
    Bytes lengthsDisagree = Concat({shb, idb, PcapngPacket(0, 1, PcapngDirection::Inbound, kAnswer)});
    lengthsDisagree[lengthsDisagree.size() - 4] ^= 0x04;
    Bytes capturedTooLong = Concat({shb, idb, PcapngPacket(0, 1, PcapngDirection::Inbound, kAnswer)});
    capturedTooLong[shb.size() + idb.size() + 20] = 0xF0; // captured length past the block
    Bytes oddLength = shb;
    oddLength[4] = 13;
    Bytes packetBeforeInterface = Concat({shb, PcapngPacket(0, 1, PcapngDirection::Inbound, kAnswer)});
    struct Case {
        const char *what;
        Bytes bytes;
        std::size_t records;
        std::string problem;
    };
    const Case cases[] = {
        {"empty", {}, 0, ""},
        {"no section", PcapngPacket(0, 1, PcapngDirection::Inbound, kAnswer), 0, "not a pcapng file"},
        {"lengths disagree", lengthsDisagree, 0, "block lengths disagree"},
        {"captured length too long", capturedTooLong, 0, "malformed block"},
        {"packet of no interface", packetBeforeInterface, 0, ""},
        {"odd length", oddLength, 0, "malformed block length"},
        {"short section", Bytes(shb.begin(), shb.begin() + 12), 0, "cut-off block"},
    };
    for (const Case &c : cases) {
        const PcapngContents got = ReadPcapng(c.bytes);
        EXPECT_EQ(got.records.size(), c.records) << c.what;
        EXPECT_EQ(got.problem, c.problem) << c.what;
    }
}

TEST(RxRunCutter, ReadsBecomeFramesAndStrayRuns)
{
    struct Run {
        Bytes bytes;
        std::int64_t time;
        bool frame;
        bool operator==(const Run &) const = default;
    };
    const Bytes a = kAnswer;
    const Bytes badTail = [&] {
        Bytes b = kAnswer;
        b.back() = 0x0B;
        return b;
    }();
    struct Case {
        const char *what;
        std::vector<std::pair<Bytes, std::int64_t>> reads;
        bool flush;
        std::vector<Run> want;
    };
    const Case cases[] = {
        {"one frame", {{a, 10}}, false, {{a, 10, true}}},
        {"split over three reads",
         {{Bytes(a.begin(), a.begin() + 3), 10},
          {Bytes(a.begin() + 3, a.end() - 1), 20},
          {Bytes(a.end() - 1, a.end()), 30}},
         false,
         {{a, 10, true}}},
        {"noise before", {{Concat({{0x11, 0x22}, a}), 7}}, false, {{{0x11, 0x22}, 7, false}, {a, 7, true}}},
        {"two frames in a read", {{Concat({a, kParamAnswer}), 5}}, false, {{a, 5, true}, {kParamAnswer, 5, true}}},
        {"wrong tail is stray", {{badTail, 3}}, true, {{Bytes(badTail.begin(), badTail.end()), 3, false}}},
        {"partial head waits", {{Bytes(a.begin(), a.begin() + 6), 4}}, false, {}},
        {"partial head given up",
         {{Bytes(a.begin(), a.begin() + 6), 4}},
         true,
         {{Bytes(a.begin(), a.begin() + 6), 4, false}}},
        {"false link byte", {{Bytes{0x4D, 0x11, 0x4D}, 9}}, true, {{{0x4D, 0x11}, 9, false}, {{0x4D}, 9, false}}},
    };
    for (const Case &c : cases) {
        std::vector<Run> got;
        RxRunCutter cutter([&got](std::span<const std::uint8_t> b, std::int64_t t, bool frame) {
            got.push_back({Bytes(b.begin(), b.end()), t, frame});
        });
        for (const auto &[bytes, time] : c.reads)
            cutter.Feed(bytes, time);
        if (c.flush)
            cutter.Flush();
        EXPECT_EQ(got, c.want) << c.what;
    }
}

class CaptureFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(CaptureFileTest, LinkCaptureRecordsDirectionsPortAndRuns)
{
    LinkCapture capture;
    ASSERT_TRUE(capture.Open(Path("link.pcapng")));
    capture.SetPort(QStringLiteral("/dev/ttyUSB0"), LineSettings{115200, 'E', 8, 2});
    capture.Sent(kRequest.data(), kRequest.size());
    capture.Received(kAnswer.data(), 4);
    capture.Received(kAnswer.data() + 4, kAnswer.size() - 4);
    const Bytes noise{0x4D, 0x53, 0x03}; // a partial frame: given up by the next write
    capture.Received(noise.data(), noise.size());
    capture.Sent(kParamRead.data(), kParamRead.size());
    capture.Close();
    EXPECT_FALSE(capture.File().Failed());

    const PcapngContents got = ReadPcapng(ReadAll(Path("link.pcapng")));
    EXPECT_EQ(got.problem, "");
    ASSERT_EQ(got.interfaces.size(), 1u);
    EXPECT_EQ(got.interfaces[0].description, "/dev/ttyUSB0, 115200 8E2");
    const std::vector<std::pair<PcapngDirection, Bytes>> want = {{PcapngDirection::Outbound, kRequest},
                                                                 {PcapngDirection::Inbound, kAnswer},
                                                                 {PcapngDirection::Inbound, noise},
                                                                 {PcapngDirection::Outbound, kParamRead}};
    ASSERT_EQ(got.records.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got.records[i].direction, want[i].first) << i;
        EXPECT_EQ(got.records[i].bytes, want[i].second) << i;
        if (i > 0) {
            EXPECT_GE(got.records[i].time, got.records[i - 1].time) << i;
        }
    }
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(Path("link.pcapng")).size()), capture.File().Size());
}

// A capture ends anywhere inside its last block (a crash, a pulled cable):
// the records before that block are all there.
TEST_F(CaptureFileTest, CutInsideTheLastBlockKeepsTheWholeBlocks)
{
    CaptureFile file;
    ASSERT_TRUE(file.Open(Path("cut.pcapng")));
    ASSERT_TRUE(file.SetInterface("p", "p, 9600 8N1"));
    ASSERT_TRUE(file.Write(PcapngDirection::Outbound, 1, kRequest));
    ASSERT_TRUE(file.Write(PcapngDirection::Inbound, 2, kAnswer));
    const std::size_t lastStart = static_cast<std::size_t>(file.Size());
    ASSERT_TRUE(file.Write(PcapngDirection::Outbound, 3, kParamRead));
    file.Close();
    const Bytes whole = ReadAll(Path("cut.pcapng"));
    ASSERT_EQ(whole.size(), static_cast<std::size_t>(file.Size()));
    const std::size_t last = whole.size() - lastStart; // 48 bytes: header 28, frame 10 (+2 pad), flags 8 and end
    ASSERT_EQ(last, 56u);
    struct Cut {
        std::size_t keep; // bytes of the last block kept
        std::size_t records;
        const char *problem;
    };
    // The block's fields: type 0-3, length 4-7, interface 8-11, time 12-19,
    // lengths 20-27, frame 28-37 and padding, flags option 40-47, end 48-51, length 52-55.
    const Cut cuts[] = {
        {0, 2, ""},
        {1, 2, "cut-off block"},
        {3, 2, "cut-off block"},
        {4, 2, "cut-off block"},
        {7, 2, "cut-off block"},
        {8, 2, "cut-off block"},
        {11, 2, "cut-off block"},
        {12, 2, "cut-off block"},
        {19, 2, "cut-off block"},
        {20, 2, "cut-off block"},
        {27, 2, "cut-off block"},
        {28, 2, "cut-off block"},
        {37, 2, "cut-off block"},
        {40, 2, "cut-off block"},
        {47, 2, "cut-off block"},
        {48, 2, "cut-off block"},
        {51, 2, "cut-off block"},
        {52, 2, "cut-off block"},
        {55, 2, "cut-off block"},
        {56, 3, ""},
    };
    for (const Cut &c : cuts) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(lastStart + c.keep));
        const PcapngContents got = ReadPcapng(cut);
        EXPECT_EQ(got.records.size(), c.records) << c.keep;
        EXPECT_EQ(got.problem, c.problem) << c.keep;
        EXPECT_EQ(got.wholeBytes, c.records == 3 ? whole.size() : lastStart) << c.keep;
    }
}

TEST_F(CaptureFileTest, AFailedWriteStopsTheCaptureWithAReason)
{
    CaptureFile unwritable;
    EXPECT_FALSE(unwritable.Open(Path("no/such/folder/x.pcapng")));
    EXPECT_TRUE(unwritable.Failed());
    EXPECT_TRUE(unwritable.ErrorText().contains(QStringLiteral("无法创建抓包文件")));

    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    CaptureFile full;
    EXPECT_FALSE(full.Open(QStringLiteral("/dev/full"))); // the section header does not fit
    EXPECT_TRUE(full.Failed());
    EXPECT_TRUE(full.ErrorText().contains(QStringLiteral("抓包已停止")));
    EXPECT_FALSE(full.Write(PcapngDirection::Inbound, 1, kAnswer));
    EXPECT_FALSE(full.IsOpen());
    EXPECT_EQ(full.Records(), 0u);
}

TEST(CommandTable, EveryServedCommandHasOneName)
{
    std::set<std::pair<int, int>> keys;
    for (const CommandName &c : CommandNames()) {
        EXPECT_FALSE(c.name.empty());
        EXPECT_TRUE(keys.insert({c.cls | (c.boardFrame ? 0x100 : 0), c.code}).second)
            << std::hex << int(c.cls) << " " << int(c.code);
    }
    SimOptions options;
    options.repeater = true;
    SimBoard board(options);
    int served = 0;
    for (int cls = 0; cls < 0x80; ++cls)
        for (int code = 0; code < 0x80; ++code)
            if (board.Find(static_cast<std::uint8_t>(cls), static_cast<std::uint8_t>(code))) {
                ++served;
                EXPECT_FALSE(CommandNameOf(static_cast<std::uint8_t>(cls), static_cast<std::uint8_t>(code)).empty())
                    << std::hex << cls << " " << code;
            }
    EXPECT_GT(served, 100);
    struct Case {
        std::uint8_t cls, code;
        const char *name;
    };
    const Case cases[] = {{0x03, 0x05, "读单体电压"},
                          {0x83, 0x85, "读单体电压"},
                          {0x83, 0xE6, "批量读状态"},
                          {0x82, 0xD9, "读单节过充报警"},
                          {0x02, 0x58, "写单节过充报警"},
                          {0x83, 0xD1, "事件日志数据"},
                          {0x7F, 0x7F, ""}};
    for (const Case &c : cases)
        EXPECT_EQ(CommandNameOf(c.cls, c.code), c.name);
}

TEST(Replay, RecordedAnswersInRecordedOrder)
{
    const Bytes second = StatusAnswer(0x05, {0x0C, 0x00});
    const Bytes third = StatusAnswer(0x05, {0x0D, 0x00});
    const Bytes file = Concat({
        PcapngSectionHeader(""),
        PcapngInterface(kLinkTypeUser0, "p", "", ""),
        PcapngPacket(0, 1, PcapngDirection::Inbound, kAnswer), // before any request: nobody's
        PcapngPacket(0, 2, PcapngDirection::Outbound, kRequest),
        PcapngPacket(0, 3, PcapngDirection::Inbound, Concat({{0x11}, kAnswer})),
        PcapngPacket(0, 4, PcapngDirection::Outbound, kRequest), // lost answer
        PcapngPacket(0, 5, PcapngDirection::Outbound, kRequest),
        PcapngPacket(0, 6, PcapngDirection::Inbound, second),
        PcapngPacket(0, 7, PcapngDirection::Outbound, kParamRead),
        PcapngPacket(0, 8, PcapngDirection::Inbound, kParamAnswer),
        PcapngPacket(0, 9, PcapngDirection::Outbound, kRequest),
        PcapngPacket(0, 10, PcapngDirection::Inbound, third),
    });
    std::string problem;
    ReplayBook book = ReplayBook::FromCapture(file, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(book.Requests(), 2u);
    EXPECT_EQ(book.Turns(), 5u);
    using Answers = std::vector<SimBytes>;
    const std::optional<Answers> want[] = {Answers{kAnswer}, Answers{}, Answers{second}, Answers{third},
                                           Answers{third}};
    for (const auto &w : want)
        EXPECT_EQ(book.Take(kRequest), w);
    EXPECT_EQ(book.Take(kParamRead), Answers{kParamAnswer});
    EXPECT_EQ(book.Take(BoardFrame(0x03, 0x05, {0x01})), std::nullopt); // other data
    EXPECT_EQ(book.Take(kAnswer), std::nullopt);                        // no request
}

TEST(Replay, TheLinkAnswersFromTheBookOrByItself)
{
    const Bytes recorded = StatusAnswer(0x05, {0x01, 0x02});
    const Bytes file = Concat({PcapngSectionHeader(""), PcapngInterface(kLinkTypeUser0, "p", "", ""),
                               PcapngPacket(0, 2, PcapngDirection::Outbound, kRequest),
                               PcapngPacket(0, 3, PcapngDirection::Inbound, recorded)});
    for (bool strict : {false, true}) {
        SimOptions options;
        options.replay = std::make_shared<ReplayBook>(ReplayBook::FromCapture(file));
        options.replayStrict = strict;
        SimLink link(options);
        const std::vector<SimBytes> got = link.Feed(kRequest);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0], recorded);
        const std::vector<SimBytes> other = link.Feed(kParamRead);
        EXPECT_EQ(other.empty(), strict) << strict;
    }
}
