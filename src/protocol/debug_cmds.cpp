#include "protocol/debug_cmds.h"

#include "protocol/bytes.h"
#include "protocol/tr_marker.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {
std::uint8_t Low8(int v)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(v));
}

// clang-format off
constexpr FillInKind kFillInKinds[] = {
    {1065, PYLVEX_TR_NOOP("FillInKind", "充电内阻"), 14, false, 65535, 1064},
    {1255, PYLVEX_TR_NOOP("FillInKind", "放电内阻"), 14, false, 65535, 1253},
    {1281, PYLVEX_TR_NOOP("FillInKind", "开路电压"), 14, false, 65535, 1279},
    {1184, PYLVEX_TR_NOOP("FillInKind", "寄存器"), 20, true, 255, 0},
};
// clang-format on
} // namespace

Payload ProductionDatePayload(int year, int month, int day)
{
    const std::uint8_t data[3] = {Low8(year - 2000), Low8(month), Low8(day)};
    return CommandPayload(kCmdProductionDateWrite, data);
}

std::optional<ProductionDate> DecodeProductionDateAnswer(DataBytes data)
{
    if (data.size() < static_cast<std::size_t>(kNeedProductionDate))
        return std::nullopt;
    return DecodeProductionDate(data.subspan(1));
}

std::optional<Versions> DecodeVersionsAnswer(DataBytes data)
{
    if (data.empty())
        return std::nullopt;
    return DecodeVersions(data.subspan(1));
}

Payload ArrangementPayload(const Arrangement &a)
{
    std::uint8_t data[4] = {a.series, a.parallel, 0, 0};
    WriteBe16(data + 2, a.capacity);
    return CommandPayload(kCmdArrangementWrite, data);
}

std::optional<Arrangement> DecodeArrangement(DataBytes data)
{
    std::optional<std::uint16_t> capacity = ReadBe16(data, 3);
    if (!capacity)
        return std::nullopt;
    return Arrangement{data[1], data[2], *capacity};
}

std::array<std::uint8_t, kSnFieldBytes> SnField(std::string_view text)
{
    std::array<std::uint8_t, kSnFieldBytes> field{};
    std::size_t n = std::min(text.size(), kSnFieldBytes);
    for (std::size_t i = 0; i < n; ++i)
        field[i] = static_cast<std::uint8_t>(text[i]);
    return field;
}

Payload SnWritePayload(std::string_view text)
{
    return CommandPayload(kCmdSnWrite, SnField(text));
}

std::string DecodeSnAnswer(DataBytes data)
{
    if (data.empty())
        return {};
    DataBytes sn = data.subspan(1);
    return DecodeSnText(sn.first(std::min(sn.size(), kSnFieldBytes)));
}

std::string ValuesText(std::span<const std::uint16_t> values)
{
    std::string text;
    char buf[8];
    for (std::uint16_t v : values) {
        std::snprintf(buf, sizeof buf, "%u ", static_cast<unsigned>(v));
        text += buf;
    }
    return text;
}

Payload OcvPayload(const FourteenValues &values)
{
    std::array<std::uint8_t, 2 * kMeasuredValues> data{};
    for (std::size_t i = 0; i < kMeasuredValues; ++i)
        WriteBe16(data.data() + 2 * i, values[i]);
    return CommandPayload(kCmdOcvWrite, data);
}

std::optional<FourteenValues> DecodeOcv(DataBytes data)
{
    if (data.size() != static_cast<std::size_t>(kNeedOcv))
        return std::nullopt;
    FourteenValues values{};
    for (std::size_t i = 0; i < kMeasuredValues; ++i)
        values[i] = ReadBe16(data, 1 + 2 * i).value_or(0);
    return values;
}

FourteenParse ParseFourteen(std::string_view text)
{
    FourteenParse p;
    std::vector<std::string_view> pieces = SplitNumbers(TrimText(text));
    p.pieces = pieces.size();
    if (pieces.size() != kMeasuredValues)
        return p;
    for (std::size_t i = 0; i < kMeasuredValues; ++i) {
        EditInt v = ParseEditInt(pieces[i], 0, 65535, true);
        if (v.check != EditIntCheck::Ok) {
            p.status = FourteenParse::Refused;
            p.refusedPiece = i;
            p.check = v.check;
            return p;
        }
        p.values[i] = static_cast<std::uint16_t>(v.value);
    }
    p.status = FourteenParse::Ok;
    return p;
}

std::array<std::int32_t, kMeasuredValues> FillInPrefill(std::string_view text)
{
    std::array<std::int32_t, kMeasuredValues> values{};
    std::vector<std::string_view> pieces = SplitNumbers(text);
    for (std::size_t i = 0; i < kMeasuredValues && i < pieces.size(); ++i)
        values[i] = CSignedValue(ScanCNumber(pieces[i]));
    return values;
}

CommandId ResistanceReadCommand(ResistanceTable table)
{
    return table == ResistanceTable::Charge ? kCmdChargeResistanceRead : kCmdDischargeResistanceRead;
}

CommandId ResistanceWriteCommand(ResistanceTable table)
{
    return table == ResistanceTable::Charge ? kCmdChargeResistanceWrite : kCmdDischargeResistanceWrite;
}

std::optional<ResistanceTable> ResistanceTableOf(std::uint8_t code)
{
    for (ResistanceTable t : {ResistanceTable::Charge, ResistanceTable::Discharge}) {
        std::uint8_t plain = code & 0x7F;
        if (plain == ResistanceReadCommand(t).code || plain == ResistanceWriteCommand(t).code)
            return t;
    }
    return std::nullopt;
}

Payload ResistanceReadPayload(ResistanceTable table, std::uint8_t index)
{
    return CommandPayload(ResistanceReadCommand(table), {&index, 1});
}

std::array<std::uint8_t, kMeasurementBytes> EncodeMeasurement(const Measurement &m)
{
    std::array<std::uint8_t, kMeasurementBytes> data{};
    for (std::size_t i = 0; i < kMeasuredValues; ++i)
        WriteBe16(data.data() + 2 * i, m.values[i]);
    WriteBe32(data.data() + 28, static_cast<std::uint32_t>(m.current));
    data[32] = m.index;
    return data;
}

Payload ResistanceWritePayload(ResistanceTable table, const Measurement &m)
{
    return CommandPayload(ResistanceWriteCommand(table), EncodeMeasurement(m));
}

std::optional<ResistanceAnswer> DecodeResistance(DataBytes data)
{
    if (data.size() < 1 + 2 * kMeasuredValues)
        return std::nullopt;
    ResistanceAnswer a;
    for (std::size_t i = 0; i < kMeasuredValues; ++i)
        a.values[i] = ReadBe16(data, 1 + 2 * i).value_or(0);
    if (data.size() >= 1 + kMeasurementBytes) {
        a.current = static_cast<std::int32_t>(ReadBe32(data, 29).value_or(0));
        a.index = data[33];
    }
    return a;
}

std::optional<Measurement> ParseTableRow(std::string_view current, std::string_view resistances, std::uint8_t index)
{
    current = TrimText(current);
    resistances = TrimText(resistances);
    Measurement m;
    m.index = index;
    if (current.empty() || resistances.empty() || !IsStrictInt32(current, &m.current))
        return std::nullopt;
    std::vector<std::string_view> pieces = SplitNumbers(resistances);
    if (pieces.size() != kMeasuredValues)
        return std::nullopt;
    for (std::size_t i = 0; i < kMeasuredValues; ++i) {
        std::int32_t v = 0;
        if (!IsStrictInt32(pieces[i], &v) || v < 0 || v > 65535)
            return std::nullopt;
        m.values[i] = static_cast<std::uint16_t>(v);
    }
    return m;
}

std::optional<int> TableListRow(ResistanceTable table, std::uint8_t index)
{
    if (index > 1)
        return std::nullopt;
    return (table == ResistanceTable::Charge ? 0 : 2) + index;
}

Payload RegisterReadPayload()
{
    const std::uint8_t data[3] = {0x00, 0x00, 0x00};
    return CommandPayload(kCmdRegisterRead, data);
}

Payload RegisterWritePayload(const RegisterBlock &block)
{
    return CommandPayload(kCmdRegisterWrite, block);
}

std::string RegisterHexText(DataBytes data)
{
    std::string text;
    char buf[4];
    for (std::size_t i = 1; i < data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X ", data[i]);
        text += buf;
    }
    return text;
}

std::size_t MergeRegisterAnswer(DataBytes data, RegisterBlock &block)
{
    if (data.empty())
        return 0;
    std::size_t n = std::min(data.size() - 1, kRegisterBytes);
    std::copy_n(data.begin() + 1, n, block.begin());
    return n;
}

bool IsRepeaterExitAnswer(DataBytes data)
{
    return data.size() == 1 && data[0] == 0xFF;
}

const FillInKind *FillInKindOf(int fieldId)
{
    for (const FillInKind &k : kFillInKinds)
        if (k.fieldId == fieldId)
            return &k;
    return nullptr;
}

std::span<const FillInKind> FillInKinds()
{
    return kFillInKinds;
}

std::string FillInTitle(const FillInKind &kind)
{
    return std::string("设置") + kind.name;
}

std::string FillInLabel(const FillInKind &kind, int box)
{
    return std::string(kind.name) + " " + std::to_string(box);
}

std::string FillInValueText(const FillInKind &kind, std::int32_t value)
{
    char buf[16];
    if (kind.hex)
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(value) & 0xFFu);
    else
        std::snprintf(buf, sizeof buf, "%d", value);
    return buf;
}

FillInValue ParseFillInValue(const FillInKind &kind, std::string_view text)
{
    EditInt v = ParseEditInt(text, 0, kind.max, !kind.hex, kind.hex ? 16 : 10);
    switch (v.check) {
    case EditIntCheck::Empty: return {FillInCheck::Empty, 0};
    case EditIntCheck::Leftover: return {FillInCheck::NotNumber, 0};
    case EditIntCheck::OutOfRange: return {FillInCheck::OutOfRange, 0};
    case EditIntCheck::Ok: break;
    }
    return {FillInCheck::Ok, static_cast<std::int32_t>(v.value)};
}
