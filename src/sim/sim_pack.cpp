#include "sim/sim_pack.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
struct PhaseStep {
    PackPhase phase;
    double seconds;
    double amps; // charging positive; the discharge swings a little around it
};
// The pack's routine while it fills, repeated: rest, a long charge, rest, a
// short discharge; and while it empties: the other way round.
constexpr PhaseStep kFilling[] = {
    {PackPhase::Standby, 20, 0},
    {PackPhase::Charging, 100, 30},
    {PackPhase::Standby, 20, 0},
    {PackPhase::Discharging, 40, -6},
};
constexpr PhaseStep kEmptying[] = {
    {PackPhase::Standby, 20, 0},
    {PackPhase::Charging, 50, 10},
    {PackPhase::Standby, 20, 0},
    {PackPhase::Discharging, 100, -30},
};
constexpr int kRoutineSteps = static_cast<int>(std::size(kFilling));
static_assert(std::size(kEmptying) == std::size(kFilling));

// Full and empty: where the pack turns from filling to emptying and back.
constexpr double kFullSoc = 99.9, kEmptySoc = 2.0;
constexpr double kNearlyFullSoc = 97.0, kNearlyEmptySoc = 5.0;
// Above this the charge current tapers off (to a fifth at full).
constexpr double kTaperSoc = 90.0;
constexpr double kTaperFloor = 0.2;
// A short surge in every discharge, above the default discharge alarm (not
// with a nearly full pack: it would never get full).
constexpr double kSurgeA = -104.0;
constexpr double kSurgeFrom = 30, kSurgeTo = 34;
constexpr double kSurgeBelowSoc = 90.0;
constexpr double kPrechargeSeconds = 3;
constexpr double kCellMilliohm = 1.2;
constexpr double kMaxGapSeconds = 2 * 3600.0;
constexpr double kStepSeconds = 0.5;

// Cell offsets from the open-circuit voltage: most cells close together,
// a few high ones that the balancing works on.
constexpr int kOffsetsMv[PackModel::kCells] = {-4, 2, -1, 5, -6, 16, 0, 3, -3, 1, 18, -2, 4, -5, 13, -1};

// LiFePO4 open-circuit voltage over the state of charge.
struct OcvPoint {
    double soc;
    double mv;
};
constexpr OcvPoint kOcv[] = {{0, 2600},  {2, 2800},  {5, 3000},  {10, 3180}, {20, 3230}, {40, 3270},
                             {60, 3295}, {80, 3320}, {90, 3340}, {95, 3380}, {100, 3550}};

double Ocv(double soc)
{
    soc = std::clamp(soc, 0.0, 100.0);
    for (std::size_t i = 1; i < std::size(kOcv); ++i) {
        if (soc <= kOcv[i].soc) {
            double f = (soc - kOcv[i - 1].soc) / (kOcv[i].soc - kOcv[i - 1].soc);
            return kOcv[i - 1].mv + f * (kOcv[i].mv - kOcv[i - 1].mv);
        }
    }
    return kOcv[std::size(kOcv) - 1].mv;
}

constexpr double kAmbientCenti = 2500;
} // namespace

PackModel::PackModel(std::uint32_t seed, int variant, const ParamStore &params)
    : m_rng(seed + 7919u * variant), m_incidentRng(seed * 104729u + 31u * variant)
{
    for (int i = 0; i < kCells; ++i)
        m_offsetMv[i] = kOffsetsMv[(i + 5 * variant) % kCells];
    if (variant != 0) {
        m_socExact = 48.0;
        m_filling = false;
        m_phaseIndex = 3;
        m_cycles = 12;
        m_fullMah = 49800;
        m_soh = 99;
    }
    m_phase = kFilling[m_phaseIndex].phase;
    ScheduleIncidents();
    int probes = static_cast<int>(params.Get(ParamId::ProbeCount));
    for (int i = 0; i < probes; ++i)
        m_tempExact.push_back(kAmbientCenti + 40.0 * i - 30.0 * variant);
    m_temps.assign(m_tempExact.begin(), m_tempExact.end());
    m_extremes = PackExtremes{3452, 11, 3012, 5, 24870, 61230, 55210, 4130, 860, 36, 52};
    StepCells();
    Evaluate(params);
}

void PackModel::Advance(double seconds, const ParamStore &params)
{
    seconds = std::clamp(seconds, 0.0, kMaxGapSeconds);
    while (seconds > 0) {
        double dt = std::min(seconds, kStepSeconds);
        Step(dt, params);
        seconds -= dt;
    }
    Evaluate(params);
}

void PackModel::HoldCurrent(std::int32_t ma, double holdSeconds)
{
    m_holdA = ma / 1000.0;
    m_holdLeft = holdSeconds;
    m_currentMa = ma;
}

void PackModel::Step(double dt, const ParamStore &params)
{
    m_time += dt;
    StepPhase(dt);
    StepIncidents(dt, params);
    double target = TargetCurrentA();
    std::uint8_t mos = MosBits();
    if ((target > 0 && !(mos & MosBit::Charge)) || (target < 0 && !(mos & MosBit::Discharge)))
        target = 0;
    std::normal_distribution<double> noise(0.0, 0.15);
    double amps = target == 0 ? 0 : target + noise(m_rng);
    m_currentMa = static_cast<std::int32_t>(std::lround(amps * 100)) * 10;

    double mah = amps * 1000.0 * dt / 3600.0;
    m_socExact = std::clamp(m_socExact + 100.0 * mah / m_fullMah, 0.0, 100.0);
    if (mah < 0) {
        m_dischargedMah -= mah;
        if (m_dischargedMah >= m_fullMah) {
            m_dischargedMah -= m_fullMah;
            ++m_cycles;
        }
    }
    auto probes = static_cast<std::size_t>(params.Get(ParamId::ProbeCount));
    if (probes >= 1 && probes != m_tempExact.size())
        m_tempExact.resize(probes, kAmbientCenti);
    StepTemps(dt);
    StepCells();
    StepExtremes(dt);
    StepSwitches(dt);
    TickLatches(dt);
    EvaluateProtections(params);
}

void PackModel::StepPhase(double dt)
{
    if (m_holdLeft > 0) {
        m_holdLeft -= dt;
        return;
    }
    m_phaseTime += dt;
    // A protection that stops the charge at the very top, or the discharge at
    // the very bottom, ends that half of the cycle too (near full a cell over
    // its limit stays latched until the pack has given some charge back).
    std::uint8_t mos = MosBits();
    bool full = m_phase == PackPhase::Charging &&
                (m_socExact >= kFullSoc || (m_socExact >= kNearlyFullSoc && !(mos & MosBit::Charge)));
    bool empty = m_phase == PackPhase::Discharging &&
                 (m_socExact <= kEmptySoc || (m_socExact <= kNearlyEmptySoc && !(mos & MosBit::Discharge)));
    if (full)
        m_filling = false;
    if (empty)
        m_filling = true;
    const PhaseStep *routine = m_filling ? kFilling : kEmptying;
    if (m_phaseTime >= routine[m_phaseIndex].seconds || full || empty) {
        m_phaseIndex = (m_phaseIndex + 1) % kRoutineSteps;
        m_phase = routine[m_phaseIndex].phase;
        m_phaseTime = 0;
    }
}

double PackModel::TargetCurrentA() const
{
    if (m_holdLeft > 0)
        return m_holdA;
    const double amps = (m_filling ? kFilling : kEmptying)[m_phaseIndex].amps;
    switch (m_phase) {
    case PackPhase::Standby: return 0;
    case PackPhase::Charging:
        if (m_socExact > kTaperSoc)
            return amps * std::max(kTaperFloor, (100.0 - m_socExact) / (100.0 - kTaperSoc));
        return amps;
    case PackPhase::Discharging:
        if (m_phaseTime >= kSurgeFrom && m_phaseTime < kSurgeTo && m_socExact < kSurgeBelowSoc)
            return kSurgeA;
        return amps + 4.0 * std::sin(m_phaseTime / 6.0);
    }
    return 0;
}

void PackModel::StepTemps(double dt)
{
    double amps = m_currentMa / 1000.0;
    double ambient = kAmbientCenti + 200.0 * std::sin(2 * std::numbers::pi * m_time / 1800.0);
    std::size_t last = m_tempExact.size() - 1;
    for (std::size_t i = 0; i < m_tempExact.size(); ++i) {
        bool mos = i == last && last > 0;
        double heat = (mos ? 1.67 : 0.33) * amps * amps / 100.0; // centi-degrees per second
        double tau = mos ? 300.0 : 600.0;
        double offset = mos ? 0 : 40.0 * static_cast<double>(i);
        m_tempExact[i] += dt * (heat - (m_tempExact[i] - ambient - offset) / tau);
    }
    m_temps.resize(m_tempExact.size());
    for (std::size_t i = 0; i < m_tempExact.size(); ++i)
        m_temps[i] = static_cast<std::int32_t>(std::lround((m_tempExact[i] + HotProbeCenti(i)) / 10.0) * 10);
}

void PackModel::StepCells()
{
    double ir = m_currentMa / 1000.0 * kCellMilliohm;
    std::uniform_int_distribution<int> noise(-1, 1);
    double ocv = Ocv(m_socExact);
    for (int i = 0; i < kCells; ++i) {
        double mv = ocv + ir + m_offsetMv[i] + CellIncidentMv(i) + noise(m_rng);
        m_cells[i] = static_cast<std::uint16_t>(std::clamp(std::lround(mv), 0L, 65535L));
    }
}

void PackModel::StepExtremes(double dt)
{
    PackExtremes &x = m_extremes;
    for (int i = 0; i < kCells; ++i) {
        if (m_cells[i] > x.maxCellMv) {
            x.maxCellMv = m_cells[i];
            x.maxCellNo = static_cast<std::uint8_t>(i + 1);
        }
        if (m_cells[i] < x.minCellMv) {
            x.minCellMv = m_cells[i];
            x.minCellNo = static_cast<std::uint8_t>(i + 1);
        }
    }
    if (m_currentMa > 0)
        x.maxChargeMa = std::max<std::uint32_t>(x.maxChargeMa, static_cast<std::uint32_t>(m_currentMa));
    if (m_currentMa < 0)
        x.maxDischargeMa = std::max<std::uint32_t>(x.maxDischargeMa, static_cast<std::uint32_t>(-m_currentMa));
    x.maxTotalMv = std::max(x.maxTotalMv, TotalMv());
    x.maxTempCenti = std::max(x.maxTempCenti, MaxCellTemp());
    x.minTempCenti = std::min(x.minTempCenti, MinCellTemp());
    m_sinceCharge = m_currentMa > 0 ? 0 : m_sinceCharge + dt;
    m_sinceDischarge = m_currentMa < 0 ? 0 : m_sinceDischarge + dt;
    x.maxNoChargeH = std::max<std::uint16_t>(x.maxNoChargeH, static_cast<std::uint16_t>(m_sinceCharge / 3600));
    x.maxNoDischargeH = std::max<std::uint16_t>(x.maxNoDischargeH, static_cast<std::uint16_t>(m_sinceDischarge / 3600));
}

void PackModel::ClearRecords()
{
    auto maxIt = std::max_element(m_cells.begin(), m_cells.end());
    auto minIt = std::min_element(m_cells.begin(), m_cells.end());
    m_extremes = PackExtremes{*maxIt,
                              static_cast<std::uint8_t>(maxIt - m_cells.begin() + 1),
                              *minIt,
                              static_cast<std::uint8_t>(minIt - m_cells.begin() + 1),
                              static_cast<std::uint32_t>(std::max(m_currentMa, 0)),
                              static_cast<std::uint32_t>(std::max(-m_currentMa, 0)),
                              TotalMv(),
                              MaxCellTemp(),
                              MinCellTemp(),
                              0,
                              0};
    m_sinceCharge = m_sinceDischarge = 0;
}

std::uint32_t PackModel::TotalMv() const
{
    std::uint32_t sum = 0;
    for (std::uint16_t mv : m_cells)
        sum += mv;
    return sum;
}

std::uint8_t PackModel::Soc() const
{
    return static_cast<std::uint8_t>(std::lround(m_socExact));
}

std::uint32_t PackModel::RemainingMah() const
{
    return static_cast<std::uint32_t>(std::lround(m_socExact / 100.0 * m_fullMah));
}

std::uint8_t PackModel::MosBits() const
{
    constexpr std::uint32_t kBlockCharge = ProtectBit::CellOv | ProtectBit::ChargeOc | ProtectBit::ChargeLt |
                                           ProtectBit::ChargeHt | ProtectBit::ChargeMosHt | ProtectBit::PackOv;
    constexpr std::uint32_t kBlockDischarge = ProtectBit::CellUv | ProtectBit::DischargeOc | ProtectBit::DischargeLt |
                                              ProtectBit::DischargeHt | ProtectBit::ShortCircuit |
                                              ProtectBit::DischargeMosHt | ProtectBit::PackUv;
    std::uint8_t bits = 0;
    if (!(m_protect & kBlockCharge))
        bits |= MosBit::Charge;
    if (!(m_protect & kBlockDischarge))
        bits |= MosBit::Discharge;
    if (m_phase == PackPhase::Discharging && m_holdLeft <= 0 && m_phaseTime < kPrechargeSeconds)
        bits |= MosBit::Precharge;
    if (m_preDischargeOn)
        bits |= MosBit::Precharge;
    return static_cast<std::uint8_t>(bits & ~m_mosOff);
}

std::int32_t PackModel::MaxCellTemp() const
{
    std::size_t n = m_temps.size() > 1 ? m_temps.size() - 1 : m_temps.size();
    return *std::max_element(m_temps.begin(), m_temps.begin() + static_cast<std::ptrdiff_t>(n));
}

std::int32_t PackModel::MinCellTemp() const
{
    std::size_t n = m_temps.size() > 1 ? m_temps.size() - 1 : m_temps.size();
    return *std::min_element(m_temps.begin(), m_temps.begin() + static_cast<std::ptrdiff_t>(n));
}

void PackModel::Evaluate(const ParamStore &params)
{
    EvaluateProtections(params);
    EvaluateAlarms(params);
    EvaluateBalance(params);
    NoteEvent();
}
