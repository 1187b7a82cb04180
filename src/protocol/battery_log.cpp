#include "protocol/battery_log.h"

#include "protocol/tr_marker.h"

#include <cstdio>
#include <ctime>

namespace {

const char *const kKindNames[kLogKinds] = {
    PYLVEX_TR_NOOP("BatteryLog", "休眠唤醒"),
    PYLVEX_TR_NOOP("BatteryLog", "常规日志"),
    PYLVEX_TR_NOOP("BatteryLog", "告警日志"),
    PYLVEX_TR_NOOP("BatteryLog", "保护日志"),
};

const char *const kAlarmEvents[32] = {
    PYLVEX_TR_NOOP("BatteryLog", "单节过充报警"),
    PYLVEX_TR_NOOP("BatteryLog", "单节过放报警"),
    PYLVEX_TR_NOOP("BatteryLog", "总电压过充报警"),
    PYLVEX_TR_NOOP("BatteryLog", "总电压过放报警"),
    PYLVEX_TR_NOOP("BatteryLog", "充电高温报警"),
    PYLVEX_TR_NOOP("BatteryLog", "充电低温报警"),
    PYLVEX_TR_NOOP("BatteryLog", "放电高温报警"),
    PYLVEX_TR_NOOP("BatteryLog", "放电低温报警"),
    PYLVEX_TR_NOOP("BatteryLog", "充电MOS高温报警"),
    PYLVEX_TR_NOOP("BatteryLog", "放电MOS高温报警"),
    PYLVEX_TR_NOOP("BatteryLog", "充电过流报警"),
    PYLVEX_TR_NOOP("BatteryLog", "放电过流报警"),
    PYLVEX_TR_NOOP("BatteryLog", "电芯不平衡(开启均衡)"),
    PYLVEX_TR_NOOP("BatteryLog", "温差过大"),
    PYLVEX_TR_NOOP("BatteryLog", "AFE初始化失败"),
    PYLVEX_TR_NOOP("BatteryLog", "AFE错误"),
    PYLVEX_TR_NOOP("BatteryLog", "低电量报警"),
    PYLVEX_TR_NOOP("BatteryLog", "LED灯板不在线"),
    PYLVEX_TR_NOOP("BatteryLog", "充电器电压过低 充电器最高电压 < 电池包过充电压"),
    PYLVEX_TR_NOOP("BatteryLog", "充电器电压过高 充电器最低电压 > 电池包过充电压"),
    PYLVEX_TR_NOOP("BatteryLog", "充电器电流过低 充电器最大电流 < 电池包充电过流"),
    PYLVEX_TR_NOOP("BatteryLog", "充电器电流过高 充电器最小电流 > 电池包充电过流"),
};

const char *const kProtectionEvents[32] = {
    PYLVEX_TR_NOOP("BatteryLog", "单节过充保护"),
    PYLVEX_TR_NOOP("BatteryLog", "单节过放保护"),
    PYLVEX_TR_NOOP("BatteryLog", "包充电过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "包放电过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "充电低温保护"),
    PYLVEX_TR_NOOP("BatteryLog", "充电高温保护"),
    PYLVEX_TR_NOOP("BatteryLog", "放电低温保护"),
    PYLVEX_TR_NOOP("BatteryLog", "放电高温保护"),
    PYLVEX_TR_NOOP("BatteryLog", "短路保护"),
    PYLVEX_TR_NOOP("BatteryLog", "充电MOS高温保护"),
    PYLVEX_TR_NOOP("BatteryLog", "放电MOS高温保护"),
    PYLVEX_TR_NOOP("BatteryLog", "其他"),
    PYLVEX_TR_NOOP("BatteryLog", "软件放电过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "预放电短路保护"),
    PYLVEX_TR_NOOP("BatteryLog", "系统校准中(电压、电流、稳定等)"),
    PYLVEX_TR_NOOP("BatteryLog", "SOC学习阶段 0非学习阶段 1学习阶段"),
    PYLVEX_TR_NOOP("BatteryLog", "掉线(断线)保护"),
    PYLVEX_TR_NOOP("BatteryLog", "电压低于 XX V"),
    PYLVEX_TR_NOOP("BatteryLog", "电压高于 XX V"),
    PYLVEX_TR_NOOP("BatteryLog", "软件计算过充保护"),
    PYLVEX_TR_NOOP("BatteryLog", "软件计算过放保护"),
    PYLVEX_TR_NOOP("BatteryLog", "过充3级保护"),
    PYLVEX_TR_NOOP("BatteryLog", "电芯压差过大"),
    PYLVEX_TR_NOOP("BatteryLog", "电芯短路保护"),
    PYLVEX_TR_NOOP("BatteryLog", "温差过大"),
    PYLVEX_TR_NOOP("BatteryLog", "1级软件过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "2级硬件过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "1级软件/硬件过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "2级软件/硬件过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "3级软件/硬件过流保护"),
    PYLVEX_TR_NOOP("BatteryLog", "并包错误 压差过大或者不满足并包条件"),
};

const char *const kAllNormal[kLogKinds] = {
    nullptr,
    nullptr,
    PYLVEX_TR_NOOP("BatteryLog", "告警日志返回全部正常"),
    PYLVEX_TR_NOOP("BatteryLog", "保护日志返回全部正常"),
};

// The first second of the year 3000 (UTC); event times from then on are not shown.
constexpr std::int64_t kYear3000 = 32503680000;

bool HasTable(int kind)
{
    return kind == kLogAlarm || kind == kLogProtection;
}

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void AppendFormat(std::string &out, const char *format, auto... args)
{
    char buf[160];
    int n = std::snprintf(buf, sizeof buf, format, args...);
    if (n > 0)
        out.append(buf, static_cast<std::size_t>(n) < sizeof buf ? static_cast<std::size_t>(n) : sizeof buf - 1);
}
} // namespace

const char *const kLogUnknownEvent = PYLVEX_TR_NOOP("BatteryLog", "未知告警信息");
const char *const kLogInvalidRecordFormat = PYLVEX_TR_NOOP("BatteryLog", "无效日志记录：事件标志 0x%08X");

const char *LogKindName(int kind)
{
    return kind >= 0 && kind < kLogKinds ? kKindNames[kind] : nullptr;
}

const char *LogEventName(int kind, int bit)
{
    if (bit < 0 || bit > 31)
        return nullptr;
    if (kind == kLogAlarm)
        return kAlarmEvents[bit];
    if (kind == kLogProtection)
        return kProtectionEvents[bit];
    return nullptr;
}

const char *LogAllNormalText(int kind)
{
    return kind >= 0 && kind < kLogKinds ? kAllNormal[kind] : nullptr;
}

std::vector<std::uint8_t> LogRequestPayload(std::uint8_t kind)
{
    std::vector<std::uint8_t> p{0x53, 0x03, kLogRequestCode, 0x0A, kind, kLogWanted};
    p.resize(p.size() + 8, 0x00);
    return p;
}

std::optional<BatteryLogRecord> DecodeBatteryLogRecord(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kLogRecordBytes)
        return std::nullopt;
    BatteryLogRecord r;
    r.bytes = bytes.first(kLogRecordBytes);
    r.time = static_cast<std::int32_t>(Le32(bytes, 0));
    r.flags = Le32(bytes, 48);
    return r;
}

std::optional<BatteryLogData> DecodeBatteryLogData(std::span<const std::uint8_t> payload)
{
    if (payload.size() < kLogDataHead || (payload.size() - kLogDataHead) % kLogRecordBytes != 0)
        return std::nullopt;
    BatteryLogData data;
    data.packets = payload[0];
    std::size_t n = (payload.size() - kLogDataHead) / kLogRecordBytes;
    for (std::size_t r = 0; r < n; ++r)
        data.records.push_back(*DecodeBatteryLogRecord(payload.subspan(kLogDataHead + kLogRecordBytes * r)));
    data.single = data.packets == 1 && n == 1;
    return data;
}

BatteryLogEvents LogEventNames(int kind, std::uint32_t flags, std::size_t contentLimit)
{
    BatteryLogEvents events;
    std::size_t length = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if (!(flags & (1u << bit)))
            continue;
        const char *name = HasTable(kind) ? LogEventName(kind, bit) : kLogUnknownEvent;
        if (!name)
            continue;
        std::size_t next = length + (events.names.empty() ? 0 : 1) + std::char_traits<char>::length(name);
        if (next >= contentLimit)
            break;
        length = next;
        events.names.push_back(name);
        if (HasTable(kind))
            ++events.counted;
    }
    return events;
}

std::string JoinLogNames(const std::vector<const char *> &names)
{
    std::string out;
    for (const char *name : names) {
        if (!out.empty())
            out += '|';
        out += name;
    }
    return out;
}

std::vector<BatteryLogRow> BatteryLogRows(int kind, const BatteryLogData &data, std::size_t contentLimit, int nameLimit)
{
    std::vector<BatteryLogRow> rows;
    for (std::size_t r = 0; r < data.records.size(); ++r) {
        const BatteryLogRecord &record = data.records[r];
        BatteryLogEvents events = LogEventNames(kind, record.flags, contentLimit);
        BatteryLogRow row{record.time, record.flags, BatteryLogRowKind::Events, {}, r};
        if (events.counted > nameLimit) {
            if (!data.single)
                continue;
            row.kind = BatteryLogRowKind::Invalid;
        } else if (!events.names.empty()) {
            row.names = std::move(events.names);
        } else if (data.single && LogAllNormalText(kind)) {
            row.kind = BatteryLogRowKind::AllNormal;
        } else {
            continue;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string BatteryLogRowContent(const BatteryLogRow &row, int kind)
{
    switch (row.kind) {
    case BatteryLogRowKind::Events: return JoinLogNames(row.names);
    case BatteryLogRowKind::AllNormal: return LogAllNormalText(kind) ? LogAllNormalText(kind) : "";
    case BatteryLogRowKind::Invalid: {
        std::string out;
        AppendFormat(out, kLogInvalidRecordFormat, static_cast<unsigned>(row.flags));
        return out;
    }
    }
    return {};
}

std::optional<std::string> LogTimeText(std::int64_t seconds)
{
    if (seconds < 0 || seconds >= kYear3000)
        return std::nullopt;
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return std::nullopt;
    char buf[32];
    if (std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return std::nullopt;
    return std::string(buf);
}

std::string LogDataTrace(std::span<const std::uint8_t> payload, int kind, std::size_t contentLimit, int nameLimit)
{
    std::string out;
    AppendFormat(out, "contLen：%d\n", static_cast<int>(payload.size() + 1));
    std::optional<BatteryLogData> data = DecodeBatteryLogData(payload);
    if (!data)
        return out;
    AppendFormat(out, "count：%d\n", static_cast<int>(data->records.size()));
    for (std::size_t r = 0; r < data->records.size(); ++r) {
        std::span<const std::uint8_t> b = data->records[r].bytes;
        AppendFormat(out, "index：%d\n", static_cast<int>(r));
        AppendFormat(out, "时间数据:%02X %02X %02X %02X \n", b[3], b[2], b[1], b[0]);
        AppendFormat(out, "时间数据:%d \n", static_cast<int>(data->records[r].time));
        std::optional<std::string> when = LogTimeText(data->records[r].time);
        AppendFormat(out, "北京时间：%s\n", when ? when->c_str() : "-");
        AppendFormat(out, "byte49-50的数据:%02X %02X \n", b[48], b[49]);
        AppendFormat(out, "byte51-52的数据:%02X %02X \n", b[50], b[51]);
        if (!data->single && LogEventNames(kind, data->records[r].flags, contentLimit).counted > nameLimit)
            out += "发生次数超过并且包个数不为1 \n";
    }
    return out;
}
