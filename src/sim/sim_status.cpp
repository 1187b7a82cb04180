#include "sim/sim_status.h"

#include <algorithm>

namespace {
using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes &out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void PutS16(Bytes &out, std::int32_t v)
{
    v = std::clamp<std::int32_t>(v, -32768, 32767);
    Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
}

void PutU16Sat(Bytes &out, std::uint32_t v)
{
    Put16(out, std::min<std::uint32_t>(v, 65535));
}

void PutBits(Bytes &out, std::uint32_t bits, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<std::uint8_t>(bits >> (8 * b)));
}

// Capacity: 16-bit value, a spare byte, a multiplier.
void PutCapacity(Bytes &out, std::uint32_t mah)
{
    std::uint32_t factor = 1;
    while (mah / factor > 65535)
        ++factor;
    PutU16Sat(out, mah / factor);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(factor));
}

void Sn(Bytes &out, const StatusSource &s)
{
    out.assign(s.identity.sn.begin(), s.identity.sn.end());
}

void Versions(Bytes &out, const StatusSource &s)
{
    out.assign(s.identity.versions.begin(), s.identity.versions.end());
}

void Cells(Bytes &out, const StatusSource &s)
{
    for (std::uint16_t mv : s.pack.Cells())
        Put16(out, mv);
}

void VoltageCurrentTemps(Bytes &out, const StatusSource &s)
{
    std::uint32_t total10 = (s.pack.TotalMv() + 5) / 10;
    PutU16Sat(out, total10);
    PutU16Sat(out, total10); // load side, the same while the switches are closed
    PutS16(out, s.pack.CurrentMa() / 10);
    for (std::int32_t centi : s.pack.TempsCenti())
        PutS16(out, centi / 10);
}

void Extremes(Bytes &out, const StatusSource &s)
{
    const PackExtremes &x = s.pack.Extremes();
    Put16(out, x.maxCellMv);
    out.push_back(x.maxCellNo);
    Put16(out, x.minCellMv);
    out.push_back(x.minCellNo);
    PutU16Sat(out, x.maxChargeMa / 10);
    PutU16Sat(out, x.maxDischargeMa / 10);
    PutU16Sat(out, x.maxTotalMv / 10);
    PutS16(out, x.maxTempCenti / 10);
    PutS16(out, x.minTempCenti / 10);
    Put16(out, x.maxNoChargeH);
    Put16(out, x.maxNoDischargeH);
}

void Balance(Bytes &out, const StatusSource &s)
{
    PutBits(out, s.pack.BalanceBits(), 4);
}

void Protection(Bytes &out, const StatusSource &s)
{
    PutBits(out, s.pack.ProtectBits(), 3);
}

void Alarm(Bytes &out, const StatusSource &s)
{
    PutBits(out, s.pack.AlarmBits(), 2);
}

void Cycles(Bytes &out, const StatusSource &s)
{
    Put16(out, s.pack.Cycles());
}

void Mos(Bytes &out, const StatusSource &s)
{
    out.push_back(s.pack.MosBits());
}

void Probes(Bytes &out, const StatusSource &s)
{
    out.push_back(static_cast<std::uint8_t>(s.pack.TempsCenti().size()));
}

void SocSoh(Bytes &out, const StatusSource &s)
{
    out.push_back(s.pack.Soc());
    out.push_back(s.pack.Soh());
}

void ProductionDate(Bytes &out, const StatusSource &s)
{
    out.insert(out.end(), {s.identity.year, s.identity.month, s.identity.day});
}

void Remaining(Bytes &out, const StatusSource &s)
{
    PutCapacity(out, s.pack.RemainingMah());
}

void Full(Bytes &out, const StatusSource &s)
{
    PutCapacity(out, s.pack.FullMah());
}

struct StatusItem {
    std::uint8_t code;
    void (*encode)(Bytes &, const StatusSource &);
};

// In the order of the batch request.
constexpr StatusItem kItems[] = {
    {0x02, Versions},       {0x22, Alarm},   {0x09, Protection},
    {0x18, Probes},         {0x11, Cycles},  {0x19, SocSoh},
    {0x23, Remaining},      {0x24, Full},    {0x06, VoltageCurrentTemps},
    {0x20, ProductionDate}, {0x01, Sn},      {0x14, Mos},
    {0x05, Cells},          {0x08, Balance}, {0x07, Extremes},
};

constexpr std::array<std::uint8_t, std::size(kItems)> MakeCodes()
{
    std::array<std::uint8_t, std::size(kItems)> codes{};
    for (std::size_t i = 0; i < codes.size(); ++i)
        codes[i] = kItems[i].code;
    return codes;
}
constexpr auto kCodes = MakeCodes();

const StatusItem *Find(std::uint8_t code)
{
    for (const StatusItem &item : kItems)
        if (item.code == code)
            return &item;
    return nullptr;
}
} // namespace

std::span<const std::uint8_t> StatusItemCodes()
{
    return kCodes;
}

bool IsStatusItem(std::uint8_t code)
{
    return Find(code) != nullptr;
}

std::vector<std::uint8_t> StatusPayload(std::uint8_t code, const StatusSource &source)
{
    Bytes out;
    if (const StatusItem *item = Find(code))
        item->encode(out, source);
    return out;
}

std::vector<std::uint8_t> BatchData(std::span<const std::uint8_t> codes, const StatusSource &source)
{
    Bytes pairs{kResultOk};
    Bytes blocks;
    for (std::uint8_t code : codes) {
        Bytes block = StatusPayload(code, source);
        if (block.size() > 255)
            return {kResultBadLength};
        pairs.push_back(code);
        pairs.push_back(static_cast<std::uint8_t>(block.size()));
        blocks.insert(blocks.end(), block.begin(), block.end());
    }
    if (pairs.size() + blocks.size() > 255)
        return {kResultBadLength};
    pairs.insert(pairs.end(), blocks.begin(), blocks.end());
    return pairs;
}
