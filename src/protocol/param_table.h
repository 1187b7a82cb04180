// The wire facts of every parameter the host reads or writes on the two
// threshold pages, once: request class, read and write codes, how the value
// travels, the range an entered number must keep and how many values a write
// carries. Page tables add only their layout and the simulated board only its
// stored defaults, both keyed by ParamId.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// A single value's kind; the numbers are the variant type codes the page
// framework takes (VT_I1 16, VT_UI1 17, VT_I2 2, VT_UI2 18, VT_INT 22, VT_UINT 23).
enum class ValueKind : std::uint16_t { I1 = 16, UI1 = 17, I2 = 2, UI2 = 18, Int = 22, UInt = 23 };

// How a parameter's value travels.
enum class RowFormat {
    Value,             // one value of the parameter's kind
    Temperature,       // signed 16-bit hundredths of a degree, entered and shown in whole degrees
    TwoU16,            // two unsigned 16-bit values
    CycleThresholds,   // two bytes; the read answer adds the cycle count (unsigned 16-bit)
    CurrentThresholds, // four signed 16-bit values
    WakeUp,            // one code byte shown as a name; never written
    RecordClear,       // a command with data 0x00; answered with one unsigned byte
};

// Every parameter. The board stores a value for each one before WakeSource.
enum class ParamId : std::uint8_t {
    // wake-up and thresholds
    IdleWait,
    ConsumptionUpdate,
    StandbyWakeCheck,
    KeyWakeTime,
    PrechargeTime,
    ProbeCount,
    StandbyVoltage,
    BalanceVoltage,
    BalanceDiff,    // start difference, stop difference
    CycleThreshold, // upper %, lower %
    CurrentDetect,  // charge detect, charge release, discharge detect, discharge release
    PrechargeShort, // current mA, delay ms
    ShortCircuit,   // current A, delay us
    ChargeMosAlarm,
    ChargeMosProtect,
    ChargeMosRecover,
    DischargeMosAlarm,
    DischargeMosProtect,
    DischargeMosRecover,
    // alarm and protection
    ChargeOcAlarm,
    ChargeOcProtect,
    CellOvAlarm,
    CellOvProtect,
    CellOvRecover,
    PackOvAlarm,
    PackOvProtect,
    PackOvRecover,
    ChargeHtAlarm,
    ChargeHtProtect,
    ChargeHtRecover,
    ChargeLtAlarm,
    ChargeLtProtect,
    ChargeLtRecover,
    DischargeOcAlarm,
    DischargeOcProtect,
    CellUvAlarm,
    CellUvProtect,
    CellUvRecover,
    PackUvAlarm,
    PackUvProtect,
    PackUvRecover,
    DischargeHtAlarm,
    DischargeHtProtect,
    DischargeHtRecover,
    DischargeLtAlarm,
    DischargeLtProtect,
    DischargeLtRecover,
    // not stored: the wake-up source (read only) and the record clear command (write only)
    WakeSource,
    RecordClear,
    Count
};
inline constexpr std::size_t kParamCount = static_cast<std::size_t>(ParamId::Count);
inline constexpr std::size_t kStoredParamCount = static_cast<std::size_t>(ParamId::WakeSource);

inline constexpr int kNoCode = -1;

struct ParamWire {
    ParamId id;
    std::uint8_t cls; // request class
    int readCode;     // kNoCode: never read
    int writeCode;    // kNoCode: read-only
    RowFormat format;
    ValueKind kind;   // of each written value
    std::int64_t min; // inclusive range of every entered number
    std::int64_t max;
    int writtenValues; // how many values a write carries
};

namespace param_table_detail {
using F = RowFormat;
using K = ValueKind;
using P = ParamId;
inline constexpr std::uint8_t kParam = 0x02;
inline constexpr std::uint8_t kRecord = 0x05;
inline constexpr std::int64_t kI16Min = -32768;
inline constexpr std::int64_t kI16Max = 32767;
inline constexpr std::int64_t kU16Max = 65535;
inline constexpr std::int64_t kI32Min = -2147483648LL;
inline constexpr std::int64_t kI32Max = 2147483647LL;
inline constexpr std::int64_t kU32Max = 4294967295LL;
// Temperatures travel as signed 16-bit hundredths: whole degrees beyond ±327
// would not fit and would reach the board as a wrapped, wrong value.
inline constexpr std::int64_t kTempMin = -327;
inline constexpr std::int64_t kTempMax = 327;

constexpr ParamWire V(P id, int rd, int wr, K kind, std::int64_t lo, std::int64_t hi)
{
    return {id, kParam, rd, wr, F::Value, kind, lo, hi, 1};
}
constexpr ParamWire Temp(P id, int rd, int wr)
{
    return {id, kParam, rd, wr, F::Temperature, K::I2, kTempMin, kTempMax, 1};
}
} // namespace param_table_detail

// clang-format off
inline constexpr std::array<ParamWire, kParamCount> kParamTable = [] {
    using namespace param_table_detail;
    return std::array<ParamWire, kParamCount>{{
        V(P::IdleWait, 0x13, 0x12, K::UI2, 1, kU16Max),
        V(P::ConsumptionUpdate, 0x15, 0x14, K::UI2, 1, kU16Max),
        V(P::StandbyWakeCheck, 0x17, 0x16, K::UI2, 1, kU16Max),
        V(P::KeyWakeTime, 0x19, 0x18, K::UI2, 1, kU16Max),
        V(P::PrechargeTime, 0x21, 0x20, K::UI2, 1, kU16Max),
        V(P::ProbeCount, 0x3F, 0x3E, K::UI1, 1, 255),
        V(P::StandbyVoltage, 0x23, 0x22, K::UI2, 1, kU16Max),
        V(P::BalanceVoltage, 0x4D, 0x4C, K::UI2, 0, kU16Max),
        {P::BalanceDiff, kParam, 0x4F, 0x4E, F::TwoU16, K::UI2, 0, kU16Max, 2},
        {P::CycleThreshold, kParam, 0x4B, 0x4A, F::CycleThresholds, K::UI1, 0, 100, 2},
        {P::CurrentDetect, kParam, 0x25, 0x24, F::CurrentThresholds, K::I2, kI16Min, kI16Max, 4},
        {P::PrechargeShort, kParam, 0x3D, 0x3C, F::TwoU16, K::UI2, 0, kU16Max, 2},
        {P::ShortCircuit, kParam, 0x3B, 0x3A, F::TwoU16, K::UI2, 0, kU16Max, 2},
        Temp(P::ChargeMosAlarm, 0x27, 0x26),
        Temp(P::ChargeMosProtect, 0x43, 0x42),
        Temp(P::ChargeMosRecover, 0x2B, 0x2A),
        Temp(P::DischargeMosAlarm, 0x29, 0x28),
        Temp(P::DischargeMosProtect, 0x45, 0x44),
        Temp(P::DischargeMosRecover, 0x1F, 0x1E),

        V(P::ChargeOcAlarm, 0x41, 0x40, K::Int, kI32Min, kI32Max),
        V(P::ChargeOcProtect, 0x57, 0x56, K::Int, kI32Min, kI32Max),
        V(P::CellOvAlarm, 0x59, 0x58, K::I2, kI16Min, kI16Max),
        V(P::CellOvProtect, 0x63, 0x62, K::I2, kI16Min, kI16Max),
        V(P::CellOvRecover, 0x79, 0x78, K::UI2, 0, kU16Max),
        V(P::PackOvAlarm, 0x67, 0x66, K::UInt, 0, kU32Max),
        V(P::PackOvProtect, 0x71, 0x70, K::UInt, 0, kU32Max),
        V(P::PackOvRecover, 0x75, 0x74, K::UInt, 0, kU32Max),
        Temp(P::ChargeHtAlarm, 0x35, 0x34),
        Temp(P::ChargeHtProtect, 0x51, 0x50),
        Temp(P::ChargeHtRecover, 0x0D, 0x0C),
        Temp(P::ChargeLtAlarm, 0x37, 0x36),
        Temp(P::ChargeLtProtect, 0x53, 0x52),
        Temp(P::ChargeLtRecover, 0x1B, 0x1A),
        V(P::DischargeOcAlarm, 0x39, 0x38, K::Int, kI32Min, kI32Max),
        V(P::DischargeOcProtect, 0x55, 0x54, K::Int, kI32Min, kI32Max),
        V(P::CellUvAlarm, 0x61, 0x60, K::I2, kI16Min, kI16Max),
        V(P::CellUvProtect, 0x65, 0x64, K::I2, kI16Min, kI16Max),
        V(P::CellUvRecover, 0x0B, 0x0A, K::UI2, 0, kU16Max),
        V(P::PackUvAlarm, 0x69, 0x68, K::UInt, 0, kU32Max),
        V(P::PackUvProtect, 0x73, 0x72, K::UInt, 0, kU32Max),
        V(P::PackUvRecover, 0x77, 0x76, K::UInt, 0, kU32Max),
        Temp(P::DischargeHtAlarm, 0x31, 0x30),
        Temp(P::DischargeHtProtect, 0x47, 0x46),
        Temp(P::DischargeHtRecover, 0x0F, 0x0E),
        Temp(P::DischargeLtAlarm, 0x33, 0x32),
        Temp(P::DischargeLtProtect, 0x49, 0x48),
        Temp(P::DischargeLtRecover, 0x1D, 0x1C),

        {P::WakeSource, kParam, 0x5A, kNoCode, F::WakeUp, K::UI1, 0, 0, 0},
        {P::RecordClear, kRecord, kNoCode, 0x02, F::RecordClear, K::UI1, 0, 0, 0},
    }};
}();
// clang-format on

constexpr const ParamWire &ParamWireOf(ParamId id)
{
    return kParamTable[static_cast<std::size_t>(id)];
}

// The table is indexed by id.
constexpr bool ParamTableInIdOrder()
{
    for (std::size_t i = 0; i < kParamCount; ++i)
        if (static_cast<std::size_t>(kParamTable[i].id) != i)
            return false;
    return true;
}
static_assert(ParamTableInIdOrder());
