// The demo pack over many hours of pack time: whole charge and discharge
// cycles, and the alarm and protection states that change of themselves
// (hot probes, straying cells, the discharge surge), each change kept as an event.
#include "sim/sim_pack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {
struct PackRun {
    std::vector<char> turns;       // 'F' at a full pack, 'E' at an empty one, in order
    std::uint32_t alarmsSeen = 0;  // every alarm bit seen set
    std::uint32_t protectSeen = 0; // every protection bit seen set
    int maxCycles = 0;
};

// Runs a pack for hours of pack time, looking at it every 10 seconds.
PackRun Live(int variant, double hours)
{
    ParamStore params;
    PackModel pack(1, variant, params);
    PackRun run;
    int startCycles = pack.Cycles();
    for (double t = 0; t < hours * 3600; t += 10) {
        pack.Advance(10, params);
        char turn = pack.Soc() >= 97 ? 'F' : pack.Soc() <= 5 ? 'E' : 0;
        if (turn && (run.turns.empty() || run.turns.back() != turn))
            run.turns.push_back(turn);
        run.alarmsSeen |= pack.AlarmBits();
        run.protectSeen |= pack.ProtectBits();
        run.maxCycles = pack.Cycles() - startCycles;
    }
    return run;
}
} // namespace

TEST(SimPackCycles, PackGoesThroughWholeCycles)
{
    for (int variant : {0, 1}) {
        PackRun run = Live(variant, 48);
        std::string turns(run.turns.begin(), run.turns.end());
        // Full and empty alternate, at least twice each.
        EXPECT_GE(std::count(turns.begin(), turns.end(), 'F'), 2) << variant << " " << turns;
        EXPECT_GE(std::count(turns.begin(), turns.end(), 'E'), 2) << variant << " " << turns;
        EXPECT_GE(run.maxCycles, 2) << variant; // a whole capacity discharged counts a cycle
    }
}

TEST(SimPackCycles, AlarmsAndProtectionsHappenOfThemselves)
{
    PackRun run = Live(0, 30);
    for (std::uint32_t bit :
         {AlarmBit::CellOv, AlarmBit::CellUv, AlarmBit::ChargeHt, AlarmBit::DischargeHt, AlarmBit::DischargeOc})
        EXPECT_TRUE(run.alarmsSeen & bit) << "alarm bit " << bit;
    for (std::uint32_t bit : {ProtectBit::CellOv, ProtectBit::CellUv, ProtectBit::ChargeHt, ProtectBit::DischargeHt})
        EXPECT_TRUE(run.protectSeen & bit) << "protection bit " << bit;
}

TEST(SimPackCycles, NothingHappensInTheFirstMinutes)
{
    ParamStore params;
    PackModel pack(1, 0, params);
    for (int s = 0; s < 290; s += 5) {
        pack.Advance(5, params);
        EXPECT_EQ(pack.AlarmBits() & ~(AlarmBit::DischargeOc), 0u) << s; // only the surge
        EXPECT_EQ(pack.ProtectBits(), 0u) << s;
    }
}

TEST(SimPackCycles, EveryChangeIsKeptAsAnEventInOrder)
{
    ParamStore params;
    PackModel pack(3, 0, params);
    std::uint32_t alarm = pack.AlarmBits(), protect = pack.ProtectBits();
    std::size_t changes = 0;
    for (int s = 0; s < 6 * 3600; s += 10) {
        pack.Advance(10, params);
        if (pack.AlarmBits() != alarm || pack.ProtectBits() != protect) {
            ++changes;
            alarm = pack.AlarmBits();
            protect = pack.ProtectBits();
            ASSERT_FALSE(pack.Events().empty());
            EXPECT_EQ(pack.Events().back().alarm, alarm);
            EXPECT_EQ(pack.Events().back().protect, protect);
            EXPECT_NEAR(pack.Events().back().time, pack.Time(), 1e-6);
        }
    }
    ASSERT_GT(changes, 10u);
    EXPECT_EQ(pack.Events().size(), std::min<std::size_t>(changes, PackModel::kMaxEvents));
    for (std::size_t i = 1; i < pack.Events().size(); ++i)
        EXPECT_LT(pack.Events()[i - 1].time, pack.Events()[i].time);
}
