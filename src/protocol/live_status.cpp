#include "protocol/live_status.h"

#include "protocol/param_decode.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Format(const char *format, int a, int b = 0)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

void SetBits(std::optional<std::uint32_t> &bits, std::vector<std::string> &names, StatusBytes payload,
             std::vector<std::string> (*decode)(StatusBytes))
{
    bits = DecodeBitField(payload);
    names = decode(payload);
}

} // namespace

bool LiveStatus::Has(std::uint8_t code) const
{
    switch (code & 0x7F) {
    case kStatusSn: return sn.has_value();
    case kStatusVersions: return versions.has_value();
    case kStatusCells: return cells.has_value();
    case kStatusPower: return power.has_value();
    case kStatusExtremes: return extremes.has_value();
    case kStatusBalancing: return balancing.has_value();
    case kStatusProtection: return protectionBits.has_value();
    case kStatusCycles: return cycles.has_value();
    case kStatusMos: return mos.has_value();
    case kStatusProbes: return probeCount.has_value();
    case kStatusSoc: return soc.has_value();
    case kStatusDate: return productionDate.has_value();
    case kStatusAlarm: return alarmBits.has_value();
    case kStatusRemaining: return remainingMah.has_value();
    case kStatusFull: return fullMah.has_value();
    default: return false;
    }
}

void ApplyStatusItem(LiveStatus &s, std::uint8_t code, StatusBytes payload, int dataLength, bool batch)
{
    s.problems.erase(code);
    switch (code) {
    case kStatusSn: s.sn = DecodeSnText(payload); break;
    case kStatusVersions:
        if ((s.versions = DecodeVersions(payload)))
            break;
        s.problems[code] = Format("Len:%d, Need:%d", dataLength, 7);
        break;
    case kStatusCells: s.cells = DecodeCells(payload); break;
    case kStatusPower: s.power = DecodePower(payload); break;
    case kStatusExtremes:
        s.extremes = DecodeExtremeValues(payload);
        s.extremeTexts = DecodeExtremes(payload);
        break;
    case kStatusBalancing: s.balancing = DecodeBalancing(payload); break;
    case kStatusProtection: SetBits(s.protectionBits, s.protections, payload, ProtectionNames); break;
    case kStatusAlarm: SetBits(s.alarmBits, s.alarms, payload, AlarmNames); break;
    case kStatusCycles: s.cycles = DecodeCycles(payload); break;
    case kStatusMos: s.mos = DecodeMos(payload); break;
    case kStatusProbes: s.probeCount = DecodeProbeCount(payload); break;
    case kStatusSoc: s.soc = DecodeSoc(payload); break;
    case kStatusDate:
        if (!(s.productionDate = DecodeProductionDate(payload)))
            s.problems[code] = "日期无效";
        break;
    case kStatusRemaining:
        if (!(s.remainingMah = DecodeCapacityValue(payload)))
            s.problems[code] = DecodeCapacity(payload, dataLength).text;
        break;
    case kStatusFull:
        if (batch) {
            if (std::optional<std::uint16_t> v = DecodeFullCapacityBlock(payload))
                s.fullMah = *v;
            else
                s.fullMah.reset();
        } else if (!(s.fullMah = DecodeCapacityValue(payload))) {
            s.problems[code] = DecodeCapacity(payload, dataLength).text;
        }
        break;
    default: break;
    }
}

bool ApplyStatusFrame(LiveStatus &s, const std::uint8_t *frame, std::size_t length)
{
    const std::span<const std::uint8_t> data = FrameData(frame, length);
    if (length < 5 || (frame[2] & 0x7F) != 0x03 || data.size() != frame[4])
        return false;
    const std::uint8_t code = frame[3] & 0x7F;
    if (std::find(kStatusRequestOrder.begin(), kStatusRequestOrder.end(), code) == kStatusRequestOrder.end())
        return false;
    if (data.empty()) {
        s.problems[code] = Format("Len:%d, Need:%d", 0, std::max(StatusNeededLength(code), 1));
        return false;
    }
    if (data[0] != 0) {
        s.problems[code] = Format("ErrorCode: 0x%02X", data[0]);
        return false;
    }
    const int need = StatusNeededLength(code);
    if (need != 0 && static_cast<int>(data.size()) != need) {
        s.problems[code] = Format("Len:%d, Need:%d", static_cast<int>(data.size()), need);
        return false;
    }
    ApplyStatusItem(s, code, data.subspan(1), static_cast<int>(data.size()), false);
    return !s.problems.count(code);
}

void ApplyBatchStatus(LiveStatus &s, const BatchStatus &answer)
{
    for (const BatchBlock &block : answer.blocks)
        ApplyStatusItem(s, block.code, block.bytes, static_cast<int>(block.bytes.size()) + 1, true);
}
