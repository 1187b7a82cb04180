// What a simulated board keeps for the customer control page and the
// internal debug page: calibrations, modes, histories and factory data.
#pragma once

#include "protocol/debug_cmds.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

inline constexpr std::uint16_t kHistoryNone = 0xFFFF; // an hour count not recorded

struct ControlState {
    std::uint32_t voltageCalibrationMv = 0;
    std::uint16_t currentCalibration = 0;
    std::int16_t currentThreshold = 0;
    std::map<std::uint8_t, std::int16_t> temperatureCalibrations; // probe index -> tenths of a degree
    std::uint16_t parallelDiffMv = 300;
    bool storageMode = false;
    bool internalMode = false;
    std::uint8_t bmsState = 0x00; // bit 0: the board runs its boot area
    std::vector<std::uint16_t> chargeHistory;
    std::vector<std::uint16_t> dischargeHistory;
    int restarts = 0;
    int factoryResets = 0;

    explicit ControlState(int variant = 0);
};

struct DebugState {
    Arrangement arrangement{16, 1, 50000};
    std::int16_t measuredMah = 30210; // the wire field is signed 16-bit: at most 32767 mAh
    FourteenValues openCircuit{};
    // [table][measurement index]: charge then discharge.
    std::array<std::array<Measurement, 2>, 2> resistance{};
    RegisterBlock registers{};

    explicit DebugState(int variant = 0);
};
