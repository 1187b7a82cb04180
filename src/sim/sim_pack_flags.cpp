// Alarm, protection and balancing judgement of the living pack.
#include "sim/sim_pack.h"

#include <algorithm>

namespace {
// A protection trips when its limit is crossed and stays until the value is
// back past the recovery threshold.
void Latch(std::uint32_t &bits, std::uint32_t bit, bool trip, bool recovered)
{
    if (trip)
        bits |= bit;
    else if ((bits & bit) && recovered)
        bits &= ~bit;
}

void Level(std::uint32_t &bits, std::uint32_t bit, bool on)
{
    bits = on ? (bits | bit) : (bits & ~bit);
}
} // namespace

PackModel::Readings PackModel::Read() const
{
    auto [lowest, highest] = std::minmax_element(m_cells.begin(), m_cells.end());
    return {*highest, *lowest, TotalMv(), MaxCellTemp(), MinCellTemp(), MosTemp()};
}

void PackModel::EvaluateProtections(const ParamStore &p)
{
    auto [maxCell, minCell, total, maxT, minT, mosT] = Read();
    using P = ParamId;
    std::uint32_t &b = m_protect;
    Latch(b, ProtectBit::CellOv, maxCell >= p.Get(P::CellOvProtect), maxCell <= p.Get(P::CellOvRecover));
    Latch(b, ProtectBit::CellUv, minCell <= p.Get(P::CellUvProtect), minCell >= p.Get(P::CellUvRecover));
    Latch(b, ProtectBit::PackOv, total >= p.Get(P::PackOvProtect), total <= p.Get(P::PackOvRecover));
    Latch(b, ProtectBit::PackUv, total <= p.Get(P::PackUvProtect), total >= p.Get(P::PackUvRecover));
    Latch(b, ProtectBit::ChargeHt, maxT >= p.Get(P::ChargeHtProtect), maxT <= p.Get(P::ChargeHtRecover));
    Latch(b, ProtectBit::ChargeLt, minT <= p.Get(P::ChargeLtProtect), minT >= p.Get(P::ChargeLtRecover));
    Latch(b, ProtectBit::DischargeHt, maxT >= p.Get(P::DischargeHtProtect), maxT <= p.Get(P::DischargeHtRecover));
    Latch(b, ProtectBit::DischargeLt, minT <= p.Get(P::DischargeLtProtect), minT >= p.Get(P::DischargeLtRecover));
    Latch(b, ProtectBit::ChargeMosHt, mosT >= p.Get(P::ChargeMosProtect), mosT <= p.Get(P::ChargeMosRecover));
    Latch(b, ProtectBit::DischargeMosHt, mosT >= p.Get(P::DischargeMosProtect), mosT <= p.Get(P::DischargeMosRecover));
    // Over-current protections hold for a while, then the board tries again.
    if (m_currentMa >= p.Get(P::ChargeOcProtect))
        m_chargeOcLeft = 10;
    if (-static_cast<std::int64_t>(m_currentMa) >= p.Get(P::DischargeOcProtect))
        m_dischargeOcLeft = 10;
    Level(b, ProtectBit::ChargeOc, m_chargeOcLeft > 0);
    Level(b, ProtectBit::DischargeOc, m_dischargeOcLeft > 0);
}

void PackModel::TickLatches(double dt)
{
    m_chargeOcLeft = std::max(0.0, m_chargeOcLeft - dt);
    m_dischargeOcLeft = std::max(0.0, m_dischargeOcLeft - dt);
}

void PackModel::EvaluateAlarms(const ParamStore &p)
{
    auto [maxCell, minCell, total, maxT, minT, mosT] = Read();
    std::int64_t amps = m_currentMa;
    using P = ParamId;
    std::uint32_t &b = m_alarm;
    Level(b, AlarmBit::CellOv, maxCell >= p.Get(P::CellOvAlarm));
    Level(b, AlarmBit::CellUv, minCell <= p.Get(P::CellUvAlarm));
    Level(b, AlarmBit::PackOv, total >= p.Get(P::PackOvAlarm));
    Level(b, AlarmBit::PackUv, total <= p.Get(P::PackUvAlarm));
    Level(b, AlarmBit::ChargeHt, maxT >= p.Get(P::ChargeHtAlarm));
    Level(b, AlarmBit::ChargeLt, minT <= p.Get(P::ChargeLtAlarm));
    Level(b, AlarmBit::DischargeHt, maxT >= p.Get(P::DischargeHtAlarm));
    Level(b, AlarmBit::DischargeLt, minT <= p.Get(P::DischargeLtAlarm));
    Level(b, AlarmBit::ChargeMosHt, mosT >= p.Get(P::ChargeMosAlarm));
    Level(b, AlarmBit::DischargeMosHt, mosT >= p.Get(P::DischargeMosAlarm));
    Level(b, AlarmBit::ChargeOc, amps > 0 && amps >= p.Get(P::ChargeOcAlarm));
    Level(b, AlarmBit::DischargeOc, amps < 0 && -amps >= p.Get(P::DischargeOcAlarm));
}

void PackModel::EvaluateBalance(const ParamStore &p)
{
    if (m_currentMa < 0) {
        m_balance = 0;
        return;
    }
    std::int64_t minCell = *std::min_element(m_cells.begin(), m_cells.end());
    std::int64_t startMv = p.Get(ParamId::BalanceVoltage);
    std::int64_t startDiff = p.Get(ParamId::BalanceDiff, 0);
    std::int64_t stopDiff = p.Get(ParamId::BalanceDiff, 1);
    for (int i = 0; i < kCells; ++i) {
        std::int64_t mv = m_cells[i], diff = mv - minCell;
        std::uint32_t bit = 1u << i;
        Latch(m_balance, bit, mv >= startMv && diff >= startDiff, mv < startMv || diff <= stopDiff);
    }
}
