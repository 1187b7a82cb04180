// The living pack behind the simulated board: 16 LiFePO4 cells whose
// voltages follow the state of charge and the current, temperatures that
// drift with the load, a current that moves between charging, standby and
// discharging, and alarm and protection states judged against the board's
// parameters. The pack goes through whole cycles: charging dominates until it
// is full, then discharging until it is nearly empty. Now and then a probe
// runs hot or a cell strays, so the alarm and protection states change of
// themselves; every change is kept as an event.
#pragma once

#include "sim/sim_params.h"

#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

// The board's historic extreme values.
struct PackExtremes {
    std::uint16_t maxCellMv = 0;
    std::uint8_t maxCellNo = 0;
    std::uint16_t minCellMv = 0;
    std::uint8_t minCellNo = 0;
    std::uint32_t maxChargeMa = 0;
    std::uint32_t maxDischargeMa = 0;
    std::uint32_t maxTotalMv = 0;
    std::int32_t maxTempCenti = 0;
    std::int32_t minTempCenti = 0;
    std::uint16_t maxNoChargeH = 0;
    std::uint16_t maxNoDischargeH = 0;
};

// Bits of the alarm state (two bytes) and of the protection state (three bytes).
namespace AlarmBit {
enum : std::uint32_t {
    CellOv = 1u << 0,
    CellUv = 1u << 1,
    PackOv = 1u << 2,
    PackUv = 1u << 3,
    ChargeHt = 1u << 4,
    ChargeLt = 1u << 5,
    DischargeHt = 1u << 6,
    DischargeLt = 1u << 7,
    ChargeMosHt = 1u << 8,
    DischargeMosHt = 1u << 9,
    ChargeOc = 1u << 10,
    DischargeOc = 1u << 11,
};
}
namespace ProtectBit {
enum : std::uint32_t {
    CellOv = 1u << 0,
    CellUv = 1u << 1,
    ChargeOc = 1u << 2,
    DischargeOc = 1u << 3,
    ChargeLt = 1u << 4,
    ChargeHt = 1u << 5,
    DischargeLt = 1u << 6,
    DischargeHt = 1u << 7,
    ShortCircuit = 1u << 8,
    ChargeMosHt = 1u << 9,
    DischargeMosHt = 1u << 10,
    PackOv = 1u << 19,
    PackUv = 1u << 20,
};
}
namespace MosBit {
enum : std::uint8_t { Charge = 1, Discharge = 2, Precharge = 4 };
}

enum class PackPhase : std::uint8_t { Standby, Charging, Discharging };

// A change of the alarm or protection state, at a pack time in seconds.
struct PackEvent {
    double time;
    std::uint32_t alarm;
    std::uint32_t protect;
};

class PackModel {
public:
    static constexpr int kCells = 16;

    // variant 0 is the main board's pack, 1 the secondary board's.
    PackModel(std::uint32_t seed, int variant, const ParamStore &params);

    // Lets pack time pass (seconds); long gaps are cut to two hours.
    void Advance(double seconds, const ParamStore &params);
    // Judges alarms, protections and balancing against the parameters now.
    void Evaluate(const ParamStore &params);
    // Forgets the historic extremes; they restart from the live values.
    void ClearRecords();
    // Forces a current for tests and demos; phases resume after hold seconds.
    void HoldCurrent(std::int32_t ma, double holdSeconds);
    // The board's MOS switches as commanded: a charge or discharge MOS
    // switched off stays off (and the pack stops charging or discharging)
    // until it is switched on; the pre-discharge MOS switched on stays on.
    void SwitchMos(std::uint8_t mosBit, bool on);
    // Balancing of one cell (1 to 16) forced on for the given seconds of pack
    // time; 0 seconds stops it. False for a cell the pack does not have.
    bool StartBalancing(int cell, double seconds);
    // Every switch back to its automatic state and forced balancing stopped.
    void ResetSwitches();

    const std::array<std::uint16_t, kCells> &Cells() const { return m_cells; }
    std::int32_t CurrentMa() const { return m_currentMa; }
    std::uint32_t TotalMv() const;
    // Temperatures in hundredths of a degree; the last probe is the MOS sensor.
    const std::vector<std::int32_t> &TempsCenti() const { return m_temps; }
    std::uint8_t Soc() const;
    std::uint8_t Soh() const { return m_soh; }
    std::uint16_t Cycles() const { return m_cycles; }
    std::uint32_t FullMah() const { return m_fullMah; }
    std::uint32_t RemainingMah() const;
    std::uint32_t BalanceBits() const { return m_balance | ForcedBalanceBits(); }
    std::uint32_t ForcedBalanceBits() const;
    std::uint32_t AlarmBits() const { return m_alarm; }
    std::uint32_t ProtectBits() const { return m_protect; }
    std::uint8_t MosBits() const;
    PackPhase Phase() const { return m_phase; }
    const PackExtremes &Extremes() const { return m_extremes; }
    // Pack time in seconds since the board started.
    double Time() const { return m_time; }
    // The latest changes of the alarm and protection states, oldest first.
    static constexpr std::size_t kMaxEvents = 256;
    const std::deque<PackEvent> &Events() const { return m_events; }

private:
    void Step(double dt, const ParamStore &params);
    void StepPhase(double dt);
    double TargetCurrentA() const;
    // Starts, runs and ends the hot probe and the straying cell.
    void ScheduleIncidents();
    void StepIncidents(double dt, const ParamStore &params);
    void StartCellIncident(const ParamStore &params);
    double CellIncidentMv(int cell) const;
    double HotProbeCenti(std::size_t probe) const;
    void NoteEvent();
    void StepTemps(double dt);
    void StepCells();
    void StepExtremes(double dt);
    void StepSwitches(double dt);
    // What the limits are judged on: cell extremes and total in mV, temperatures in hundredths.
    struct Readings {
        std::int64_t maxCell, minCell, total, maxT, minT, mosT;
    };
    Readings Read() const;
    void EvaluateProtections(const ParamStore &params);
    void TickLatches(double dt);
    void EvaluateAlarms(const ParamStore &params);
    void EvaluateBalance(const ParamStore &params);
    std::int32_t MaxCellTemp() const;
    std::int32_t MinCellTemp() const;
    std::int32_t MosTemp() const { return m_temps.back(); }

    std::mt19937 m_rng;
    std::array<int, kCells> m_offsetMv{};
    std::array<std::uint16_t, kCells> m_cells{};
    std::vector<double> m_tempExact;
    std::vector<std::int32_t> m_temps;
    double m_time = 0;
    PackPhase m_phase = PackPhase::Standby;
    bool m_filling = true; // charging dominates until full, then discharging until empty
    int m_phaseIndex = 0;
    double m_phaseTime = 0;
    double m_holdA = 0;
    double m_holdLeft = 0;
    double m_socExact = 62.0;
    double m_dischargedMah = 0;
    std::int32_t m_currentMa = 0;
    std::uint8_t m_soh = 98;
    std::uint16_t m_cycles = 37;
    std::uint32_t m_fullMah = 49200;
    std::uint32_t m_balance = 0;
    std::uint32_t m_alarm = 0;
    std::uint32_t m_protect = 0;
    double m_chargeOcLeft = 0;
    double m_dischargeOcLeft = 0;
    double m_sinceCharge = 0;
    double m_sinceDischarge = 0;
    PackExtremes m_extremes;
    std::uint8_t m_mosOff = 0;                    // MOS bits switched off by command
    bool m_preDischargeOn = false;                // pre-discharge MOS switched on by command
    std::array<double, kCells> m_forcedBalance{}; // seconds of forced balancing left per cell

    // Incidents, drawn from a generator of their own (the noise stays as it was).
    std::mt19937 m_incidentRng;
    double m_nextHeat = 0;  // pack time the next hot probe starts
    double m_heatTime = -1; // seconds into the running one; < 0: none
    std::size_t m_heatProbe = 0;
    double m_heatRiseCenti = 0; // how far above its usual level the probe reads at the peak
    double m_nextCell = 0;
    double m_cellTime = -1; // seconds into the running cell incident; < 0: none
    int m_cellNo = 0;
    double m_cellPeakMv = 0; // signed: up for an over-voltage, down for an under-voltage

    std::deque<PackEvent> m_events;
    std::uint32_t m_lastAlarm = 0;
    std::uint32_t m_lastProtect = 0;
};
