#include "files/logfiles.h"
#include "protocol/dassert.h"
#include "protocol/framer.h"
#include "test_link_pty.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

struct FramerProbe {
    std::vector<Bytes> frames;
    std::vector<Bytes> missed;
    bool accept = true;
    RxFramer framer{[this](const std::uint8_t *p, std::size_t n) {
                        if (accept)
                            frames.emplace_back(p, p + n);
                        return accept;
                    },
                    [this](const std::uint8_t *p, std::size_t n) { missed.emplace_back(p, p + n); }};
    void Feed(const Bytes &bytes)
    {
        for (std::uint8_t b : bytes)
            framer.StoreByte(b);
    }
};

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kGood = MakeFrame(0x53, 0x82, 0x05, {0x00, 0x12, 0x34});
const Bytes kSecondary = MakeFrame(0xD3, 0x83, 0x01, {0x00, 0x01});
const Bytes kMinimal = MakeFrame(0x53, 0x85, 0x02, {});
Bytes BadTail()
{
    Bytes b = MakeFrame(0x53, 0x82, 0x07, {0x00, 0x11});
    b.back() = 0x0B;
    return b;
}
} // namespace

TEST(RxFramer, FrameIsQueuedAtItsTailByteWhateverTheSplit)
{
    Bytes frame = MakeFrame(0x53, 0x82, 0x09, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05});
    FramerProbe probe;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        probe.framer.StoreByte(frame[i]);
        ASSERT_EQ(probe.frames.size(), i + 1 == frame.size() ? 1u : 0u) << "after byte " << i;
    }
    EXPECT_EQ(probe.frames[0], frame);
    EXPECT_EQ(probe.framer.Unread(), 0u);
}

TEST(RxFramer, StreamsCutIntoTheExpectedFrames)
{
    Bytes fakeHead{0x4D, 0x53, 0x02, 0x05, 0xFF}; // claims 264 bytes
    struct Case {
        const char *name;
        Bytes stream;
        std::vector<Bytes> frames;
        std::size_t missed;
    };
    const Case cases[] = {
        {"good frame", kGood, {kGood}, 0},
        {"leading garbage", Cat({{0x00, 0x4D, 0x00}, kGood}), {kGood}, 0},
        {"secondary board link byte", kSecondary, {kSecondary}, 0},
        {"back to back", Cat({kGood, kSecondary, kGood}), {kGood, kSecondary, kGood}, 0},
        {"wrong tail then good", Cat({BadTail(), kGood}), {kGood}, 1},
        {"nine bytes wait", kMinimal, {}, 0},
        {"nine bytes and one more", Cat({kMinimal, {0x00}}), {kMinimal}, 0},
        {"fake head swallows, then resync",
         Cat({fakeHead, kGood, Bytes(300, 0x11), kSecondary}),
         {kGood, kSecondary},
         1},
        {"frames behind a false head come out when it resolves",
         Cat({fakeHead, kGood, kSecondary, Bytes(264 - 5 - kGood.size() - kSecondary.size(), 0x11)}),
         {kGood, kSecondary},
         1},
        {"bad sum is still a frame here",
         Cat({{0x4D, 0x53, 0x82, 0x05, 0x01, 0x00, 0xEE, 0xEE, 0x0D, 0x0A}}),
         {{0x4D, 0x53, 0x82, 0x05, 0x01, 0x00, 0xEE, 0xEE, 0x0D, 0x0A}},
         0},
    };
    for (const Case &c : cases) {
        FramerProbe probe;
        probe.Feed(c.stream);
        EXPECT_EQ(probe.frames, c.frames) << c.name;
        EXPECT_EQ(probe.missed.size(), c.missed) << c.name;
    }
}

// A quiet line between the parts of a stream ("|" in the names): what waits
// then is slid past, and the frames behind it come out at once.
TEST(RxFramer, QuietTimeSlidesPastWhatWaits)
{
    const Bytes falseHead{0x4D, 0x53, 0x03, 0x19, 0xFF}; // claims 264 bytes
    const Bytes shortHead{0x4D, 0x53, 0x03};             // its length byte never came
    struct Case {
        const char *name;
        std::vector<Bytes> parts; // a quiet time after each part
        std::vector<Bytes> frames;
        std::size_t unreadAfter;
    };
    const Case cases[] = {
        {"false length | valid frame", {falseHead, kGood}, {kGood}, 0},
        {"false length then valid frame | ", {Cat({falseHead, kGood})}, {kGood}, 0},
        {"two false heads then two frames | ",
         {Cat({falseHead, falseHead, kGood, kSecondary})},
         {kGood, kSecondary},
         0},
        {"short head | valid frame", {shortHead, kGood}, {kGood}, 0},
        {"valid frame cut short | valid frame", {Bytes(kGood.begin(), kGood.end() - 3), kGood}, {kGood}, 0},
        {"nine-byte frame | ", {kMinimal}, {}, kMinimal.size()}, // waits for one more byte, as always
        {"false head, nine-byte frame | ", {Cat({falseHead, kMinimal})}, {}, kMinimal.size()},
        {"garbage | ", {{0x11, 0x22, 0x4D}}, {}, 0},
        {"frames only | ", {Cat({kGood, kSecondary})}, {kGood, kSecondary}, 0},
    };
    for (const Case &c : cases) {
        FramerProbe probe;
        for (const Bytes &part : c.parts) {
            probe.Feed(part);
            probe.framer.OnQuiet();
        }
        EXPECT_EQ(probe.framer.Unread(), c.unreadAfter) << c.name;
        EXPECT_EQ(probe.frames, c.frames) << c.name;
    }
}

TEST(RxFramer, QuietTimeKeepsAFrameTheSinkRefused)
{
    FramerProbe probe;
    probe.accept = false;
    probe.Feed(Cat({{0x4D, 0x53, 0x03, 0x19, 0xFF}, kGood}));
    probe.framer.OnQuiet();
    EXPECT_EQ(probe.framer.Unread(), kGood.size()); // the refused frame waits for the next try
    probe.accept = true;
    probe.framer.OnQuiet();
    EXPECT_EQ(probe.frames, std::vector<Bytes>{kGood});
    EXPECT_EQ(probe.framer.Unread(), 0u);
}

// The board's side takes 9-byte requests: such a frame comes out at its last byte.
TEST(RxFramer, BoardMinimumCutsNineByteFramesAtOnce)
{
    std::vector<Bytes> frames;
    RxFramer board([&](const std::uint8_t *p, std::size_t n) { return frames.emplace_back(p, p + n), true; }, nullptr,
                   kFrameMinLen);
    for (std::size_t i = 0; i < kMinimal.size(); ++i) {
        board.StoreByte(kMinimal[i]);
        ASSERT_EQ(frames.size(), i + 1 == kMinimal.size() ? 1u : 0u) << "after byte " << i;
    }
    for (std::uint8_t b : kGood)
        board.StoreByte(b);
    EXPECT_EQ(frames, (std::vector<Bytes>{kMinimal, kGood}));
}

TEST(RxFramer, MissTailLineCarriesTheSupposedFrame)
{
    QTemporaryDir dir;
    SetLogBaseFolder(dir.path());
    Bytes bad = BadTail();
    RxFramer framer([](const std::uint8_t *, std::size_t) { return true; }, LogMissTail);
    for (std::uint8_t b : Cat({bad, kGood}))
        framer.StoreByte(b);
    QFile log(LogFilePath(QStringLiteral("Log"), QStringLiteral("txt")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(),
              QByteArray::fromStdString("PDU Miss Tail Flag: " + HexText(bad.data(), bad.size()) + "\n"));
    SetLogBaseFolder(QString());
}

TEST(RxFramer, RefusedFrameStaysAndFullBufferLosesBytesWithAssertion)
{
    QTemporaryDir dir;
    std::string errFile = dir.filePath(QStringLiteral("d_error.txt")).toStdString();
    SetErrorFilePath(errFile);

    FramerProbe probe;
    probe.accept = false;
    probe.Feed(kGood);
    EXPECT_EQ(probe.framer.Unread(), kGood.size()); // kept for a retry
    probe.accept = true;
    probe.framer.StoreByte(0x00); // the next byte retries
    ASSERT_EQ(probe.frames.size(), 1u);
    EXPECT_EQ(probe.frames[0], kGood);

    // Garbage alone never fills the buffer: compaction makes room.
    FramerProbe garbage;
    for (int i = 0; i < 20000; ++i)
        ASSERT_TRUE(garbage.framer.StoreByte(static_cast<std::uint8_t>(i % 0x4D)));
    EXPECT_LE(garbage.framer.Unread(), 9u);

    // A sink that keeps refusing fills the buffer; the 4097th unread byte is lost.
    FramerProbe stuck;
    stuck.accept = false;
    stuck.Feed(kGood);
    std::size_t stored = kGood.size();
    while (stored < RxFramer::kBufferSize) {
        ASSERT_TRUE(stuck.framer.StoreByte(0x00));
        ++stored;
    }
    EXPECT_FALSE(stuck.framer.StoreByte(0x00));
    EXPECT_EQ(stuck.framer.Unread(), RxFramer::kBufferSize);
    QFile err(QString::fromStdString(errFile));
    ASSERT_TRUE(err.open(QIODevice::ReadOnly));
    QByteArray text = err.readAll();
    EXPECT_TRUE(text.contains("bAdd"));
    EXPECT_TRUE(text.contains("tmpRet == 1"));
    SetErrorFilePath("d_error.txt");
}
