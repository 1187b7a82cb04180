#include "protocol/param_decode.h"

#include "protocol/bytes.h"

namespace {

using F = RowFormat;
using K = ValueKind;

constexpr std::uint8_t kParamClass = 0x02;
constexpr std::uint8_t kRecordClass = 0x05;

constexpr std::int64_t kI16Min = -32768;
constexpr std::int64_t kI16Max = 32767;
constexpr std::int64_t kU16Max = 65535;
constexpr std::int64_t kI32Min = -2147483648LL;
constexpr std::int64_t kI32Max = 2147483647LL;
constexpr std::int64_t kU32Max = 4294967295LL;
// Temperatures travel as signed 16-bit hundredths: whole degrees beyond ±327
// would not fit and would reach the board as a wrapped, wrong value.
constexpr std::int64_t kTempMin = -327;
constexpr std::int64_t kTempMax = 327;

constexpr std::array<int, 4> E(int a, int b = 0, int c = 0, int d = 0)
{
    return {a, b, c, d};
}
constexpr std::array<const char *, 4> T(const char *a = nullptr, const char *b = nullptr, const char *c = nullptr,
                                        const char *d = nullptr)
{
    return {a, b, c, d};
}

// clang-format off
constexpr PageParamRow kWakeupRows[] = {
    {1, "唤醒方式：", 1268, E(1267), T(), T(), 1269, kParamClass, 0x5A, kNoCode, F::WakeUp, K::UI1, 0, 0, 0},
    {2, "无操作等待时间：", 1341, E(1339), T(), T("秒"), 1340, kParamClass, 0x13, 0x12, F::Value, K::UI2, 1, kU16Max, 1},
    {3, "耗电更新时间：", 1264, E(1266), T(), T("分钟"), 1265, kParamClass, 0x15, 0x14, F::Value, K::UI2, 1, kU16Max, 1},
    {4, "待机定时唤醒检测：", 1198, E(1199), T(), T("秒"), 1200, kParamClass, 0x17, 0x16, F::Value, K::UI2, 1, kU16Max, 1},
    {5, "按键唤醒时间：", 1002, E(1001), T(), T("秒"), 1003, kParamClass, 0x19, 0x18, F::Value, K::UI2, 1, kU16Max, 1},
    {6, "预放电电容充电：", 1347, E(1346), T(), T("毫秒"), 1345, kParamClass, 0x21, 0x20, F::Value, K::UI2, 1, kU16Max, 1},
    {7, "温度探头个数：", 1343, E(1344), T(), T(), 1342, kParamClass, 0x3F, 0x3E, F::Value, K::UI1, 1, 255, 1},
    {8, "进入待机模式电压：", 1191, E(1189), T(), T("mV"), 1190, kParamClass, 0x23, 0x22, F::Value, K::UI2, 1, kU16Max, 1},
    {9, "均衡开启电压值：", 1273, E(1274), T(), T("mV"), 1272, kParamClass, 0x4D, 0x4C, F::Value, K::UI2, 0, kU16Max, 1},
    {10, "均衡开启压差值：", 1275, E(1276, 1278), T("开启压差", "恢复压差"), T("mV", "mV"), 1277,
     kParamClass, 0x4F, 0x4E, F::TwoU16, K::UI2, 0, kU16Max, 2},
    {11, "充放电循环次数检测门限：", 1119, E(1118, 1121, 1120), T("检测上限值", "检测下限值", "循环次数"),
     T("%", "%"), 1117, kParamClass, 0x4B, 0x4A, F::CycleThresholds, K::UI1, 0, 100, 2},
    {12, "记录清除：", 1479, E(1481), T(), T(), 1480, kRecordClass, kNoCode, 0x02, F::RecordClear, K::UI1, 0, 0, 0},
    {13, "充放电电流上下阀值：", 1217, E(1218, 1220, 1221, 1222),
     T("充电检测电流", "充电释放电流", "放电检测电流", "放电释放电流"), T("mA", "mA", "mA", "mA"), 1219,
     kParamClass, 0x25, 0x24, F::CurrentThresholds, K::I2, kI16Min, kI16Max, 4},
    {14, "预放电短路保护：", 1350, E(1348, 1351), T("短路电流", "短路延时"), T("mA", "毫秒"), 1349,
     kParamClass, 0x3D, 0x3C, F::TwoU16, K::UI2, 0, kU16Max, 2},
    {15, "短路保护：", 1215, E(1213, 1216), T("短路电流", "短路延时"), T("A", "微妙"), 1214,
     kParamClass, 0x3B, 0x3A, F::TwoU16, K::UI2, 0, kU16Max, 2},
    {16, "充电MOS高温报警：", 1061, E(1062), T(), T("℃"), 1060, kParamClass, 0x27, 0x26, F::Temperature, K::I2, kTempMin, kTempMax, 1},
    {17, "充电MOS高温保护：", 1057, E(1059), T(), T("℃"), 1058, kParamClass, 0x43, 0x42, F::Temperature, K::I2, kTempMin, kTempMax, 1},
    {18, "充电MOS高温恢复：", 1259, E(1258), T(), T("℃ "), 1260, kParamClass, 0x2B, 0x2A, F::Temperature, K::I2, kTempMin, kTempMax, 1},
    {19, "放电MOS高温报警：", 1252, E(1250), T(), T("℃"), 1251, kParamClass, 0x29, 0x28, F::Temperature, K::I2, kTempMin, kTempMax, 1},
    {20, "放电MOS高温保护：", 1247, E(1249), T(), T("℃"), 1248, kParamClass, 0x45, 0x44, F::Temperature, K::I2, kTempMin, kTempMax, 1},
    {21, "放电MOS高温恢复：", 1261, E(1262), T(), T("℃ "), 1263, kParamClass, 0x1F, 0x1E, F::Temperature, K::I2, kTempMin, kTempMax, 1},
};
constexpr int kWakeupRead[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21};
constexpr int kWakeupWrite[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 12};

#define PR_VALUE(n, label, chk, edit, led, rd, wr, kind, lo, hi, unit) \
    {n, label, chk, E(edit), T(), T(unit), led, kParamClass, rd, wr, F::Value, kind, lo, hi, 1}
#define PR_TEMP(n, label, chk, edit, led, rd, wr, unit) \
    {n, label, chk, E(edit), T(), T(unit), led, kParamClass, rd, wr, F::Temperature, K::I2, kTempMin, kTempMax, 1}

constexpr PageParamRow kAlarmRows[] = {
    PR_VALUE(1, "充电过流报警：", 1040, 1039, 1041, 0x41, 0x40, K::Int, kI32Min, kI32Max, "mA"),
    PR_VALUE(2, "充电过流保护：", 1037, 1036, 1038, 0x57, 0x56, K::Int, kI32Min, kI32Max, "mA"),
    PR_VALUE(3, "单节过充报警：", 1206, 1204, 1205, 0x59, 0x58, K::I2, kI16Min, kI16Max, "mV"),
    PR_VALUE(4, "单节过充保护：", 1201, 1202, 1203, 0x63, 0x62, K::I2, kI16Min, kI16Max, "mV"),
    PR_VALUE(5, "单节过充恢复：", 1192, 1193, 1194, 0x79, 0x78, K::UI2, 0, kU16Max, "mV"),
    PR_VALUE(6, "总电压过充报警：", 1355, 1356, 1357, 0x67, 0x66, K::UInt, 0, kU32Max, "mV"),
    PR_VALUE(7, "总电压过充保护：", 1352, 1353, 1354, 0x71, 0x70, K::UInt, 0, kU32Max, "mV"),
    PR_VALUE(8, "总电压过充恢复：", 1360, 1359, 1358, 0x75, 0x74, K::UInt, 0, kU32Max, "mV"),
    PR_TEMP(9, "充电高温报警：", 1046, 1045, 1047, 0x35, 0x34, "℃"),
    PR_TEMP(10, "充电高温保护：", 1043, 1044, 1042, 0x51, 0x50, "℃"),
    PR_TEMP(11, "充电高温恢复：", 1050, 1048, 1049, 0x0D, 0x0C, "℃ "),
    PR_TEMP(12, "充电低温报警：", 1032, 1031, 1030, 0x37, 0x36, "℃"),
    PR_TEMP(13, "充电低温保护：", 1029, 1027, 1028, 0x53, 0x52, "℃"),
    PR_TEMP(14, "充电低温恢复：", 1035, 1033, 1034, 0x1B, 0x1A, "℃ "),
    PR_VALUE(15, "放电过流报警：", 1236, 1235, 1237, 0x39, 0x38, K::Int, kI32Min, kI32Max, "mA"),
    PR_VALUE(16, "放电过流保护：", 1233, 1234, 1232, 0x55, 0x54, K::Int, kI32Min, kI32Max, "mA"),
    PR_VALUE(17, "单节过放报警：", 1212, 1210, 1211, 0x61, 0x60, K::I2, kI16Min, kI16Max, "mV"),
    PR_VALUE(18, "单节过放保护：", 1209, 1207, 1208, 0x65, 0x64, K::I2, kI16Min, kI16Max, "mV"),
    PR_VALUE(19, "单节过放恢复：", 1195, 1196, 1197, 0x0B, 0x0A, K::UI2, 0, kU16Max, "mV"),
    PR_VALUE(20, "总电压过放报警：", 1365, 1366, 1364, 0x69, 0x68, K::UInt, 0, kU32Max, "mV"),
    PR_VALUE(21, "总电压过放保护：", 1361, 1362, 1363, 0x73, 0x72, K::UInt, 0, kU32Max, "mV"),
    PR_VALUE(22, "总电压过放恢复：", 1369, 1367, 1368, 0x77, 0x76, K::UInt, 0, kU32Max, "mV"),
    PR_TEMP(23, "放电高温报警：", 1242, 1243, 1241, 0x31, 0x30, "℃"),
    PR_TEMP(24, "放电高温保护：", 1239, 1240, 1238, 0x47, 0x46, "℃"),
    PR_TEMP(25, "放电高温恢复：", 1245, 1246, 1244, 0x0F, 0x0E, "℃ "),
    PR_TEMP(26, "放电低温报警：", 1227, 1226, 1228, 0x33, 0x32, "℃"),
    PR_TEMP(27, "放电低温保护：", 1224, 1225, 1223, 0x49, 0x48, "℃"),
    PR_TEMP(28, "放电低温恢复：", 1230, 1229, 1231, 0x1D, 0x1C, "℃ "),
};
#undef PR_VALUE
#undef PR_TEMP
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
    case 0x01: return "预放电唤醒";
    case 0x02: return "按键唤醒";
    case 0x04: return "充电器唤醒";
    case 0x08: return "通讯唤醒";
    case 0x10: return "锁控唤醒";
    case 0x20: return "其他唤醒";
    case 0x40: return "充电电流";
    case 0x80: return "放电电流";
    default: return "N/A_n2a";
    }
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
