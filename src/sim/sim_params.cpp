#include "sim/sim_params.h"

#include <limits>

namespace {
using K = FieldKind;
constexpr std::int64_t kAny = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kAll = std::numeric_limits<std::int64_t>::max();

// The field kind a value of this kind is stored and sent as.
constexpr FieldKind FieldOf(ValueKind kind)
{
    switch (kind) {
    case ValueKind::UI1: return K::U8;
    case ValueKind::I2: return K::I16;
    case ValueKind::UI2: return K::U16;
    case ValueKind::Int: return K::I32;
    case ValueKind::UInt: return K::U32;
    default: return K::U8;
    }
}

// A stored parameter's row: codes, field kind and count from the parameter
// table, then its defaults and the range the board accepts.
constexpr ParamRow Row(ParamId id, std::array<std::int64_t, 4> defaults, std::int64_t min = kAny,
                       std::int64_t max = kAll)
{
    const ParamWire &w = ParamWireOf(id);
    const FieldKind kind = FieldOf(w.kind);
    return ParamRow{id,
                    static_cast<std::uint8_t>(w.readCode),
                    static_cast<std::uint8_t>(w.writeCode),
                    static_cast<std::uint8_t>(w.writtenValues),
                    {kind, kind, kind, kind},
                    defaults,
                    min,
                    max};
}

constexpr ParamRow One(ParamId id, std::int64_t value, std::int64_t min = kAny, std::int64_t max = kAll)
{
    return Row(id, {value, 0, 0, 0}, min, max);
}

constexpr ParamRow Two(ParamId id, std::int64_t a, std::int64_t b, std::int64_t min = kAny, std::int64_t max = kAll)
{
    return Row(id, {a, b, 0, 0}, min, max);
}

// Temperatures in hundredths of a degree.
constexpr std::int64_t C(int degrees)
{
    return degrees * 100;
}

constexpr ParamRow kRows[] = {
    One(ParamId::IdleWait, 60),
    One(ParamId::ConsumptionUpdate, 30),
    One(ParamId::StandbyWakeCheck, 600),
    One(ParamId::KeyWakeTime, 3),
    One(ParamId::PrechargeTime, 500),
    One(ParamId::ProbeCount, 4, 2, 8),
    One(ParamId::StandbyVoltage, 2900),
    One(ParamId::BalanceVoltage, 3330),
    Two(ParamId::BalanceDiff, 20, 8),
    Two(ParamId::CycleThreshold, 80, 20, 0, 100),
    Row(ParamId::CurrentDetect, {300, 200, 300, 200}),
    Two(ParamId::PrechargeShort, 5000, 100),
    Two(ParamId::ShortCircuit, 400, 300),
    One(ParamId::ChargeMosAlarm, C(85)),
    One(ParamId::ChargeMosProtect, C(100)),
    One(ParamId::ChargeMosRecover, C(75)),
    One(ParamId::DischargeMosAlarm, C(85)),
    One(ParamId::DischargeMosProtect, C(100)),
    One(ParamId::DischargeMosRecover, C(75)),

    One(ParamId::ChargeOcAlarm, 50000),
    One(ParamId::ChargeOcProtect, 55000),
    One(ParamId::CellOvAlarm, 3600),
    One(ParamId::CellOvProtect, 3650),
    One(ParamId::CellOvRecover, 3450),
    One(ParamId::PackOvAlarm, 57600),
    One(ParamId::PackOvProtect, 58400),
    One(ParamId::PackOvRecover, 55200),
    One(ParamId::ChargeHtAlarm, C(50)),
    One(ParamId::ChargeHtProtect, C(55)),
    One(ParamId::ChargeHtRecover, C(45)),
    One(ParamId::ChargeLtAlarm, C(2)),
    One(ParamId::ChargeLtProtect, C(0)),
    One(ParamId::ChargeLtRecover, C(5)),
    One(ParamId::DischargeOcAlarm, 100000),
    One(ParamId::DischargeOcProtect, 110000),
    One(ParamId::CellUvAlarm, 2800),
    One(ParamId::CellUvProtect, 2500),
    One(ParamId::CellUvRecover, 2900),
    One(ParamId::PackUvAlarm, 44800),
    One(ParamId::PackUvProtect, 40000),
    One(ParamId::PackUvRecover, 46400),
    One(ParamId::DischargeHtAlarm, C(55)),
    One(ParamId::DischargeHtProtect, C(60)),
    One(ParamId::DischargeHtRecover, C(50)),
    One(ParamId::DischargeLtAlarm, C(-10)),
    One(ParamId::DischargeLtProtect, C(-20)),
    One(ParamId::DischargeLtRecover, C(-5)),
};
static_assert(std::size(kRows) == kStoredParamCount);

std::int64_t ReadField(FieldKind kind, const std::uint8_t *p)
{
    switch (kind) {
    case K::U8: return p[0];
    case K::I16: return static_cast<std::int16_t>((p[0] << 8) | p[1]);
    case K::U16: return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    case K::I32:
    case K::U32: {
        std::uint32_t v = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
        return kind == K::I32 ? std::int64_t(static_cast<std::int32_t>(v)) : std::int64_t(v);
    }
    }
    return 0;
}
} // namespace

std::span<const ParamRow> ParamRows()
{
    return kRows;
}

const ParamRow &ParamRowOf(ParamId id)
{
    for (const ParamRow &row : kRows)
        if (row.id == id)
            return row;
    return kRows[0];
}

std::size_t FieldSize(FieldKind kind)
{
    switch (kind) {
    case K::U8: return 1;
    case K::I16:
    case K::U16: return 2;
    case K::I32:
    case K::U32: return 4;
    }
    return 0;
}

std::size_t RowDataSize(const ParamRow &row)
{
    std::size_t size = 0;
    for (int i = 0; i < row.fieldCount; ++i)
        size += FieldSize(row.fields[i]);
    return size;
}

ParamStore::ParamStore()
{
    for (const ParamRow &row : kRows)
        m_values[static_cast<std::size_t>(row.id)] = row.defaults;
}

std::int64_t ParamStore::Get(ParamId id, int field) const
{
    return m_values[static_cast<std::size_t>(id)][static_cast<std::size_t>(field)];
}

void ParamStore::Set(ParamId id, int field, std::int64_t value)
{
    m_values[static_cast<std::size_t>(id)][static_cast<std::size_t>(field)] = value;
}

std::vector<std::uint8_t> ParamStore::Encode(const ParamRow &row) const
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < row.fieldCount; ++i) {
        auto v = static_cast<std::uint32_t>(Get(row.id, i));
        std::size_t size = FieldSize(row.fields[i]);
        for (std::size_t b = size; b-- > 0;)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
    }
    return out;
}

std::uint8_t ParamStore::Decode(const ParamRow &row, std::span<const std::uint8_t> data,
                                std::array<std::int64_t, 4> &values)
{
    if (data.size() != RowDataSize(row))
        return kResultBadLength;
    const std::uint8_t *p = data.data();
    for (int i = 0; i < row.fieldCount; ++i) {
        values[i] = ReadField(row.fields[i], p);
        if (values[i] < row.min || values[i] > row.max)
            return kResultBadValue;
        p += FieldSize(row.fields[i]);
    }
    return kResultOk;
}

void ParamStore::Store(const ParamRow &row, const std::array<std::int64_t, 4> &values)
{
    for (int i = 0; i < row.fieldCount; ++i)
        Set(row.id, i, values[i]);
}
