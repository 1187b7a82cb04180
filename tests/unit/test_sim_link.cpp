// The board's byte stream side: framing of requests and every fault switch
// that changes what is written.
#include "protocol/frame.h"
#include "protocol/framer.h"
#include "sim/sim_link.h"

#include <gtest/gtest.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Req(std::uint8_t code)
{
    return MakeFrame(kLinkMain, 0x03, code, Bytes{0x00});
}

Bytes Join(const std::vector<SimBytes> &chunks)
{
    Bytes out;
    for (const SimBytes &c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

// The frames a receiver cuts out of the bytes, with their checksum verdict.
struct Cut {
    Bytes frame;
    bool sound;
};
std::vector<Cut> Frames(const Bytes &stream)
{
    std::vector<Cut> out;
    RxFramer framer(
        [&](const std::uint8_t *p, std::size_t n) {
            out.push_back({Bytes(p, p + n), VerifyFrame(p, n)});
            return true;
        },
        nullptr);
    for (std::uint8_t b : stream)
        framer.StoreByte(b);
    framer.StoreByte(0x00); // the framer cuts once a byte follows the shortest frame
    return out;
}

std::int64_t FixedClock()
{
    return 1700000000000;
}
} // namespace

TEST(SimLink, RequestsSplitAnywhereAndNoiseAroundThemAreAnswered)
{
    SimLink link({}, FixedClock);
    Bytes stream{0x00, 0x4D, 0x11, 0x0D, 0x0A};
    Bytes r = Req(0x19);
    stream.insert(stream.end(), r.begin(), r.end());
    stream.insert(stream.end(), r.begin(), r.end());
    std::vector<SimBytes> out;
    for (std::uint8_t b : stream)
        for (SimBytes &c : link.Feed({&b, 1}))
            out.push_back(c);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0][3], 0x99);
    EXPECT_EQ(link.Requests(), 2u);
}

TEST(SimLink, BadChecksumGetsNoAnswer)
{
    SimLink link({}, FixedClock);
    Bytes r = Req(0x19);
    r[r.size() - 4] ^= 0x01;
    EXPECT_TRUE(link.Feed(r).empty());
    EXPECT_EQ(link.BadChecksums(), 1u);
    EXPECT_EQ(link.Feed(Req(0x19)).size(), 1u);
}

TEST(SimLink, FaultSwitchesShapeTheAnswers)
{
    struct Case {
        const char *name;
        SimOptions options;
        // frames cut from the answers to four requests, and how many have a sound checksum
        std::size_t frames;
        std::size_t sound;
    };
    auto with = [](auto set) {
        SimOptions o;
        set(o);
        return o;
    };
    const Case cases[] = {
        {"none", {}, 4, 4},
        {"drop every 2nd", with([](SimOptions &o) { o.dropEvery = 2; }), 2, 2},
        {"drop all", with([](SimOptions &o) { o.dropEvery = 1; }), 0, 0},
        {"corrupt every 2nd", with([](SimOptions &o) { o.corruptEvery = 2; }), 4, 2},
        {"garbage", with([](SimOptions &o) { o.garbageBytes = 40; }), 4, 4},
        {"wrong length", with([](SimOptions &o) { o.wrongLengthEvery = 1; }), 4, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimLink link(c.options, FixedClock);
        Bytes stream;
        for (std::uint8_t code : {0x19, 0x18, 0x11, 0x14}) {
            Bytes out = Join(link.Feed(Req(code)));
            stream.insert(stream.end(), out.begin(), out.end());
        }
        std::vector<Cut> cut = Frames(stream);
        EXPECT_EQ(cut.size(), c.frames);
        std::size_t sound = 0;
        for (const Cut &f : cut)
            sound += f.sound;
        EXPECT_EQ(sound, c.sound);
    }
}

TEST(SimLink, WrongLengthAndResultCodeRewriteTheData)
{
    SimOptions wrong;
    wrong.wrongLengthEvery = 2;
    SimLink a(wrong, FixedClock);
    Bytes first = Join(a.Feed(Req(0x19)));
    Bytes second = Join(a.Feed(Req(0x19)));
    EXPECT_EQ(first[4], 3);
    EXPECT_EQ(second[4], 4); // SOC, SOH and one byte too many
    EXPECT_TRUE(VerifyFrame(second.data(), second.size()));

    SimOptions code;
    code.resultCode = 0x05;
    SimLink b(code, FixedClock);
    Bytes answer = Join(b.Feed(Req(0x05)));
    EXPECT_EQ(answer, MakeFrame(kLinkMain, 0x83, 0x85, Bytes{0x05}));
}

TEST(SimLink, GarbageNeverHoldsTheHeadByte)
{
    SimOptions o;
    o.garbageBytes = 2000;
    SimLink link(o, FixedClock);
    Bytes out = Join(link.Feed(Req(0x19)));
    ASSERT_EQ(out.size(), 2000u + 12u);
    EXPECT_EQ(std::count(out.begin(), out.begin() + 2000, kFrameHead), 0);
}

TEST(SimLink, OnlyTheSecondOfTwoIdenticalRequestsIsAnswered)
{
    SimOptions o;
    o.answerSecondTry = true;
    SimLink link(o, FixedClock);
    EXPECT_TRUE(link.Feed(Req(0x19)).empty());
    EXPECT_EQ(link.Feed(Req(0x19)).size(), 1u);
    EXPECT_TRUE(link.Feed(Req(0x19)).empty()); // a new round
    EXPECT_TRUE(link.Feed(Req(0x18)).empty()); // another request starts over
    EXPECT_EQ(link.Feed(Req(0x18)).size(), 1u);
}

// Every counting switch counts each board's own answers: with two boards on
// the link, "every second answer" drops the second answer of each board.
TEST(SimLink, CountingSwitchesCountPerBoard)
{
    struct Case {
        const char *name;
        SimOptions options;
        // For each of four requests: whether each board's answer is written
        // intact (main, secondary).
        std::vector<std::pair<bool, bool>> intact;
    };
    auto with = [](auto set) {
        SimOptions o;
        o.secondary = true;
        set(o);
        return o;
    };
    const Case cases[] = {
        {"drop every 2nd",
         with([](SimOptions &o) { o.dropEvery = 2; }),
         {{true, true}, {false, false}, {true, true}, {false, false}}},
        {"corrupt every 3rd",
         with([](SimOptions &o) { o.corruptEvery = 3; }),
         {{true, true}, {true, true}, {false, false}, {true, true}}},
        {"wrong length every 2nd",
         with([](SimOptions &o) { o.wrongLengthEvery = 2; }),
         {{true, true}, {false, false}, {true, true}, {false, false}}},
    };
    for (const Case &c : cases) {
        SimLink link(c.options, FixedClock);
        for (std::size_t i = 0; i < c.intact.size(); ++i) {
            std::vector<Cut> cuts = Frames(Join(link.Feed(Req(0x19))));
            bool main = false, second = false;
            for (const Cut &cut : cuts) {
                bool good = cut.sound && cut.frame.size() == 12; // SOC answer: 3 data bytes
                (cut.frame[1] == kLinkMain ? main : second) = good;
            }
            EXPECT_EQ(main, c.intact[i].first) << c.name << " request " << i;
            EXPECT_EQ(second, c.intact[i].second) << c.name << " request " << i;
        }
    }
}

// A request without data is nine bytes long; the board answers it at its last byte.
TEST(SimLink, NineByteRequestIsAnsweredAtOnce)
{
    SimLink link({}, FixedClock);
    const Bytes nine = MakeFrame(kLinkMain, 0x03, 0x19, Bytes{});
    ASSERT_EQ(nine.size(), kFrameMinLen);
    std::vector<SimBytes> out;
    for (std::size_t i = 0; i < nine.size(); ++i) {
        out = link.Feed({&nine[i], 1});
        ASSERT_EQ(out.size(), i + 1 == nine.size() ? 1u : 0u) << "after byte " << i;
    }
    EXPECT_EQ(out[0][3], 0x99);
    EXPECT_EQ(link.Waiting(), 0u);
}

// A stray head claiming 264 bytes swallows the requests behind it until the
// line has been quiet; then the board answers them, and later requests at once.
TEST(SimLink, StrayHeadIsGivenUpAfterTheQuietTime)
{
    const Bytes stray{0x4D, 0x53, 0x03, 0x19, 0xFF};
    SimLink link({}, FixedClock);
    EXPECT_TRUE(link.Feed(stray).empty());
    EXPECT_TRUE(link.Feed(Req(0x19)).empty()); // held behind the stray head
    EXPECT_GT(link.Waiting(), 0u);
    std::vector<SimBytes> out = link.Quiet();
    ASSERT_EQ(out.size(), 1u); // the held request is answered now
    EXPECT_EQ(out[0][3], 0x99);
    EXPECT_EQ(link.Waiting(), 0u);
    EXPECT_EQ(link.Feed(Req(0x18)).size(), 1u);

    // Quiet after the stray head alone: the next request is answered at once.
    EXPECT_TRUE(link.Feed(stray).empty());
    EXPECT_TRUE(link.Quiet().empty());
    EXPECT_EQ(link.Feed(Req(0x19)).size(), 1u);

    // The other end closing forgets what waits.
    EXPECT_TRUE(link.Feed(stray).empty());
    link.Reset();
    EXPECT_EQ(link.Waiting(), 0u);
    EXPECT_EQ(link.Feed(Req(0x19)).size(), 1u);
}
