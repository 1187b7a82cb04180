// The live state built from status answers: single answers and batch blocks
// from the simulated board, the checks of a single answer, and the numbers
// that the extreme values and capacities carry.
#include "common/batch_blocks.h"
#include "common/frame_bytes.h"
#include "protocol/live_status.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {
std::int64_t FixedClock()
{
    return 1700000000000;
}

Bytes Ask(SimBoard &board, const Bytes &payload)
{
    std::vector<SimBytes> answers = board.Handle(FrameOf(payload));
    return answers.empty() ? Bytes{} : answers[0];
}

LiveStatus ItemByItem(SimBoard &board)
{
    LiveStatus s;
    for (std::uint8_t code : kStatusRequestOrder) {
        Bytes a = Ask(board, {0x53, 0x03, code, 0x01, 0x00});
        EXPECT_TRUE(ApplyStatusFrame(s, a.data(), a.size())) << int(code);
    }
    return s;
}

LiveStatus Batch(SimBoard &board)
{
    auto request = BatchRequestPayload();
    Bytes a = Ask(board, Bytes(request.begin(), request.end()));
    BatchStatus answer = ParseBatchStatus(a.data(), a.size());
    EXPECT_TRUE(answer.accepted) << answer.reason;
    LiveStatus s;
    ApplyBatchStatus(s, answer);
    return s;
}
} // namespace

TEST(LiveStatus, BatchAndSingleAnswersOfTheBoardAgree)
{
    SimBoard board({}, FixedClock);
    LiveStatus single = ItemByItem(board);
    LiveStatus batch = Batch(board);
    for (const LiveStatus *s : {&single, &batch}) {
        for (std::uint8_t code : kStatusRequestOrder)
            EXPECT_TRUE(s->Has(code)) << int(code);
        EXPECT_TRUE(s->problems.empty());
        EXPECT_EQ(*s->sn, board.Main().identity.sn);
        EXPECT_EQ(s->versions->software, "V1.4.2");
        EXPECT_EQ(s->cells->cells.size(), board.Main().pack.Cells().size());
        EXPECT_EQ(s->power->temps.size(), *s->probeCount);
        EXPECT_EQ(s->productionDate->year, 2000 + board.Main().identity.year);
        EXPECT_EQ(*s->fullMah > 0, true);
        const auto &cells = s->cells->cells;
        std::uint32_t sum = std::accumulate(cells.begin(), cells.end(), 0u);
        EXPECT_NEAR(static_cast<double>(*s->power->voltageMv), sum, 10.0);
    }
    EXPECT_EQ(single.cells->cells, batch.cells->cells);
    EXPECT_EQ(single.soc->soc, batch.soc->soc);
    EXPECT_EQ(single.protections, batch.protections);
    EXPECT_EQ(single.extremes, batch.extremes);
}

TEST(LiveStatus, SingleAnswerChecks)
{
    struct Case {
        const char *name;
        Bytes frame;
        bool applied;
        const char *problem; // "" = none
    };
    const Case cases[] = {
        {"soc", StatusAnswer(0x19, {62, 98}), true, ""},
        {"error code", StatusAnswer(0x19, {}, 0x05), false, "ErrorCode: 0x05"},
        {"short soc", StatusAnswer(0x19, {62}), false, "Len:2, Need:3"},
        {"capacity length", StatusAnswer(0x23, {0, 100, 0}), false, "Len:4, Need:4"},
        {"bad date", StatusAnswer(0x20, {24, 13, 1}), false, "日期无效"},
        {"not a status item", StatusAnswer(0x30, {1}), false, ""},
        {"other class", BoardFrame(0x82, 0x99, {0, 1, 2}), false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LiveStatus s;
        EXPECT_EQ(ApplyStatusFrame(s, c.frame.data(), c.frame.size()), c.applied);
        std::string problem;
        for (const auto &[code, text] : s.problems)
            problem = text;
        EXPECT_EQ(problem, c.problem);
    }
}

TEST(LiveStatus, NumbersOfTheBlocks)
{
    Blocks blocks = FullBlocks();
    Bytes extremes{0x0C, 0xE4, 3,    0x0C, 0x80, 7,    0x01, 0xF4, 0x03, 0xE8,
                   0x15, 0x18, 0xFF, 0x9C, 0x00, 0xFA, 0,    9,    0,    10};
    SetBlock(blocks, 0x07, extremes);
    SetBlock(blocks, 0x22, {0x01, 0x08});
    Bytes frame = BatchAnswer(BuildBatchData(blocks));
    BatchStatus answer = ParseBatchStatus(frame.data(), frame.size());
    ASSERT_TRUE(answer.accepted);
    LiveStatus s;
    ApplyBatchStatus(s, answer);
    const std::array<std::optional<double>, kExtremeRows> expected{3300,  3,     3200, 7, 5000, 10000,
                                                                   54000, -10.0, 25.0, 9, 10};
    EXPECT_EQ(*s.extremes, expected);
    EXPECT_EQ(*s.remainingMah, 10000u);
    EXPECT_EQ(*s.fullMah, 20000u);
    EXPECT_EQ(*s.alarmBits, 0x0801u);
    EXPECT_EQ(s.alarms, (std::vector<std::string>{"单节过充报警", "放电过流报警"}));
    EXPECT_EQ(*s.protectionBits, 0x010000u);
    EXPECT_EQ(*s.power->currentMa, -10);
    EXPECT_EQ(s.mos->charge && s.mos->discharge && !s.mos->preDischarge, true);
}

TEST(LiveStatus, CapacityValues)
{
    EXPECT_EQ(DecodeCapacityValue(Bytes{0x00, 0x64, 0x00, 0x0A}), 1000u);
    EXPECT_EQ(DecodeCapacityValue(Bytes{0x00, 0x64}), 100u);
    EXPECT_EQ(DecodeCapacityValue(Bytes{0x00, 0x64, 0x00}), std::nullopt);
    EXPECT_EQ(DecodeCapacityValue(Bytes{}), std::nullopt);
}
