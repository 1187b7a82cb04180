// The board's parameters of class 0x02: one row per parameter with its read
// and write codes, the layout of its value on the wire and its default, for a
// 16-cell LiFePO4 pack of 50 Ah. Temperatures are hundredths of a degree.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

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
    Count
};

// Result codes of the board's answers.
inline constexpr std::uint8_t kResultOk = 0x00;
inline constexpr std::uint8_t kResultUnknown = 0x01;   // command not supported
inline constexpr std::uint8_t kResultBadLength = 0x02; // request data of the wrong length
inline constexpr std::uint8_t kResultBadValue = 0x03;  // a value the board cannot take

enum class FieldKind : std::uint8_t { U8, I16, U16, I32, U32 };

struct ParamRow {
    ParamId id;
    std::uint8_t readCode;
    std::uint8_t writeCode;
    std::uint8_t fieldCount;
    std::array<FieldKind, 4> fields;
    std::array<std::int64_t, 4> defaults;
    // Inclusive bounds every field must keep; a write outside is refused.
    std::int64_t min;
    std::int64_t max;
};

// Every class 0x02 parameter row.
std::span<const ParamRow> ParamRows();
const ParamRow &ParamRowOf(ParamId id);
std::size_t FieldSize(FieldKind kind);
std::size_t RowDataSize(const ParamRow &row);

// The stored values of one board.
class ParamStore {
public:
    ParamStore();
    std::int64_t Get(ParamId id, int field = 0) const;
    void Set(ParamId id, int field, std::int64_t value);
    // The row's values big-endian, as a read answer carries them after the result code.
    std::vector<std::uint8_t> Encode(const ParamRow &row) const;
    // Decodes a write request's data into values; the result code of the
    // answer: kResultOk, kResultBadLength or kResultBadValue.
    static std::uint8_t Decode(const ParamRow &row, std::span<const std::uint8_t> data,
                               std::array<std::int64_t, 4> &values);
    void Store(const ParamRow &row, const std::array<std::int64_t, 4> &values);

private:
    std::array<std::array<std::int64_t, 4>, static_cast<std::size_t>(ParamId::Count)> m_values{};
};
