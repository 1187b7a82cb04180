// The simulated board checked through the tool's own decoders: every page
// row and every live status item it answers decodes the way the pages expect.
#include "common/frame_bytes.h"
#include "protocol/batch_status.h"
#include "protocol/frame.h"
#include "protocol/param_decode.h"
#include "protocol/status_decode.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
std::int64_t FixedClock()
{
    return 1700000000000;
}

// The board's single answer to a request payload (link byte on), checked for
// checksum and the answering code.
Bytes Answer(SimBoard &board, const Bytes &payload, std::size_t index = 0)
{
    Bytes frame = FrameOf(payload);
    std::vector<SimBytes> answers = board.Handle(frame);
    if (answers.size() <= index) {
        ADD_FAILURE() << "no answer";
        return {};
    }
    const SimBytes &a = answers[index];
    EXPECT_TRUE(VerifyFrame(a.data(), a.size()));
    EXPECT_EQ(a[2], payload[1] | 0x80);
    EXPECT_EQ(a[3], payload[2] | 0x80);
    return a;
}

Bytes DataOf(const Bytes &frame)
{
    std::span<const std::uint8_t> d = FrameData(frame.data(), frame.size());
    return Bytes(d.begin(), d.end());
}

Bytes StatusRead(std::uint8_t code)
{
    return {kLinkMain, 0x03, code, 0x01, 0x00};
}
} // namespace

TEST(SimDecode, EveryPageRowAnswersWithTheLengthItsDecoderNeeds)
{
    SimBoard board({}, FixedClock);
    for (const ParamPageRows *page : {&WakeupPageRows(), &AlarmPageRows()}) {
        for (const PageParamRow &row : page->rows) {
            SCOPED_TRACE(row.label);
            if (row.readCode != kNoCode) {
                Bytes a = Answer(board, ReadPayload(row));
                Bytes data = DataOf(a);
                ASSERT_FALSE(data.empty());
                EXPECT_EQ(data[0], 0);
                EXPECT_EQ(static_cast<int>(data.size()), ResponseNeed(row, a[3]));
            }
            if (row.ReadOnly())
                continue;
            // Seven of whatever the row takes, in its own units.
            std::vector<std::int64_t> values(static_cast<std::size_t>(row.writtenEdits),
                                             std::clamp<std::int64_t>(7, row.min, row.max));
            Bytes written = DataOf(Answer(board, WritePayload(row, values)));
            ASSERT_FALSE(written.empty());
            EXPECT_EQ(written[0], 0);
            EXPECT_EQ(static_cast<int>(written.size()),
                      ResponseNeed(row, static_cast<std::uint8_t>(row.writeCode | 0x80)));
            if (row.readCode == kNoCode)
                continue;
            Bytes back = DataOf(Answer(board, ReadPayload(row)));
            if (row.format == RowFormat::Temperature) {
                EXPECT_EQ(TemperatureShown(static_cast<std::int16_t>((back[1] << 8) | back[2])), 7);
            } else if (row.format == RowFormat::Value) {
                std::int64_t v = 0;
                for (std::size_t i = 1; i < back.size(); ++i)
                    v = (v << 8) | back[i];
                EXPECT_EQ(v, 7);
            } else {
                auto texts = DecodeRowTexts(row, static_cast<std::uint8_t>(row.readCode | 0x80), back);
                ASSERT_TRUE(texts.has_value());
                for (int i = 0; i < row.writtenEdits; ++i)
                    EXPECT_EQ((*texts)[static_cast<std::size_t>(i)], "7");
            }
        }
    }
}

TEST(SimDecode, LiveStatusItemsDecode)
{
    SimBoard board({}, FixedClock);
    for (std::uint8_t code : kStatusRequestOrder) {
        Bytes data = DataOf(Answer(board, StatusRead(code)));
        ASSERT_FALSE(data.empty());
        EXPECT_EQ(data[0], 0);
        int need = StatusNeededLength(code);
        if (need) {
            EXPECT_EQ(static_cast<int>(data.size()), need) << int(code);
        }
    }
    auto payload = [&](std::uint8_t code) {
        Bytes d = DataOf(Answer(board, StatusRead(code)));
        return Bytes(d.begin() + 1, d.end());
    };
    EXPECT_EQ(DecodeSnText(payload(kStatusSn)), board.Main().identity.sn);
    EXPECT_EQ(DecodeVersions(payload(kStatusVersions))->software, "V1.4.2");
    CellSummary cells = DecodeCells(payload(kStatusCells));
    ASSERT_EQ(cells.cells.size(), 16u);
    EXPECT_GT(cells.difference, 0);
    EXPECT_LT(cells.difference, 60);
    PowerReading power = DecodePower(payload(kStatusPower));
    std::uint32_t sum = 0;
    for (std::uint16_t mv : cells.cells)
        sum += mv;
    ASSERT_TRUE(power.voltageMv.has_value());
    EXPECT_NEAR(static_cast<double>(*power.voltageMv), sum, 10.0);
    EXPECT_EQ(power.temps.size(), 4u);
    EXPECT_TRUE(power.lowest > 0 && power.highest < 600);
    for (const auto &row : DecodeExtremes(payload(kStatusExtremes)))
        EXPECT_TRUE(row.has_value());
    EXPECT_EQ(ProtectionNames(payload(kStatusProtection)), std::vector<std::string>{"无"});
    EXPECT_EQ(AlarmNames(payload(kStatusAlarm)), std::vector<std::string>{"无"});
    std::optional<MosState> mos = DecodeMos(payload(kStatusMos));
    ASSERT_TRUE(mos.has_value());
    EXPECT_TRUE(mos->charge && mos->discharge);
    EXPECT_LE(DecodeSoc(payload(kStatusSoc))->soc, 100);
    EXPECT_TRUE(DecodeProductionDate(payload(kStatusDate)).has_value());
    EXPECT_EQ(DecodeCapacity(payload(kStatusFull), 5).text, "49200");
    EXPECT_TRUE(DecodeCapacity(payload(kStatusRemaining), 5).ok);
    EXPECT_EQ(DecodeProbeCount(payload(kStatusProbes)), 4);
}

TEST(SimDecode, BatchAnswerIsAcceptedAndItsBlocksDecode)
{
    SimOptions options;
    options.secondary = true;
    SimBoard board(options, FixedClock);
    auto request = BatchRequestPayload();
    Bytes payload(request.begin(), request.end());
    for (std::size_t index : {0u, 1u}) {
        SCOPED_TRACE(index);
        Bytes frame = Answer(board, payload, index);
        EXPECT_EQ(frame[1], index == 0 ? kLinkMain : kLinkSecondary);
        BatchStatus batch = ParseBatchStatus(frame.data(), frame.size());
        ASSERT_TRUE(batch.accepted) << batch.reason;
        ASSERT_EQ(batch.blocks.size(), kBatchItems);
        for (std::size_t i = 0; i < kBatchItems; ++i)
            EXPECT_EQ(batch.blocks[i].code, kStatusRequestOrder[i]);
        auto block = [&](std::uint8_t code) {
            for (const BatchBlock &b : batch.blocks)
                if (b.code == code)
                    return b.bytes;
            return StatusBytes{};
        };
        EXPECT_EQ(DecodeCells(block(kStatusCells)).cells.size(), 16u);
        EXPECT_EQ(DecodeFullCapacityBlock(block(kStatusFull)), index == 0 ? 49200 : 49800);
        EXPECT_TRUE(DecodeCapacity(block(kStatusRemaining), static_cast<int>(block(kStatusRemaining).size()) + 1).ok);
        EXPECT_EQ(DecodeExtremes(block(kStatusExtremes))[10].has_value(), true);
        EXPECT_TRUE(DecodeSoc(block(kStatusSoc)).has_value());
    }

    SimOptions off;
    off.noBatch = true;
    SimBoard refusing(off, FixedClock);
    Bytes refused = Answer(refusing, payload);
    EXPECT_FALSE(ParseBatchStatus(refused.data(), refused.size()).accepted);
}
