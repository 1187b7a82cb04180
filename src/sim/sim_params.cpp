#include "sim/sim_params.h"

#include <limits>

namespace {
using K = FieldKind;
constexpr std::int64_t kAny = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kAll = std::numeric_limits<std::int64_t>::max();

constexpr ParamRow One(ParamId id, std::uint8_t rd, std::uint8_t wr, FieldKind kind, std::int64_t value,
                       std::int64_t min = kAny, std::int64_t max = kAll)
{
    return ParamRow{id, rd, wr, 1, {kind, kind, kind, kind}, {value, 0, 0, 0}, min, max};
}

constexpr ParamRow Two(ParamId id, std::uint8_t rd, std::uint8_t wr, FieldKind kind, std::int64_t a, std::int64_t b,
                       std::int64_t min = kAny, std::int64_t max = kAll)
{
    return ParamRow{id, rd, wr, 2, {kind, kind, kind, kind}, {a, b, 0, 0}, min, max};
}

// Temperatures in hundredths of a degree.
constexpr std::int64_t C(int degrees)
{
    return degrees * 100;
}

constexpr ParamRow kRows[] = {
    One(ParamId::IdleWait, 0x13, 0x12, K::U16, 60),
    One(ParamId::ConsumptionUpdate, 0x15, 0x14, K::U16, 30),
    One(ParamId::StandbyWakeCheck, 0x17, 0x16, K::U16, 600),
    One(ParamId::KeyWakeTime, 0x19, 0x18, K::U16, 3),
    One(ParamId::PrechargeTime, 0x21, 0x20, K::U16, 500),
    One(ParamId::ProbeCount, 0x3F, 0x3E, K::U8, 4, 2, 8),
    One(ParamId::StandbyVoltage, 0x23, 0x22, K::U16, 2900),
    One(ParamId::BalanceVoltage, 0x4D, 0x4C, K::U16, 3330),
    Two(ParamId::BalanceDiff, 0x4F, 0x4E, K::U16, 20, 8),
    Two(ParamId::CycleThreshold, 0x4B, 0x4A, K::U8, 80, 20, 0, 100),
    ParamRow{ParamId::CurrentDetect, 0x25, 0x24, 4, {K::I16, K::I16, K::I16, K::I16}, {300, 200, 300, 200}, kAny, kAll},
    Two(ParamId::PrechargeShort, 0x3D, 0x3C, K::U16, 5000, 100),
    Two(ParamId::ShortCircuit, 0x3B, 0x3A, K::U16, 400, 300),
    One(ParamId::ChargeMosAlarm, 0x27, 0x26, K::I16, C(85)),
    One(ParamId::ChargeMosProtect, 0x43, 0x42, K::I16, C(100)),
    One(ParamId::ChargeMosRecover, 0x2B, 0x2A, K::I16, C(75)),
    One(ParamId::DischargeMosAlarm, 0x29, 0x28, K::I16, C(85)),
    One(ParamId::DischargeMosProtect, 0x45, 0x44, K::I16, C(100)),
    One(ParamId::DischargeMosRecover, 0x1F, 0x1E, K::I16, C(75)),

    One(ParamId::ChargeOcAlarm, 0x41, 0x40, K::I32, 50000),
    One(ParamId::ChargeOcProtect, 0x57, 0x56, K::I32, 55000),
    One(ParamId::CellOvAlarm, 0x59, 0x58, K::I16, 3600),
    One(ParamId::CellOvProtect, 0x63, 0x62, K::I16, 3650),
    One(ParamId::CellOvRecover, 0x79, 0x78, K::U16, 3450),
    One(ParamId::PackOvAlarm, 0x67, 0x66, K::U32, 57600),
    One(ParamId::PackOvProtect, 0x71, 0x70, K::U32, 58400),
    One(ParamId::PackOvRecover, 0x75, 0x74, K::U32, 55200),
    One(ParamId::ChargeHtAlarm, 0x35, 0x34, K::I16, C(50)),
    One(ParamId::ChargeHtProtect, 0x51, 0x50, K::I16, C(55)),
    One(ParamId::ChargeHtRecover, 0x0D, 0x0C, K::I16, C(45)),
    One(ParamId::ChargeLtAlarm, 0x37, 0x36, K::I16, C(2)),
    One(ParamId::ChargeLtProtect, 0x53, 0x52, K::I16, C(0)),
    One(ParamId::ChargeLtRecover, 0x1B, 0x1A, K::I16, C(5)),
    One(ParamId::DischargeOcAlarm, 0x39, 0x38, K::I32, 100000),
    One(ParamId::DischargeOcProtect, 0x55, 0x54, K::I32, 110000),
    One(ParamId::CellUvAlarm, 0x61, 0x60, K::I16, 2800),
    One(ParamId::CellUvProtect, 0x65, 0x64, K::I16, 2500),
    One(ParamId::CellUvRecover, 0x0B, 0x0A, K::U16, 2900),
    One(ParamId::PackUvAlarm, 0x69, 0x68, K::U32, 44800),
    One(ParamId::PackUvProtect, 0x73, 0x72, K::U32, 40000),
    One(ParamId::PackUvRecover, 0x77, 0x76, K::U32, 46400),
    One(ParamId::DischargeHtAlarm, 0x31, 0x30, K::I16, C(55)),
    One(ParamId::DischargeHtProtect, 0x47, 0x46, K::I16, C(60)),
    One(ParamId::DischargeHtRecover, 0x0F, 0x0E, K::I16, C(50)),
    One(ParamId::DischargeLtAlarm, 0x33, 0x32, K::I16, C(-10)),
    One(ParamId::DischargeLtProtect, 0x49, 0x48, K::I16, C(-20)),
    One(ParamId::DischargeLtRecover, 0x1D, 0x1C, K::I16, C(-5)),
};
static_assert(std::size(kRows) == static_cast<std::size_t>(ParamId::Count));

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
