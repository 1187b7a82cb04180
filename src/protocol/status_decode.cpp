#include "protocol/status_decode.h"

#include "protocol/tr_marker.h"

#include "protocol/bytes.h"

#include <cstdio>

namespace {

std::string Format(const char *format, auto... args)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, args...);
    return buf;
}

std::vector<std::string> BitNames(StatusBytes payload, const char *const *names, std::size_t count)
{
    std::vector<std::string> out;
    for (std::size_t b = 0; b < payload.size(); ++b) {
        for (int k = 0; k < 8; ++k) {
            if (!(payload[b] & (1u << k)))
                continue;
            std::size_t n = 8 * b + static_cast<std::size_t>(k);
            out.emplace_back(n < count ? names[n] : "N/A_n2a");
        }
    }
    if (out.empty())
        out.emplace_back(PYLVEX_TR_NOOP("StatusDecode", "无"));
    return out;
}

const char *const kProtectionBitNames[] = {
    PYLVEX_TR_NOOP("StatusDecode", "过充保护"),
    PYLVEX_TR_NOOP("StatusDecode", "过放保护"),
    PYLVEX_TR_NOOP("StatusDecode", "充电过流保护"),
    PYLVEX_TR_NOOP("StatusDecode", "放电过流保护"),
    PYLVEX_TR_NOOP("StatusDecode", "充电低温保护"),
    PYLVEX_TR_NOOP("StatusDecode", "充电高温保护"),
    PYLVEX_TR_NOOP("StatusDecode", "放电低温保护"),
    PYLVEX_TR_NOOP("StatusDecode", "放电高温保护"),
    PYLVEX_TR_NOOP("StatusDecode", "短路保护"),
    PYLVEX_TR_NOOP("StatusDecode", "充电MOS高温保护"),
    PYLVEX_TR_NOOP("StatusDecode", "放电MOS高温保护"),
    PYLVEX_TR_NOOP("StatusDecode", "其他保护"),
    PYLVEX_TR_NOOP("StatusDecode", "放电过流保护（软件）"),
    PYLVEX_TR_NOOP("StatusDecode", "预放电短路"),
    PYLVEX_TR_NOOP("StatusDecode", "系统校准"),
    PYLVEX_TR_NOOP("StatusDecode", "学习状态"),
    PYLVEX_TR_NOOP("StatusDecode", "系统复位"),
    PYLVEX_TR_NOOP("StatusDecode", "电压低于2.7V"),
    PYLVEX_TR_NOOP("StatusDecode", "电压高于2.7V，SOC=0"),
    PYLVEX_TR_NOOP("StatusDecode", "总电压过充"),
    PYLVEX_TR_NOOP("StatusDecode", "总电压过放"),
};

const char *const kAlarmBitNames[] = {
    PYLVEX_TR_NOOP("StatusDecode", "单节过充报警"),    PYLVEX_TR_NOOP("StatusDecode", "单节过放报警"),
    PYLVEX_TR_NOOP("StatusDecode", "总电压过充报警"),  PYLVEX_TR_NOOP("StatusDecode", "总电压过放报警"),
    PYLVEX_TR_NOOP("StatusDecode", "充电高温报警"),    PYLVEX_TR_NOOP("StatusDecode", "充电低温报警"),
    PYLVEX_TR_NOOP("StatusDecode", "放电高温报警"),    PYLVEX_TR_NOOP("StatusDecode", "放电低温报警"),
    PYLVEX_TR_NOOP("StatusDecode", "充电MOS高温报警"), PYLVEX_TR_NOOP("StatusDecode", "放电MOS高温报警"),
    PYLVEX_TR_NOOP("StatusDecode", "充电过流报警"),    PYLVEX_TR_NOOP("StatusDecode", "放电过流报警"),
};

// How one row of the extreme-value list is read from its bytes.
enum class ExtremeKind { U16, U8, U16x10, S16Tenths };
struct ExtremeRow {
    std::size_t offset;
    ExtremeKind kind;
};
constexpr ExtremeRow kExtremeLayout[kExtremeRows] = {
    {0, ExtremeKind::U16},        {2, ExtremeKind::U8},     {3, ExtremeKind::U16},     {5, ExtremeKind::U8},
    {6, ExtremeKind::U16x10},     {8, ExtremeKind::U16x10}, {10, ExtremeKind::U16x10}, {12, ExtremeKind::S16Tenths},
    {14, ExtremeKind::S16Tenths}, {16, ExtremeKind::U16},   {18, ExtremeKind::U16},
};

std::optional<double> ExtremeValue(StatusBytes payload, const ExtremeRow &row)
{
    if (row.kind == ExtremeKind::U8) {
        if (row.offset >= payload.size())
            return std::nullopt;
        return payload[row.offset];
    }
    std::optional<std::uint16_t> v = ReadBe16(payload, row.offset);
    if (!v)
        return std::nullopt;
    switch (row.kind) {
    case ExtremeKind::U16x10: return static_cast<int>(*v) * 10;
    case ExtremeKind::S16Tenths: return static_cast<std::int16_t>(*v) / 10.0;
    default: return *v;
    }
}

std::optional<std::string> ExtremeText(StatusBytes payload, const ExtremeRow &row)
{
    std::optional<double> v = ExtremeValue(payload, row);
    if (!v)
        return std::nullopt;
    if (row.kind == ExtremeKind::S16Tenths)
        return Format("%.1f", *v);
    return Format("%d", static_cast<int>(*v));
}

} // namespace

const std::array<const char *, kExtremeRows> kExtremeRowNames = {
    PYLVEX_TR_NOOP("StatusDecode", "历史单节最高电压 (mV)"),  PYLVEX_TR_NOOP("StatusDecode", "历史最高电压节数"),
    PYLVEX_TR_NOOP("StatusDecode", "历史单节最低电压 (mV)"),  PYLVEX_TR_NOOP("StatusDecode", "历史最低电压节数"),
    PYLVEX_TR_NOOP("StatusDecode", "历史最大充电电流 (mA)"),  PYLVEX_TR_NOOP("StatusDecode", "历史最大放电电流 (mA)"),
    PYLVEX_TR_NOOP("StatusDecode", "历史最大总电压 (mV)"),    PYLVEX_TR_NOOP("StatusDecode", "历史最高温度 (℃)"),
    PYLVEX_TR_NOOP("StatusDecode", "历史最低温度 (℃)"),       PYLVEX_TR_NOOP("StatusDecode", "历史最大未充电时间 (H)"),
    PYLVEX_TR_NOOP("StatusDecode", "历史最大未放电时间 (H)"),
};

int StatusNeededLength(std::uint8_t code)
{
    switch (code & 0x7F) {
    case kStatusVersions: return 7;
    case kStatusExtremes: return 21;
    case kStatusBalancing: return 5;
    case kStatusProtection: return 4;
    case kStatusCycles: return 3;
    case kStatusMos: return 2;
    case kStatusProbes: return 2;
    case kStatusSoc: return 3;
    case kStatusDate: return 4;
    case kStatusAlarm: return 3;
    default: return 0; // SN, cells, power, capacities
    }
}

std::string DecodeSnText(StatusBytes payload)
{
    std::string text;
    for (std::size_t i = 0; i < payload.size(); ++i) {
        std::uint8_t c = payload[i];
        if (c >= 0x21 && c <= 0x7E)
            text += static_cast<char>(c);
        else if (i <= 15)
            text += '0';
        else
            break;
    }
    return text;
}

std::optional<Versions> DecodeVersions(StatusBytes payload)
{
    if (payload.size() < 6)
        return std::nullopt;
    return Versions{Format("V%hhu.%hhu.%hhu", payload[0], payload[1], payload[2]),
                    Format("V%hhu.%hhu.%hhu", payload[3], payload[4], payload[5])};
}

CellSummary DecodeCells(StatusBytes payload)
{
    CellSummary s;
    s.oddTail = payload.size() % 2 != 0;
    std::uint16_t highest = 0;
    std::uint16_t lowest = 65535;
    for (std::size_t at = 0; at + 1 < payload.size(); at += 2) {
        std::uint16_t v = *ReadBe16(payload, at);
        s.cells.push_back(v);
        int number = static_cast<int>(s.cells.size());
        if (v >= highest) {
            highest = v;
            s.highestCell = number;
        }
        if (v <= lowest) {
            lowest = v;
            s.lowestCell = number;
        }
    }
    if (!s.cells.empty()) {
        s.highest = highest;
        s.lowest = lowest;
        s.difference = static_cast<std::uint16_t>(highest - lowest);
    }
    return s;
}

std::array<std::array<std::string, 2>, 3> CellSummaryRows(const CellSummary &s)
{
    auto number = [](int n) { return n > 0 ? Format("%d", n) : std::string(); };
    return {{{number(s.lowestCell), Format("单节最小电压 %hu", s.lowest)},
             {number(s.highestCell), Format("单节最大电压 %hu", s.highest)},
             {std::string(), Format("单节最大压差 %hu", s.difference)}}};
}

PowerReading DecodePower(StatusBytes payload)
{
    PowerReading r;
    if (std::optional<std::uint16_t> v = ReadBe16(payload, 0))
        r.voltageMv = static_cast<std::uint32_t>(*v) * 10u;
    if (std::optional<std::uint16_t> i = ReadBe16(payload, 4))
        r.currentMa = static_cast<std::int16_t>(*i) * 10;
    std::size_t at = payload.size() >= 6 ? 6 : payload.size();
    r.oddTail = (payload.size() - at) % 2 != 0;
    for (; at + 1 < payload.size(); at += 2)
        r.temps.push_back(static_cast<std::int16_t>(*ReadBe16(payload, at)));
    std::size_t t = r.temps.size();
    for (std::size_t j = 0; j < t; ++j) {
        int probe = static_cast<int>(j) + 1;
        if (r.lowestProbe == 0 || r.temps[j] < r.lowest) {
            r.lowest = r.temps[j];
            r.lowestProbe = probe;
        }
        bool considered = j + 1 < t || t == 1;
        if (considered && (r.highestProbe == 0 || r.temps[j] > r.highest)) {
            r.highest = r.temps[j];
            r.highestProbe = probe;
        }
    }
    return r;
}

const char *CurrentStateText(std::int32_t currentMa)
{
    if (currentMa < 0)
        return PYLVEX_TR_NOOP("StatusDecode", "放电");
    return currentMa == 0 ? PYLVEX_TR_NOOP("StatusDecode", "待机") : PYLVEX_TR_NOOP("StatusDecode", "充电");
}

std::string TenthsText(int tenths)
{
    return Format("%.1f", tenths / 10.0);
}

std::array<std::optional<std::string>, kExtremeRows> DecodeExtremes(StatusBytes payload)
{
    std::array<std::optional<std::string>, kExtremeRows> rows;
    for (std::size_t i = 0; i < kExtremeRows; ++i)
        rows[i] = ExtremeText(payload, kExtremeLayout[i]);
    return rows;
}

std::array<std::optional<double>, kExtremeRows> DecodeExtremeValues(StatusBytes payload)
{
    std::array<std::optional<double>, kExtremeRows> rows;
    for (std::size_t i = 0; i < kExtremeRows; ++i)
        rows[i] = ExtremeValue(payload, kExtremeLayout[i]);
    return rows;
}

std::uint32_t DecodeBalancing(StatusBytes payload)
{
    return DecodeBitField(payload);
}

std::uint32_t DecodeBitField(StatusBytes payload)
{
    std::uint32_t bits = 0;
    for (std::size_t b = 0; b < payload.size() && b < 4; ++b)
        bits |= static_cast<std::uint32_t>(payload[b]) << (8 * b);
    return bits;
}

int BalancingRowCount(int existingRows)
{
    return existingRows < 32 ? existingRows : 32;
}

const char *BalancingText(bool on)
{
    return on ? PYLVEX_TR_NOOP("StatusDecode", "开") : PYLVEX_TR_NOOP("StatusDecode", "关");
}

std::vector<std::string> ProtectionNames(StatusBytes payload)
{
    return BitNames(payload, kProtectionBitNames, std::size(kProtectionBitNames));
}

std::vector<std::string> AlarmNames(StatusBytes payload)
{
    return BitNames(payload, kAlarmBitNames, std::size(kAlarmBitNames));
}

std::optional<MosState> DecodeMos(StatusBytes payload)
{
    if (payload.empty())
        return std::nullopt;
    std::uint8_t b = payload[0];
    return MosState{(b & 1) != 0, (b & 2) != 0, (b & 4) != 0};
}

std::optional<SocSoh> DecodeSoc(StatusBytes payload)
{
    if (payload.size() < 2)
        return std::nullopt;
    return SocSoh{payload[0], payload[1]};
}

std::optional<std::uint16_t> DecodeCycles(StatusBytes payload)
{
    return ReadBe16(payload, 0);
}

std::optional<std::uint8_t> DecodeProbeCount(StatusBytes payload)
{
    if (payload.empty())
        return std::nullopt;
    return payload[0];
}

std::optional<ProductionDate> DecodeProductionDate(StatusBytes payload)
{
    if (payload.size() < 3)
        return std::nullopt;
    ProductionDate d{2000 + payload[0], payload[1], payload[2]};
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31)
        return std::nullopt;
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    if (d.day > kDays[d.month - 1] || (d.month == 2 && d.day == 29 && !leap))
        return std::nullopt;
    return d;
}

std::optional<std::uint32_t> DecodeCapacityValue(StatusBytes payload)
{
    if (payload.size() == 4)
        return static_cast<std::uint32_t>(*ReadBe16(payload, 0)) * payload[3];
    if (payload.size() == 2)
        return *ReadBe16(payload, 0);
    return std::nullopt;
}

CapacityText DecodeCapacity(StatusBytes payload, int dataLength)
{
    if (std::optional<std::uint32_t> v = DecodeCapacityValue(payload))
        return {true, Format("%u", *v)};
    return {false, Format("Len:%d, Need:%d", dataLength, 4)};
}

std::optional<std::uint16_t> DecodeFullCapacityBlock(StatusBytes block)
{
    return ReadBe16(block, 0);
}

int SocImageIndex(std::uint8_t soc)
{
    return soc >= 100 ? 10 : soc / 10;
}

int AnimationImageIndex(int frame)
{
    return frame > 10 || frame < 0 ? 0 : frame;
}
