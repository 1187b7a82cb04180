#include "sim/sim_unit_state.h"

namespace {
constexpr std::uint16_t kChargeHours[] = {12, kHistoryNone, 3, 40, kHistoryNone, 7, 18, 2};
constexpr std::uint16_t kDischargeHours[] = {9, 14, kHistoryNone, 22, 5, kHistoryNone, 11, 6};
// LiFePO4 open-circuit voltages at 14 points of the state of charge.
constexpr std::uint16_t kOpenCircuitMv[kMeasuredValues] = {2800, 3000, 3180, 3205, 3230, 3250, 3270,
                                                           3283, 3295, 3308, 3320, 3340, 3380, 3480};

Measurement MakeMeasurement(std::uint16_t base, std::int32_t currentMa, std::uint8_t index)
{
    Measurement m;
    for (std::size_t i = 0; i < m.values.size(); ++i)
        m.values[i] = static_cast<std::uint16_t>(base + (i * 7) % 11);
    m.current = currentMa;
    m.index = index;
    return m;
}
} // namespace

ControlState::ControlState(int variant)
    : chargeHistory(std::begin(kChargeHours), std::end(kChargeHours)),
      dischargeHistory(std::begin(kDischargeHours), std::end(kDischargeHours))
{
    if (variant != 0)
        chargeHistory.resize(5);
}

DebugState::DebugState(int variant)
{
    std::copy(std::begin(kOpenCircuitMv), std::end(kOpenCircuitMv), openCircuit.begin());
    std::uint16_t base = static_cast<std::uint16_t>(variant ? 140 : 120);
    resistance[0] = {MakeMeasurement(base, 25000, 0), MakeMeasurement(static_cast<std::uint16_t>(base + 10), 50000, 1)};
    resistance[1] = {MakeMeasurement(static_cast<std::uint16_t>(base + 5), -25000, 0),
                     MakeMeasurement(static_cast<std::uint16_t>(base + 15), -50000, 1)};
    for (std::size_t i = 0; i < registers.size(); ++i)
        registers[i] = static_cast<std::uint8_t>(0x10 * (i % 16) + i / 2);
    if (variant != 0)
        measuredMah = 30650;
}
