// The simulated board as a pure function of request frames and a hand-driven clock.
#include "protocol/frame.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>

namespace {
using Bytes = std::vector<std::uint8_t>;

struct FakeClock {
    std::int64_t ms = 1700000000000; // 2023-11-14
    SimClock Fn()
    {
        return [this] { return ms; };
    }
};

Bytes Request(std::uint8_t cls, std::uint8_t code, Bytes data = {0x00})
{
    return MakeFrame(kLinkMain, cls, code, data);
}

// The data of an answer, checked for framing, checksum, link byte, class and code.
Bytes AnswerData(const Bytes &frame, std::uint8_t cls, std::uint8_t code, std::uint8_t link = kLinkMain)
{
    EXPECT_GE(frame.size(), 10u);
    if (frame.size() < 10)
        return {};
    EXPECT_EQ(frame[0], kFrameHead);
    EXPECT_EQ(frame[1], link);
    EXPECT_EQ(frame[2], cls | 0x80);
    EXPECT_EQ(frame[3], code | 0x80);
    EXPECT_EQ(frame.size(), frame[4] + 9u);
    EXPECT_TRUE(VerifyFrame(frame.data(), frame.size()));
    EXPECT_EQ(frame[frame.size() - 2], 0x0D);
    EXPECT_EQ(frame[frame.size() - 1], 0x0A);
    return Bytes(frame.begin() + 5, frame.begin() + 5 + frame[4]);
}

Bytes Ask(SimBoard &board, std::uint8_t cls, std::uint8_t code, Bytes data = {0x00})
{
    std::vector<SimBytes> answers = board.Handle(Request(cls, code, data));
    EXPECT_EQ(answers.size(), 1u);
    return answers.empty() ? Bytes{} : AnswerData(answers[0], cls, code);
}

std::uint16_t Be16(const Bytes &b, std::size_t at)
{
    return static_cast<std::uint16_t>((b.at(at) << 8) | b.at(at + 1));
}

class BoardTest : public ::testing::Test {
protected:
    FakeClock clock;
    SimOptions options;
    SimBoard &Board()
    {
        if (!board)
            board = std::make_unique<SimBoard>(options, clock.Fn());
        return *board;
    }
    std::unique_ptr<SimBoard> board;
};
} // namespace

TEST_F(BoardTest, EveryStatusItemAnswersWithItsLayout)
{
    // Data length of each answer, result code included, for 16 cells and 4 probes.
    const std::map<std::uint8_t, std::size_t> expected = {
        {0x01, 17}, {0x02, 7}, {0x05, 33}, {0x06, 15}, {0x07, 21}, {0x08, 5}, {0x09, 4}, {0x11, 3},
        {0x14, 2},  {0x18, 2}, {0x19, 3},  {0x20, 4},  {0x22, 3},  {0x23, 5}, {0x24, 5},
    };
    ASSERT_EQ(StatusItemCodes().size(), expected.size());
    for (auto [code, length] : expected) {
        SCOPED_TRACE(code);
        Bytes data = Ask(Board(), 0x03, code);
        ASSERT_EQ(data.size(), length);
        EXPECT_EQ(data[0], kResultOk);
    }
    Bytes cells = Ask(Board(), 0x03, 0x05);
    for (std::size_t i = 1; i + 1 < cells.size(); i += 2) {
        EXPECT_GE(Be16(cells, i), 3150);
        EXPECT_LE(Be16(cells, i), 3450);
    }
    Bytes vct = Ask(Board(), 0x03, 0x06);
    std::uint32_t sum = 0;
    for (std::size_t i = 1; i + 1 < cells.size(); i += 2)
        sum += Be16(cells, i);
    EXPECT_NEAR(Be16(vct, 1) * 10.0, sum, 10.0); // 10 mV units
    EXPECT_EQ(Ask(Board(), 0x03, 0x18)[1], 4);   // probe count follows the parameter
    Bytes date = Ask(Board(), 0x03, 0x20);
    EXPECT_TRUE(date[2] >= 1 && date[2] <= 12 && date[3] >= 1 && date[3] <= 31);
    Bytes full = Ask(Board(), 0x03, 0x24);
    EXPECT_EQ(Be16(full, 1) * full[4], 49200); // value times multiplier, mAh
}

TEST_F(BoardTest, EveryParameterReadsWhatWasWritten)
{
    for (const ParamRow &row : ParamRows()) {
        SCOPED_TRACE(static_cast<int>(row.id));
        Bytes before = Ask(Board(), 0x02, row.readCode);
        ASSERT_EQ(before[0], kResultOk);
        std::size_t size = RowDataSize(row);
        std::size_t extra = row.id == ParamId::CycleThreshold ? 2 : 0; // the read adds the cycle count
        ASSERT_EQ(before.size(), 1 + size + extra);
        // New values: each field one more than its default, inside the row's bounds.
        Bytes value;
        for (int i = 0; i < row.fieldCount; ++i) {
            std::int64_t v = std::min(row.defaults[i] + 1, row.max);
            for (std::size_t b = FieldSize(row.fields[i]); b-- > 0;)
                value.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * b)));
        }
        Bytes written = Ask(Board(), 0x02, row.writeCode, value);
        Bytes expectWrite{kResultOk};
        expectWrite.insert(expectWrite.end(), value.begin(), value.end());
        EXPECT_EQ(written, expectWrite);
        Bytes after = Ask(Board(), 0x02, row.readCode);
        EXPECT_EQ(Bytes(after.begin() + 1, after.begin() + 1 + static_cast<std::ptrdiff_t>(size)), value);
    }
}

TEST_F(BoardTest, TemperatureWriteTravelsInHundredths)
{
    // 150 degrees as entered on the page: 15000 = 0x3A98.
    EXPECT_EQ(Ask(Board(), 0x02, 0x26, {0x3A, 0x98}), (Bytes{0x00, 0x3A, 0x98}));
    EXPECT_EQ(Ask(Board(), 0x02, 0x27), (Bytes{0x00, 0x3A, 0x98}));
    // Defaults are whole degrees in hundredths: charge low-temperature protection 0, discharge -20.
    EXPECT_EQ(Ask(Board(), 0x02, 0x49), (Bytes{0x00, 0xF8, 0x30}));
}

TEST_F(BoardTest, RefusedRequestsCarryAResultCodeAndChangeNothing)
{
    struct Case {
        const char *name;
        std::uint8_t cls, code;
        Bytes data;
        std::uint8_t result;
    };
    const Case cases[] = {
        {"write too short", 0x02, 0x40, {0x00, 0x01}, kResultBadLength},
        {"probe count above the sensors", 0x02, 0x3E, {9}, kResultBadValue},
        {"cycle threshold above 100 %", 0x02, 0x4A, {101, 20}, kResultBadValue},
        {"read with extra data", 0x03, 0x05, {0x00, 0x00}, kResultBadLength},
        {"unknown status code", 0x03, 0x7E, {0x00}, kResultUnknown},
        {"unknown class", 0x09, 0x01, {0x00}, kResultUnknown},
        {"clock with a bad month", 0x03, 0x25, {0x01, 24, 13, 1, 0, 0, 0}, kResultBadValue},
        {"clock on 31 April", 0x03, 0x25, {0x01, 24, 4, 31, 0, 0, 0}, kResultBadValue},
        {"clock with a short set", 0x03, 0x25, {0x01, 24, 4}, kResultBadLength},
    };
    Bytes probesBefore = Ask(Board(), 0x02, 0x3F);
    Bytes ocBefore = Ask(Board(), 0x02, 0x41);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Ask(Board(), c.cls, c.code, c.data), Bytes{c.result});
    }
    EXPECT_EQ(Ask(Board(), 0x02, 0x3F), probesBefore);
    EXPECT_EQ(Ask(Board(), 0x02, 0x41), ocBefore);
}

TEST_F(BoardTest, SpecialRows)
{
    // Cycle thresholds: read carries the cycle count, write answers only the thresholds.
    Bytes read = Ask(Board(), 0x02, 0x4B);
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(Be16(read, 3), Be16(Ask(Board(), 0x03, 0x11), 1));
    EXPECT_EQ(Ask(Board(), 0x02, 0x4A, {85, 15}), (Bytes{0x00, 85, 15}));
    // Wake-up source: one code of the known set, and no write code.
    Bytes wake = Ask(Board(), 0x02, 0x5A);
    ASSERT_EQ(wake.size(), 3u);
    EXPECT_NE(wake[1], 0);
    EXPECT_EQ(wake[1] & (wake[1] - 1), 0);
    // Record clearing answers on class 0x05 with one status byte.
    EXPECT_EQ(Ask(Board(), 0x05, 0x02), (Bytes{0x00, 0x01}));
}

TEST_F(BoardTest, FramesThatAreNotRequestsGetNoAnswer)
{
    Bytes answer = MakeFrame(kLinkMain, 0x83, 0x85, Bytes{0x00});
    Bytes secondaryLink = MakeFrame(kLinkSecondary, 0x03, 0x05, Bytes{0x00});
    Bytes truncated = Request(0x03, 0x05);
    truncated.pop_back();
    for (const Bytes &frame : {answer, secondaryLink, truncated})
        EXPECT_TRUE(Board().Handle(frame).empty());
}

TEST_F(BoardTest, BoardClockStartsOffAndCanBeSet)
{
    options.clockOffsetSec = -300;
    auto fields = [](std::int64_t ms) {
        std::time_t t = static_cast<std::time_t>(ms / 1000);
        std::tm tm{};
        localtime_r(&t, &tm);
        return Bytes{0x00,
                     static_cast<std::uint8_t>(tm.tm_year - 100),
                     static_cast<std::uint8_t>(tm.tm_mon + 1),
                     static_cast<std::uint8_t>(tm.tm_mday),
                     static_cast<std::uint8_t>(tm.tm_hour),
                     static_cast<std::uint8_t>(tm.tm_min),
                     static_cast<std::uint8_t>(tm.tm_sec)};
    };
    EXPECT_EQ(Ask(Board(), 0x03, 0x25), fields(clock.ms - 300000));
    Bytes now = fields(clock.ms);
    Bytes set{0x01};
    set.insert(set.end(), now.begin() + 1, now.end());
    EXPECT_EQ(Ask(Board(), 0x03, 0x25, set), now);
    clock.ms += 2000;
    EXPECT_EQ(Ask(Board(), 0x03, 0x25), fields(clock.ms));
}

TEST_F(BoardTest, BatchAnswerHoldsEveryItemInPairsAndBlocks)
{
    std::span<const std::uint8_t> codes = StatusItemCodes();
    Bytes request(codes.begin(), codes.end());
    Bytes data = Ask(Board(), 0x03, 0x66, request);
    ASSERT_GE(data.size(), 1 + 2 * codes.size());
    EXPECT_EQ(data[0], kResultOk);
    std::size_t block = 1 + 2 * codes.size();
    for (std::size_t i = 0; i < codes.size(); ++i) {
        SCOPED_TRACE(codes[i]);
        EXPECT_EQ(data[1 + 2 * i], codes[i]);
        std::size_t length = data[2 + 2 * i];
        ASSERT_LE(block + length, data.size());
        // The same clock instant: each block is the single-item answer's result.
        Bytes single = Ask(Board(), 0x03, codes[i]);
        EXPECT_EQ(Bytes(data.begin() + static_cast<std::ptrdiff_t>(block),
                        data.begin() + static_cast<std::ptrdiff_t>(block + length)),
                  Bytes(single.begin() + 1, single.end()));
        block += length;
    }
    EXPECT_EQ(block, data.size());
}

TEST_F(BoardTest, BatchCanBeSwitchedOff)
{
    options.noBatch = true;
    Bytes request{0x19, 0x18};
    Bytes data = Ask(Board(), 0x03, 0x66, request);
    ASSERT_EQ(data.size(), 1u);
    EXPECT_NE(data[0], kResultOk);
    EXPECT_EQ(Ask(Board(), 0x03, 0x19)[0], kResultOk); // single reads still work
}

TEST_F(BoardTest, SecondaryBoardAnswersStatusAfterTheMainBoard)
{
    options.secondary = true;
    for (std::uint8_t code : {std::uint8_t(0x01), std::uint8_t(0x05), std::uint8_t(0x66)}) {
        SCOPED_TRACE(code);
        Bytes data = code == 0x66 ? Bytes{0x01, 0x19} : Bytes{0x00};
        std::vector<SimBytes> answers = Board().Handle(Request(0x03, code, data));
        ASSERT_EQ(answers.size(), 2u);
        Bytes main = AnswerData(answers[0], 0x03, code, kLinkMain);
        Bytes second = AnswerData(answers[1], 0x03, code, kLinkSecondary);
        EXPECT_EQ(main.size(), second.size());
        EXPECT_NE(main, second); // its own pack and serial number
    }
    // Parameters and the clock are answered by both boards too.
    EXPECT_EQ(Board().Handle(Request(0x02, 0x41)).size(), 2u);
    EXPECT_EQ(Board().Handle(Request(0x03, 0x25)).size(), 2u);
}

// The secondary board answers whatever the main board answers, each from its
// own state: thresholds, the clock, record clearing, unknown requests, and
// commands added to the table later.
TEST_F(BoardTest, SecondaryBoardAnswersEveryRequestWithItsOwnState)
{
    options.secondary = true;
    auto both = [&](std::uint8_t cls, std::uint8_t code, const Bytes &data) {
        std::vector<SimBytes> answers = Board().Handle(Request(cls, code, data));
        EXPECT_EQ(answers.size(), 2u) << int(cls) << "/" << int(code);
        std::pair<Bytes, Bytes> out;
        if (answers.size() == 2) {
            out.first = AnswerData(answers[0], cls, code, kLinkMain);
            out.second = AnswerData(answers[1], cls, code, kLinkSecondary);
        }
        return out;
    };
    // A threshold read, then a write that each board stores for itself.
    auto [mainRead, secondRead] = both(0x02, 0x59, {0x00});
    EXPECT_EQ(mainRead, (Bytes{kResultOk, 0x0E, 0x10})); // 3600 mV
    EXPECT_EQ(secondRead, mainRead);
    both(0x02, 0x58, {0x0E, 0x42}); // 3650 mV
    EXPECT_EQ(both(0x02, 0x59, {0x00}).second, (Bytes{kResultOk, 0x0E, 0x42}));
    EXPECT_EQ(Board().Secondary()->params.Get(ParamId::CellOvAlarm), 3650);
    // The clock, set on both, answered by both.
    auto [mainClock, secondClock] = both(0x03, 0x25, {0x01, 24, 6, 1, 12, 0, 0});
    EXPECT_EQ(mainClock, secondClock);
    EXPECT_EQ(mainClock, (Bytes{kResultOk, 24, 6, 1, 12, 0, 0}));
    // Records cleared, an unknown request, a command the table learns later.
    EXPECT_EQ(both(0x05, 0x02, {0x00}).second, (Bytes{kResultOk, 0x01}));
    EXPECT_EQ(both(0x03, 0x7D, {0x00}).second, Bytes{kResultUnknown});
    Board().AddCommand({0x03, 0x7D, false, [](SimContext &ctx, std::span<const std::uint8_t>) {
                            return SimBytes{kResultOk, ctx.unit.link};
                        }});
    auto [mainNew, secondNew] = both(0x03, 0x7D, {0x00});
    EXPECT_EQ(mainNew, (Bytes{kResultOk, kLinkMain}));
    EXPECT_EQ(secondNew, (Bytes{kResultOk, kLinkSecondary})); // its own state
}

TEST_F(BoardTest, CommandTableCanBeExtended)
{
    // 0x03 0x7E is a code the board does not know.
    EXPECT_EQ(Ask(Board(), 0x03, 0x7E), Bytes{kResultUnknown});
    Board().AddCommand({0x03, 0x7E, false, [](SimContext &, std::span<const std::uint8_t>) {
                            return SimBytes{0x00, 0x42};
                        }});
    EXPECT_EQ(Ask(Board(), 0x03, 0x7E), (Bytes{0x00, 0x42}));
}

TEST(SimParams, CodesAreUniqueAndPaired)
{
    std::map<int, int> seen;
    for (const ParamRow &row : ParamRows()) {
        EXPECT_EQ(row.readCode, row.writeCode + 1) << int(row.readCode);
        EXPECT_EQ(++seen[row.readCode], 1) << int(row.readCode);
        EXPECT_EQ(++seen[row.writeCode], 1) << int(row.writeCode);
    }
    EXPECT_EQ(seen.count(0x5A), 0u);
}
