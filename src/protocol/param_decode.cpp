#include "protocol/param_decode.h"

#include "protocol/bytes.h"
#include "protocol/tr_marker.h"

namespace {

using F = RowFormat;
using K = ValueKind;

constexpr std::array<int, 4> E(int a, int b = 0, int c = 0, int d = 0)
{
    return {a, b, c, d};
}
constexpr std::array<const char *, 4> T(const char *a = nullptr, const char *b = nullptr, const char *c = nullptr,
                                        const char *d = nullptr)
{
    return {a, b, c, d};
}

using P = ParamId;

// A page row: its layout plus the parameter's wire facts from the one table.
constexpr PageParamRow R(int n, const char *label, int chk, std::array<int, 4> edits,
                         std::array<const char *, 4> captions, std::array<const char *, 4> units, int led, ParamId id)
{
    const ParamWire &w = ParamWireOf(id);
    return {n,           label,    chk,    edits, captions, units,           led, w.cls, w.readCode,
            w.writeCode, w.format, w.kind, w.min, w.max,    w.writtenValues, id};
}
// A one-box row of the alarm page.
constexpr PageParamRow PR(int n, const char *label, int chk, int edit, int led, ParamId id, const char *unit)
{
    return R(n, label, chk, E(edit), T(), T(unit), led, id);
}

// clang-format off
constexpr PageParamRow kWakeupRows[] = {
    R(1, PYLVEX_TR_NOOP("ParamTable", "唤醒方式："), 1268, E(1267), T(), T(), 1269, P::WakeSource),
    R(2, PYLVEX_TR_NOOP("ParamTable", "无操作等待时间："), 1341, E(1339), T(), T(PYLVEX_TR_NOOP("ParamTable", "秒")), 1340, P::IdleWait),
    R(3, PYLVEX_TR_NOOP("ParamTable", "耗电更新时间："), 1264, E(1266), T(), T(PYLVEX_TR_NOOP("ParamTable", "分钟")), 1265, P::ConsumptionUpdate),
    R(4, PYLVEX_TR_NOOP("ParamTable", "待机定时唤醒检测："), 1198, E(1199), T(), T(PYLVEX_TR_NOOP("ParamTable", "秒")), 1200, P::StandbyWakeCheck),
    R(5, PYLVEX_TR_NOOP("ParamTable", "按键唤醒时间："), 1002, E(1001), T(), T(PYLVEX_TR_NOOP("ParamTable", "秒")), 1003, P::KeyWakeTime),
    R(6, PYLVEX_TR_NOOP("ParamTable", "预放电电容充电："), 1347, E(1346), T(), T(PYLVEX_TR_NOOP("ParamTable", "毫秒")), 1345, P::PrechargeTime),
    R(7, PYLVEX_TR_NOOP("ParamTable", "温度探头个数："), 1343, E(1344), T(), T(), 1342, P::ProbeCount),
    R(8, PYLVEX_TR_NOOP("ParamTable", "进入待机模式电压："), 1191, E(1189), T(), T("mV"), 1190, P::StandbyVoltage),
    R(9, PYLVEX_TR_NOOP("ParamTable", "均衡开启电压值："), 1273, E(1274), T(), T("mV"), 1272, P::BalanceVoltage),
    R(10, PYLVEX_TR_NOOP("ParamTable", "均衡开启压差值："), 1275, E(1276, 1278), T(PYLVEX_TR_NOOP("ParamTable", "开启压差"), PYLVEX_TR_NOOP("ParamTable", "恢复压差")), T("mV", "mV"), 1277,
     P::BalanceDiff),
    R(11, PYLVEX_TR_NOOP("ParamTable", "充放电循环次数检测门限："), 1119, E(1118, 1121, 1120), T(PYLVEX_TR_NOOP("ParamTable", "检测上限值"), PYLVEX_TR_NOOP("ParamTable", "检测下限值"), PYLVEX_TR_NOOP("ParamTable", "循环次数")),
     T("%", "%"), 1117, P::CycleThreshold),
    R(12, PYLVEX_TR_NOOP("ParamTable", "记录清除："), 1479, E(1481), T(), T(), 1480, P::RecordClear),
    R(13, PYLVEX_TR_NOOP("ParamTable", "充放电电流上下阀值："), 1217, E(1218, 1220, 1221, 1222),
     T(PYLVEX_TR_NOOP("ParamTable", "充电检测电流"), PYLVEX_TR_NOOP("ParamTable", "充电释放电流"), PYLVEX_TR_NOOP("ParamTable", "放电检测电流"), PYLVEX_TR_NOOP("ParamTable", "放电释放电流")), T("mA", "mA", "mA", "mA"), 1219,
     P::CurrentDetect),
    R(14, PYLVEX_TR_NOOP("ParamTable", "预放电短路保护："), 1350, E(1348, 1351), T(PYLVEX_TR_NOOP("ParamTable", "短路电流"), PYLVEX_TR_NOOP("ParamTable", "短路延时")), T("mA", PYLVEX_TR_NOOP("ParamTable", "毫秒")), 1349,
     P::PrechargeShort),
    R(15, PYLVEX_TR_NOOP("ParamTable", "短路保护："), 1215, E(1213, 1216), T(PYLVEX_TR_NOOP("ParamTable", "短路电流"), PYLVEX_TR_NOOP("ParamTable", "短路延时")), T("A", PYLVEX_TR_NOOP("ParamTable", "微妙")), 1214,
     P::ShortCircuit),
    R(16, PYLVEX_TR_NOOP("ParamTable", "充电MOS高温报警："), 1061, E(1062), T(), T("℃"), 1060, P::ChargeMosAlarm),
    R(17, PYLVEX_TR_NOOP("ParamTable", "充电MOS高温保护："), 1057, E(1059), T(), T("℃"), 1058, P::ChargeMosProtect),
    R(18, PYLVEX_TR_NOOP("ParamTable", "充电MOS高温恢复："), 1259, E(1258), T(), T("℃ "), 1260, P::ChargeMosRecover),
    R(19, PYLVEX_TR_NOOP("ParamTable", "放电MOS高温报警："), 1252, E(1250), T(), T("℃"), 1251, P::DischargeMosAlarm),
    R(20, PYLVEX_TR_NOOP("ParamTable", "放电MOS高温保护："), 1247, E(1249), T(), T("℃"), 1248, P::DischargeMosProtect),
    R(21, PYLVEX_TR_NOOP("ParamTable", "放电MOS高温恢复："), 1261, E(1262), T(), T("℃ "), 1263, P::DischargeMosRecover),
};
constexpr int kWakeupRead[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21};
constexpr int kWakeupWrite[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 12};

constexpr PageParamRow kAlarmRows[] = {
    PR(1, PYLVEX_TR_NOOP("ParamTable", "充电过流报警："), 1040, 1039, 1041, P::ChargeOcAlarm, "mA"),
    PR(2, PYLVEX_TR_NOOP("ParamTable", "充电过流保护："), 1037, 1036, 1038, P::ChargeOcProtect, "mA"),
    PR(3, PYLVEX_TR_NOOP("ParamTable", "单节过充报警："), 1206, 1204, 1205, P::CellOvAlarm, "mV"),
    PR(4, PYLVEX_TR_NOOP("ParamTable", "单节过充保护："), 1201, 1202, 1203, P::CellOvProtect, "mV"),
    PR(5, PYLVEX_TR_NOOP("ParamTable", "单节过充恢复："), 1192, 1193, 1194, P::CellOvRecover, "mV"),
    PR(6, PYLVEX_TR_NOOP("ParamTable", "总电压过充报警："), 1355, 1356, 1357, P::PackOvAlarm, "mV"),
    PR(7, PYLVEX_TR_NOOP("ParamTable", "总电压过充保护："), 1352, 1353, 1354, P::PackOvProtect, "mV"),
    PR(8, PYLVEX_TR_NOOP("ParamTable", "总电压过充恢复："), 1360, 1359, 1358, P::PackOvRecover, "mV"),
    PR(9, PYLVEX_TR_NOOP("ParamTable", "充电高温报警："), 1046, 1045, 1047, P::ChargeHtAlarm, "℃"),
    PR(10, PYLVEX_TR_NOOP("ParamTable", "充电高温保护："), 1043, 1044, 1042, P::ChargeHtProtect, "℃"),
    PR(11, PYLVEX_TR_NOOP("ParamTable", "充电高温恢复："), 1050, 1048, 1049, P::ChargeHtRecover, "℃ "),
    PR(12, PYLVEX_TR_NOOP("ParamTable", "充电低温报警："), 1032, 1031, 1030, P::ChargeLtAlarm, "℃"),
    PR(13, PYLVEX_TR_NOOP("ParamTable", "充电低温保护："), 1029, 1027, 1028, P::ChargeLtProtect, "℃"),
    PR(14, PYLVEX_TR_NOOP("ParamTable", "充电低温恢复："), 1035, 1033, 1034, P::ChargeLtRecover, "℃ "),
    PR(15, PYLVEX_TR_NOOP("ParamTable", "放电过流报警："), 1236, 1235, 1237, P::DischargeOcAlarm, "mA"),
    PR(16, PYLVEX_TR_NOOP("ParamTable", "放电过流保护："), 1233, 1234, 1232, P::DischargeOcProtect, "mA"),
    PR(17, PYLVEX_TR_NOOP("ParamTable", "单节过放报警："), 1212, 1210, 1211, P::CellUvAlarm, "mV"),
    PR(18, PYLVEX_TR_NOOP("ParamTable", "单节过放保护："), 1209, 1207, 1208, P::CellUvProtect, "mV"),
    PR(19, PYLVEX_TR_NOOP("ParamTable", "单节过放恢复："), 1195, 1196, 1197, P::CellUvRecover, "mV"),
    PR(20, PYLVEX_TR_NOOP("ParamTable", "总电压过放报警："), 1365, 1366, 1364, P::PackUvAlarm, "mV"),
    PR(21, PYLVEX_TR_NOOP("ParamTable", "总电压过放保护："), 1361, 1362, 1363, P::PackUvProtect, "mV"),
    PR(22, PYLVEX_TR_NOOP("ParamTable", "总电压过放恢复："), 1369, 1367, 1368, P::PackUvRecover, "mV"),
    PR(23, PYLVEX_TR_NOOP("ParamTable", "放电高温报警："), 1242, 1243, 1241, P::DischargeHtAlarm, "℃"),
    PR(24, PYLVEX_TR_NOOP("ParamTable", "放电高温保护："), 1239, 1240, 1238, P::DischargeHtProtect, "℃"),
    PR(25, PYLVEX_TR_NOOP("ParamTable", "放电高温恢复："), 1245, 1246, 1244, P::DischargeHtRecover, "℃ "),
    PR(26, PYLVEX_TR_NOOP("ParamTable", "放电低温报警："), 1227, 1226, 1228, P::DischargeLtAlarm, "℃"),
    PR(27, PYLVEX_TR_NOOP("ParamTable", "放电低温保护："), 1224, 1225, 1223, P::DischargeLtProtect, "℃"),
    PR(28, PYLVEX_TR_NOOP("ParamTable", "放电低温恢复："), 1230, 1229, 1231, P::DischargeLtRecover, "℃ "),
};
constexpr int kAlarmOrder[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                               15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
// clang-format on

const ParamPageRows kWakeupPage{kWakeupRows, kWakeupRead, kWakeupWrite};
const ParamPageRows kAlarmPage{kAlarmRows, kAlarmOrder, kAlarmOrder};

void AppendBe(std::vector<std::uint8_t> &out, std::int64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
}

std::string Num(long long value)
{
    return std::to_string(value);
}

} // namespace

int ValueKindBytes(ValueKind kind)
{
    switch (kind) {
    case K::I1:
    case K::UI1: return 1;
    case K::I2:
    case K::UI2: return 2;
    case K::Int:
    case K::UInt: return 4;
    }
    return 0;
}

int PageParamRow::EditCount() const
{
    int n = 0;
    while (n < kMaxRowEdits && editIds[n] != 0)
        ++n;
    return n;
}

const PageParamRow *ParamPageRows::Row(int number) const
{
    for (const PageParamRow &row : rows)
        if (row.number == number)
            return &row;
    return nullptr;
}

const PageParamRow *ParamPageRows::RowByChk(int chkId) const
{
    for (const PageParamRow &row : rows)
        if (row.chkId == chkId)
            return &row;
    return nullptr;
}

const PageParamRow *ParamPageRows::RowByResponse(std::uint8_t cls, std::uint8_t code) const
{
    const int c = cls & 0x7F;
    const int k = code & 0x7F;
    for (const PageParamRow &row : rows)
        if (row.cls == c && (row.readCode == k || row.writeCode == k))
            return &row;
    return nullptr;
}

const ParamPageRows &WakeupPageRows()
{
    return kWakeupPage;
}

const ParamPageRows &AlarmPageRows()
{
    return kAlarmPage;
}

int ResponseNeed(const PageParamRow &row, std::uint8_t code)
{
    switch (row.format) {
    case F::Value: return 1 + ValueKindBytes(row.kind);
    case F::Temperature: return 3;
    case F::TwoU16: return 5;
    case F::CycleThresholds: return (code & 0x7F) == row.readCode ? 5 : 3;
    case F::CurrentThresholds: return 9;
    case F::WakeUp: return 3;
    case F::RecordClear: return 2;
    }
    return 0;
}

std::span<const std::uint8_t> FrameData(const std::uint8_t *frame, std::size_t length)
{
    if (!frame || length < 5)
        return {};
    const std::size_t n = frame[4];
    const std::size_t present = length - 5;
    return {frame + 5, n < present ? n : present};
}

std::optional<std::array<std::uint16_t, 2>> DecodeTwoU16(std::span<const std::uint8_t> data)
{
    auto a = ReadBe16(data, 1);
    auto b = ReadBe16(data, 3);
    if (!a || !b)
        return std::nullopt;
    return std::array<std::uint16_t, 2>{*a, *b};
}

std::optional<CycleThresholds> DecodeCycleThresholds(std::span<const std::uint8_t> data, bool readAnswer)
{
    if (data.size() < 3)
        return std::nullopt;
    CycleThresholds out;
    out.upper = data[1];
    out.lower = data[2];
    if (readAnswer) {
        out.cycles = ReadBe16(data, 3);
        if (!out.cycles)
            return std::nullopt;
    }
    return out;
}

std::optional<std::array<std::int16_t, 4>> DecodeCurrentThresholds(std::span<const std::uint8_t> data)
{
    std::array<std::int16_t, 4> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto v = ReadBe16(data, 1 + 2 * i);
        if (!v)
            return std::nullopt;
        out[i] = static_cast<std::int16_t>(*v);
    }
    return out;
}

const char *WakeUpName(std::uint8_t code)
{
    switch (code) {
    case 0x01: return PYLVEX_TR_NOOP("ParamTable", "预放电唤醒");
    case 0x02: return PYLVEX_TR_NOOP("ParamTable", "按键唤醒");
    case 0x04: return PYLVEX_TR_NOOP("ParamTable", "充电器唤醒");
    case 0x08: return PYLVEX_TR_NOOP("ParamTable", "通讯唤醒");
    case 0x10: return PYLVEX_TR_NOOP("ParamTable", "锁控唤醒");
    case 0x20: return PYLVEX_TR_NOOP("ParamTable", "其他唤醒");
    case 0x40: return PYLVEX_TR_NOOP("ParamTable", "充电电流");
    case 0x80: return PYLVEX_TR_NOOP("ParamTable", "放电电流");
    default: return "N/A_n2a";
    }
}

int WireScale(const PageParamRow &row)
{
    return row.format == RowFormat::Temperature ? kTemperatureScale : 1;
}

int TemperatureShown(std::int16_t hundredths)
{
    return hundredths / 100; // C++ division truncates toward zero
}

std::optional<std::int64_t> DecodeKindValue(ValueKind kind, std::span<const std::uint8_t> bytes)
{
    const int width = ValueKindBytes(kind);
    if (width == 0 || bytes.size() < static_cast<std::size_t>(width))
        return std::nullopt;
    std::uint32_t v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | bytes[static_cast<std::size_t>(i)];
    switch (kind) {
    case K::I1: return static_cast<std::int8_t>(v);
    case K::I2: return static_cast<std::int16_t>(v);
    case K::Int: return static_cast<std::int32_t>(v);
    default: return static_cast<std::int64_t>(v);
    }
}

std::optional<std::vector<std::int64_t>> DecodeRowValues(const PageParamRow &row, std::uint8_t code,
                                                         std::span<const std::uint8_t> data)
{
    using Out = std::vector<std::int64_t>;
    const auto value = data.size() > 1 ? data.subspan(1) : std::span<const std::uint8_t>();
    switch (row.format) {
    case F::Value:
    case F::RecordClear: {
        auto v = DecodeKindValue(row.kind, value);
        if (!v)
            return std::nullopt;
        return Out{*v};
    }
    case F::Temperature: {
        auto v = ReadBe16(data, 1);
        if (!v)
            return std::nullopt;
        return Out{TemperatureShown(static_cast<std::int16_t>(*v))};
    }
    case F::TwoU16: {
        auto v = DecodeTwoU16(data);
        if (!v)
            return std::nullopt;
        return Out{(*v)[0], (*v)[1]};
    }
    case F::CycleThresholds: {
        auto v = DecodeCycleThresholds(data, (code & 0x7F) == row.readCode);
        if (!v)
            return std::nullopt;
        Out out{v->upper, v->lower};
        if (v->cycles)
            out.push_back(*v->cycles);
        return out;
    }
    case F::CurrentThresholds: {
        auto v = DecodeCurrentThresholds(data);
        if (!v)
            return std::nullopt;
        return Out{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
    }
    case F::WakeUp:
        if (data.size() < 2)
            return std::nullopt;
        return Out{data[1]};
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> DecodeRowTexts(const PageParamRow &row, std::uint8_t code,
                                                       std::span<const std::uint8_t> data)
{
    switch (row.format) {
    case F::TwoU16:
    case F::CycleThresholds:
    case F::CurrentThresholds: {
        auto values = DecodeRowValues(row, code, data);
        if (!values)
            return std::nullopt;
        std::vector<std::string> texts;
        for (std::int64_t v : *values)
            texts.push_back(Num(v));
        return texts;
    }
    case F::WakeUp:
        if (data.size() < 2)
            return std::nullopt;
        return std::vector<std::string>{WakeUpName(data[1])};
    default: return std::nullopt;
    }
}

std::vector<std::uint8_t> ReadPayload(const PageParamRow &row)
{
    if (row.readCode == kNoCode)
        return {};
    return {0x53, row.cls, static_cast<std::uint8_t>(row.readCode), 0x01, 0x00};
}

std::vector<std::uint8_t> WritePayload(const PageParamRow &row, std::span<const std::int64_t> values)
{
    if (row.ReadOnly() || values.size() != static_cast<std::size_t>(row.writtenEdits))
        return {};
    for (std::int64_t v : values)
        if (v < row.min || v > row.max)
            return {};
    int width = ValueKindBytes(row.kind);
    std::vector<std::uint8_t> out{0x53, row.cls, static_cast<std::uint8_t>(row.writeCode), 0};
    if (row.format == F::RecordClear) {
        out.push_back(0x00);
    } else {
        for (std::int64_t v : values)
            AppendBe(out, row.format == F::Temperature ? v * 100 : v, width);
    }
    out[3] = static_cast<std::uint8_t>(out.size() - 4);
    return out;
}
