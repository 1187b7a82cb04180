#include "protocol/battery_record.h"

#include "protocol/bytes.h"
#include "protocol/tr_marker.h"

#include <cstdio>

namespace {

// The names of fault bytes 1-3 and the MOS byte, bit 0 first; a bit without
// a name adds nothing. The blanks and the "；" belong to the names.
const char *const kBitNames[4][8] = {
    {PYLVEX_TR_NOOP("BatteryRecord", "过充保护"), PYLVEX_TR_NOOP("BatteryRecord", " 过放保护"),
     PYLVEX_TR_NOOP("BatteryRecord", "充电过流保护"), PYLVEX_TR_NOOP("BatteryRecord", "放电过流保护"),
     PYLVEX_TR_NOOP("BatteryRecord", "充电低温保护"), PYLVEX_TR_NOOP("BatteryRecord", "充电高温保护"),
     PYLVEX_TR_NOOP("BatteryRecord", "放电低温保护"), PYLVEX_TR_NOOP("BatteryRecord", "放电高温保护；")},
    {PYLVEX_TR_NOOP("BatteryRecord", " 短路保护")},
    {PYLVEX_TR_NOOP("BatteryRecord", " 系统复位")},
    {PYLVEX_TR_NOOP("BatteryRecord", " 充电MOS")},
};

std::string Decimal(long long value)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%lld", value);
    return buf;
}

std::string Degrees(std::uint8_t value)
{
    return Decimal(value) + " ℃";
}
} // namespace

const std::array<const char *, kRecordColumns> kRecordColumnNames = {
    PYLVEX_TR_NOOP("BatteryRecord", "编号"),         PYLVEX_TR_NOOP("BatteryRecord", "最大单节电压"),
    PYLVEX_TR_NOOP("BatteryRecord", "最小单节电压"), PYLVEX_TR_NOOP("BatteryRecord", "总电压"),
    PYLVEX_TR_NOOP("BatteryRecord", "总电流"),       PYLVEX_TR_NOOP("BatteryRecord", "最高电芯温度"),
    PYLVEX_TR_NOOP("BatteryRecord", "最低电芯温度"), PYLVEX_TR_NOOP("BatteryRecord", "MOS温度"),
    PYLVEX_TR_NOOP("BatteryRecord", "SOC"),          PYLVEX_TR_NOOP("BatteryRecord", "故障状态1"),
    PYLVEX_TR_NOOP("BatteryRecord", "故障状态2"),    PYLVEX_TR_NOOP("BatteryRecord", "故障状态3"),
    PYLVEX_TR_NOOP("BatteryRecord", "MOS状态"),
};

std::vector<std::uint8_t> RecordReadPayload()
{
    return {0x53, kRecordClass, kRecordCode, 0x01, 0x00};
}

std::optional<BatteryRecord> DecodeBatteryRecord(std::span<const std::uint8_t> b)
{
    if (b.size() < kRecordBytes)
        return std::nullopt;
    BatteryRecord r;
    r.number = *ReadBe16(b, 0);
    r.maxCellMv = *ReadBe16(b, 2);
    r.minCellMv = *ReadBe16(b, 4);
    r.totalMv = static_cast<std::int32_t>(*ReadBe32(b, 6));
    r.currentMa = static_cast<std::int32_t>(*ReadBe32(b, 10));
    r.maxCellTemp = b[14];
    r.minCellTemp = b[15];
    r.mosTemp = b[16];
    r.soc = b[17];
    r.faults = {b[18], b[19], b[20]};
    r.mos = b[21];
    return r;
}

std::optional<std::vector<BatteryRecord>> DecodeBatteryRecords(std::span<const std::uint8_t> payload)
{
    if (payload.empty() || payload.size() % kRecordBytes != 0)
        return std::nullopt;
    std::vector<BatteryRecord> records;
    for (std::size_t at = 0; at < payload.size(); at += kRecordBytes)
        records.push_back(*DecodeBatteryRecord(payload.subspan(at, kRecordBytes)));
    return records;
}

std::string RecordBitsText(int field, std::uint8_t bits)
{
    std::string out;
    if (field < 0 || field > 3)
        return out;
    for (int bit = 0; bit < 8; ++bit)
        if ((bits & (1u << bit)) && kBitNames[field][bit])
            out += kBitNames[field][bit];
    return out;
}

std::array<std::string, kRecordColumns> BatteryRecordTexts(const BatteryRecord &r)
{
    return {Decimal(r.number),
            Decimal(r.maxCellMv),
            Decimal(r.minCellMv),
            Decimal(r.totalMv),
            Decimal(r.currentMa),
            Degrees(r.maxCellTemp),
            Degrees(r.minCellTemp),
            Degrees(r.mosTemp),
            Decimal(r.soc),
            RecordBitsText(0, r.faults[0]),
            RecordBitsText(1, r.faults[1]),
            RecordBitsText(2, r.faults[2]),
            RecordBitsText(3, r.mos)};
}
