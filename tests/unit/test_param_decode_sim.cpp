// The simulated board answers every read and write request of the two
// threshold pages with the class, code and data length the pages expect, and
// a value written back from a read answer is stored and answered unchanged.
#include "common/frame_bytes.h"
#include "protocol/bytes.h"
#include "protocol/frame.h"
#include "protocol/param_decode.h"
#include "protocol/param_table.h"
#include "sim/sim_board.h"
#include "sim/sim_params.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {
std::int64_t FixedClock()
{
    return 1700000000000LL;
}

// The board's one answer to a request payload, as a complete frame.
Bytes Ask(SimBoard &board, const Bytes &payload)
{
    Bytes frame = FrameOf(payload);
    EXPECT_FALSE(frame.empty());
    std::vector<SimBytes> answers = board.Handle(frame);
    EXPECT_EQ(answers.size(), 1u);
    return answers.empty() ? Bytes{} : answers.front();
}

// Checks the answer's head and length; returns its data field.
std::span<const std::uint8_t> CheckAnswer(const Bytes &answer, const PageParamRow &row, int requestCode)
{
    EXPECT_GE(answer.size(), kFrameMinLen);
    if (answer.size() < kFrameMinLen)
        return {};
    EXPECT_TRUE(VerifyFrame(answer.data(), answer.size()));
    EXPECT_EQ(answer[1], kLinkMain);
    EXPECT_EQ(answer[2], row.cls | 0x80);
    EXPECT_EQ(answer[3], requestCode | 0x80);
    auto data = FrameData(answer.data(), answer.size());
    EXPECT_EQ(static_cast<int>(data.size()), ResponseNeed(row, answer[3]));
    EXPECT_FALSE(data.empty());
    if (!data.empty()) {
        EXPECT_EQ(data[0], 0x00);
    }
    return data;
}

// The entered values that a read answer shows, for writing them back.
std::vector<std::int64_t> ShownValues(const PageParamRow &row, std::uint8_t code, std::span<const std::uint8_t> data)
{
    std::vector<std::int64_t> values;
    switch (row.format) {
    case RowFormat::Value: {
        std::int64_t v = 0;
        for (std::size_t i = 1; i < data.size(); ++i)
            v = (v << 8) | data[i];
        if (row.kind == ValueKind::I2)
            v = static_cast<std::int16_t>(v);
        if (row.kind == ValueKind::Int)
            v = static_cast<std::int32_t>(v);
        values.push_back(v);
        break;
    }
    case RowFormat::Temperature:
        values.push_back(TemperatureShown(static_cast<std::int16_t>(ReadBe16(data, 1).value_or(0))));
        break;
    default:
        if (auto texts = DecodeRowTexts(row, code, data))
            for (int i = 0; i < row.writtenEdits && i < static_cast<int>(texts->size()); ++i)
                values.push_back(std::stoll((*texts)[i]));
        break;
    }
    return values;
}
} // namespace

TEST(ParamRowsOnTheBoard, EveryRequestIsAnsweredAsThePageExpects)
{
    SimBoard board(SimOptions{}, FixedClock);
    for (const ParamPageRows *page : {&WakeupPageRows(), &AlarmPageRows()}) {
        for (const PageParamRow &row : page->rows) {
            SCOPED_TRACE(row.label);
            Bytes readAnswer;
            std::vector<std::int64_t> values;
            if (row.readCode != kNoCode) {
                readAnswer = Ask(board, ReadPayload(row));
                auto data = CheckAnswer(readAnswer, row, row.readCode);
                values = ShownValues(row, readAnswer.size() > 3 ? readAnswer[3] : 0, data);
            }
            if (row.ReadOnly())
                continue;
            ASSERT_EQ(static_cast<int>(values.size()), row.writtenEdits);
            Bytes writeAnswer = Ask(board, WritePayload(row, values));
            auto written = CheckAnswer(writeAnswer, row, row.writeCode);
            if (row.readCode == kNoCode)
                continue;
            // The stored value is answered unchanged.
            EXPECT_EQ(ShownValues(row, writeAnswer[3], written), values);
        }
    }
}

TEST(ParamRowsOnTheBoard, WrittenValuesAreReadBack)
{
    SimBoard board(SimOptions{}, FixedClock);
    struct Case {
        const PageParamRow &row;
        std::vector<std::int64_t> values;
    };
    const Case cases[] = {
        {*WakeupPageRows().Row(13), {301, -201, 302, 202}},
        {*WakeupPageRows().Row(11), {81, 21}},
        {*WakeupPageRows().Row(16), {-21}},
        {*AlarmPageRows().Row(15), {-5000}},
        {*AlarmPageRows().Row(6), {4294967295LL}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.row.label);
        CheckAnswer(Ask(board, WritePayload(c.row, c.values)), c.row, c.row.writeCode);
        Bytes answer = Ask(board, ReadPayload(c.row));
        EXPECT_EQ(ShownValues(c.row, answer[3], CheckAnswer(answer, c.row, c.row.readCode)), c.values);
    }
}

// The parameter table holds each parameter's wire facts once: no two rows
// share a class and code, every page row names a parameter of the table and
// carries its facts, and every stored parameter has the board's default.
TEST(ParamTable, OneRowPerCodeEveryPageRowKnownEveryStoredIdDefaulted)
{
    std::set<std::pair<int, int>> codes;
    for (std::size_t i = 0; i < kParamCount; ++i) {
        const ParamWire &w = kParamTable[i];
        EXPECT_EQ(static_cast<std::size_t>(w.id), i);
        for (int code : {w.readCode, w.writeCode})
            if (code != kNoCode) {
                EXPECT_TRUE(codes.insert({w.cls, code}).second) << int(w.cls) << " " << code;
            }
        EXPECT_TRUE(w.readCode != kNoCode || w.writeCode != kNoCode) << i;
        EXPECT_EQ(w.format == RowFormat::Temperature, w.kind == ValueKind::I2 && w.max == 327) << i;
    }

    std::set<ParamId> onPages;
    for (const ParamPageRows *page : {&WakeupPageRows(), &AlarmPageRows()}) {
        for (const PageParamRow &row : page->rows) {
            SCOPED_TRACE(row.label);
            ASSERT_LT(static_cast<std::size_t>(row.id), kParamCount);
            EXPECT_TRUE(onPages.insert(row.id).second);
            const ParamWire &w = ParamWireOf(row.id);
            EXPECT_EQ(row.cls, w.cls);
            EXPECT_EQ(row.readCode, w.readCode);
            EXPECT_EQ(row.writeCode, w.writeCode);
            EXPECT_EQ(row.format, w.format);
            EXPECT_EQ(row.kind, w.kind);
            EXPECT_EQ(row.min, w.min);
            EXPECT_EQ(row.max, w.max);
            EXPECT_EQ(row.writtenEdits, w.writtenValues);
        }
    }
    EXPECT_EQ(onPages.size(), kParamCount);

    EXPECT_EQ(ParamRows().size(), kStoredParamCount);
    for (std::size_t i = 0; i < kStoredParamCount; ++i) {
        const ParamId id = static_cast<ParamId>(i);
        const ParamRow &sim = ParamRowOf(id);
        EXPECT_EQ(sim.id, id) << i;
        EXPECT_EQ(sim.readCode, ParamWireOf(id).readCode) << i;
        EXPECT_EQ(sim.writeCode, ParamWireOf(id).writeCode) << i;
        EXPECT_EQ(sim.fieldCount, ParamWireOf(id).writtenValues) << i;
    }
}
