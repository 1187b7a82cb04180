// What happens to the pack now and then: a probe runs hot for a few minutes,
// or a cell strays towards its over- or under-voltage limits, so the alarm and
// protection states change of themselves; and the record of those changes.
#include "sim/sim_pack.h"

#include <algorithm>

namespace {
constexpr double kQuietStart = 300; // nothing happens in the first five minutes
constexpr double kHeatEvery = 1800; // mean seconds between two hot probes
constexpr double kHeatRise = 60, kHeatHold = 90, kHeatFall = 150;
constexpr double kCellEvery = 1200; // mean seconds between two straying cells
constexpr double kCellRamp = 20, kCellHold = 60;

// 0 to 1 to 0 over an incident's rise, hold and fall.
double Shape(double t, double rise, double hold, double fall)
{
    if (t < 0)
        return 0;
    if (t < rise)
        return t / rise;
    if (t < rise + hold)
        return 1;
    return std::max(0.0, 1 - (t - rise - hold) / fall);
}

double Draw(std::mt19937 &rng, double lo, double hi)
{
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

double Wait(std::mt19937 &rng, double mean)
{
    return std::exponential_distribution<double>(1.0 / mean)(rng);
}
} // namespace

void PackModel::ScheduleIncidents()
{
    m_nextHeat = kQuietStart + Wait(m_incidentRng, kHeatEvery);
    m_nextCell = kQuietStart + Wait(m_incidentRng, kCellEvery);
}

void PackModel::StepIncidents(double dt, const ParamStore &params)
{
    if (m_heatTime >= 0) {
        m_heatTime += dt;
        if (m_heatTime > kHeatRise + kHeatHold + kHeatFall)
            m_heatTime = -1;
    } else if (m_time >= m_nextHeat && m_tempExact.size() > 1) {
        // One of the cell probes (never the MOS probe, the last one) reads 20
        // to 38 degrees more: past the high-temperature alarms, often past the protections.
        std::size_t probes = m_tempExact.size() - 1;
        m_heatProbe = std::uniform_int_distribution<std::size_t>(0, probes - 1)(m_incidentRng);
        m_heatRiseCenti = Draw(m_incidentRng, 2000, 3800);
        m_heatTime = 0;
        m_nextHeat = m_time + kHeatRise + kHeatHold + kHeatFall + Wait(m_incidentRng, kHeatEvery);
    }
    if (m_cellTime >= 0) {
        m_cellTime += dt;
        if (m_cellTime > 2 * kCellRamp + kCellHold)
            m_cellTime = -1;
    } else if (m_time >= m_nextCell) {
        StartCellIncident(params);
        m_nextCell = m_time + 2 * kCellRamp + kCellHold + Wait(m_incidentRng, kCellEvery);
    }
}

void PackModel::StartCellIncident(const ParamStore &params)
{
    // Up while the pack is being filled, down while it is being emptied; the
    // peak lies between the alarm limit and a little past the protection limit.
    m_cellNo = std::uniform_int_distribution<int>(0, kCells - 1)(m_incidentRng);
    double u = Draw(m_incidentRng, 0.2, 1.0);
    double now = m_cells[m_cellNo];
    if (m_filling) {
        double alarm = static_cast<double>(params.Get(ParamId::CellOvAlarm));
        double protect = static_cast<double>(params.Get(ParamId::CellOvProtect));
        m_cellPeakMv = std::max(0.0, alarm + u * (protect - alarm + 20) - now);
    } else {
        double alarm = static_cast<double>(params.Get(ParamId::CellUvAlarm));
        double protect = static_cast<double>(params.Get(ParamId::CellUvProtect));
        m_cellPeakMv = std::min(0.0, alarm - u * (alarm - protect + 20) - now);
    }
    m_cellTime = 0;
}

double PackModel::CellIncidentMv(int cell) const
{
    return cell == m_cellNo ? m_cellPeakMv * Shape(m_cellTime, kCellRamp, kCellHold, kCellRamp) : 0;
}

double PackModel::HotProbeCenti(std::size_t probe) const
{
    return probe == m_heatProbe ? m_heatRiseCenti * Shape(m_heatTime, kHeatRise, kHeatHold, kHeatFall) : 0;
}

void PackModel::NoteEvent()
{
    if (m_alarm == m_lastAlarm && m_protect == m_lastProtect)
        return;
    m_lastAlarm = m_alarm;
    m_lastProtect = m_protect;
    m_events.push_back({m_time, m_alarm, m_protect});
    while (m_events.size() > kMaxEvents)
        m_events.pop_front();
}
