// The living pack: phases, state of charge, temperatures, extremes, and the
// alarm, protection and balancing states judged against the parameters.
#include "protocol/frame.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Ask(SimBoard &board, std::uint8_t cls, std::uint8_t code, Bytes data = {0x00})
{
    std::vector<SimBytes> answers = board.Handle(MakeFrame(kLinkMain, cls, code, data));
    if (answers.empty() || answers[0].size() < 10)
        return {};
    const SimBytes &f = answers[0];
    return Bytes(f.begin() + 5, f.begin() + 5 + f[4]);
}

std::uint32_t Bits(const Bytes &data)
{
    std::uint32_t bits = 0;
    for (std::size_t b = 1; b < data.size(); ++b)
        bits |= static_cast<std::uint32_t>(data[b]) << (8 * (b - 1));
    return bits;
}

std::int32_t CurrentMa(SimBoard &board)
{
    Bytes d = Ask(board, 0x03, 0x06);
    return static_cast<std::int16_t>((d.at(5) << 8) | d.at(6)) * 10;
}

Bytes I16(int v)
{
    return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}
} // namespace

TEST(SimPack, CurrentMovesThroughPhasesAndSocFollows)
{
    std::int64_t now = 0;
    SimOptions options;
    SimBoard board(options, [&] { return now; });
    std::set<int> signs;
    int lastSoc = Ask(board, 0x03, 0x19).at(1);
    int socUpWhileCharging = 0, socDownWhileDischarging = 0;
    std::set<std::vector<std::uint8_t>> temps;
    for (int s = 0; s < 320; s += 2) {
        now += 2000;
        std::int32_t ma = CurrentMa(board);
        signs.insert(ma > 0 ? 1 : ma < 0 ? -1 : 0);
        int soc = Ask(board, 0x03, 0x19).at(1);
        if (ma > 0 && soc > lastSoc)
            ++socUpWhileCharging;
        if (ma < 0 && soc < lastSoc)
            ++socDownWhileDischarging;
        EXPECT_LE(std::abs(soc - lastSoc), 1);
        lastSoc = soc;
        Bytes d = Ask(board, 0x03, 0x06);
        temps.insert(Bytes(d.begin() + 7, d.end()));
    }
    EXPECT_EQ(signs, (std::set<int>{-1, 0, 1}));
    EXPECT_GE(socUpWhileCharging + socDownWhileDischarging, 1);
    EXPECT_GT(temps.size(), 3u); // temperatures drift
}

TEST(SimPack, SameClockGivesTheSamePack)
{
    std::int64_t now = 5000;
    SimOptions options;
    SimBoard a(options, [&] { return now; });
    SimBoard b(options, [&] { return now; });
    for (int i = 0; i < 20; ++i) {
        now += 3000;
        EXPECT_EQ(Ask(a, 0x03, 0x05), Ask(b, 0x03, 0x05));
    }
}

TEST(SimPack, BalancingOnTheHighestCells)
{
    std::int64_t now = 0;
    SimOptions options;
    SimBoard board(options, [&] { return now; });
    // Start balancing low enough that the pack is above it, at a 15 mV spread.
    Ask(board, 0x02, 0x4C, I16(3200));
    Ask(board, 0x02, 0x4E, {0x00, 15, 0x00, 5});
    now += 1000;
    Bytes cells = Ask(board, 0x03, 0x05);
    std::uint32_t bits = Bits(Ask(board, 0x03, 0x08));
    // Bit r of wire byte b is cell 8 * b + r + 1; undo the byte order of Bits.
    ASSERT_NE(bits, 0u);
    std::uint16_t minMv = 65535, minBalancing = 65535, maxIdle = 0;
    for (int i = 0; i < 16; ++i) {
        std::uint16_t mv = static_cast<std::uint16_t>((cells[1 + 2 * i] << 8) | cells[2 + 2 * i]);
        minMv = std::min(minMv, mv);
        if (bits & (1u << i))
            minBalancing = std::min(minBalancing, mv);
        else
            maxIdle = std::max(maxIdle, mv);
    }
    EXPECT_GE(minBalancing - minMv, 5);
    EXPECT_GT(minBalancing + 6, maxIdle); // balancing cells are the high ones
    EXPECT_LT(__builtin_popcount(bits), 8);
}

TEST(SimPack, AlarmAndProtectionFollowThresholds)
{
    std::int64_t now = 0;
    SimOptions options;
    SimBoard board(options, [&] { return now; });
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x22)), 0u);
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x09)), 0u);
    // Cell over-voltage alarm below the live cells: alarm bit 0; back up: cleared.
    Ask(board, 0x02, 0x58, I16(3000));
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x22)), 1u << 0);
    Ask(board, 0x02, 0x58, I16(3600));
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x22)), 0u);
    // Cell over-voltage protection: protection bit 0, charge MOS opens.
    Ask(board, 0x02, 0x62, I16(3000));
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x09)), 1u << 0);
    EXPECT_EQ(Ask(board, 0x03, 0x14).at(1) & 0x01, 0);
    // It holds until the cells are under the recovery threshold.
    Ask(board, 0x02, 0x78, I16(3000));
    Ask(board, 0x02, 0x62, I16(3650));
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x09)), 1u << 0);
    Ask(board, 0x02, 0x78, I16(3450));
    EXPECT_EQ(Bits(Ask(board, 0x03, 0x09)), 0u);
    EXPECT_EQ(Ask(board, 0x03, 0x14).at(1) & 0x03, 0x03);
    // Temperature: the charge high-temperature alarm at 10 degrees is crossed at once.
    Ask(board, 0x02, 0x34, I16(1000));
    EXPECT_NE(Bits(Ask(board, 0x03, 0x22)) & (1u << 4), 0u);
}

TEST(SimPack, DischargeSurgeRaisesTheCurrentAlarmAndTheExtremes)
{
    std::int64_t now = 0;
    SimOptions options;
    SimBoard board(options, [&] { return now; });
    bool alarmSeen = false, clearedAfter = false;
    for (int s = 0; s < 200; ++s) {
        now += 1000;
        std::uint32_t alarm = Bits(Ask(board, 0x03, 0x22));
        if (alarm & (1u << 11))
            alarmSeen = true;
        else if (alarmSeen)
            clearedAfter = true;
    }
    EXPECT_TRUE(alarmSeen);
    EXPECT_TRUE(clearedAfter);
    Bytes x = Ask(board, 0x03, 0x07);
    ASSERT_EQ(x.size(), 21u);
    EXPECT_GE(((x[9] << 8) | x[10]) * 10, 100000); // historic discharge current, 10 mA units
}

TEST(SimPack, ClearingRecordsRestartsExtremesFromLiveValues)
{
    std::int64_t now = 0;
    SimOptions options;
    SimBoard board(options, [&] { return now; });
    EXPECT_EQ(Ask(board, 0x05, 0x02), (Bytes{0x00, 0x01}));
    Bytes cells = Ask(board, 0x03, 0x05);
    Bytes x = Ask(board, 0x03, 0x07);
    std::uint16_t maxMv = 0;
    for (int i = 0; i < 16; ++i)
        maxMv = std::max<std::uint16_t>(maxMv, static_cast<std::uint16_t>((cells[1 + 2 * i] << 8) | cells[2 + 2 * i]));
    EXPECT_EQ((x[1] << 8) | x[2], maxMv);
    EXPECT_EQ((x[17] << 8) | x[18], 0); // hours without charging
}

TEST(SimPack, ProbeCountChangesTheTemperatureList)
{
    std::int64_t now = 0;
    SimOptions options;
    SimBoard board(options, [&] { return now; });
    Ask(board, 0x02, 0x3E, {6});
    now += 1000;
    EXPECT_EQ(Ask(board, 0x03, 0x06).size(), 1u + 6 + 2 * 6);
    EXPECT_EQ(Ask(board, 0x03, 0x18).at(1), 6);
}
