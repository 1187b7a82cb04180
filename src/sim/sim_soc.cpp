// SOC learning (class 0x02): the board keeps a learning configuration (read
// 0x2C, written 0x04, 25 bytes) and, once started (0x05 with 0x00; 0x01
// stops), runs its pack through the configured stages, charging or
// discharging with the configured learning currents, and sends a learning
// record (0x82/0x85) every upload interval of pack time. Each stage takes
// three records; a last record with stage 9 says the learning is finished. A
// switch makes it fail in a chosen stage with a chosen error code.
#include "sim/sim_board.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
using Data = std::span<const std::uint8_t>;
using Config = std::array<std::uint8_t, 25>;

constexpr int kRecordsPerStage = 3;
constexpr int kFinished = 9;
constexpr std::int32_t kMaxHoldMa = 60000;

// Start 3400 mV, end 2900 mV, stages 1-8, every 5 s, 5 %, 500 mA, 5000 mA,
// 50 mV, step 5, index 0, 20 A both ways.
constexpr Config kDefault = {0x0D, 0x48, 0x0B, 0x54, 0x01, 0x08, 0x00, 0x05, 0x05, 0x01, 0xF4, 0x13, 0x88,
                             0x00, 0x32, 0x05, 0x00, 0x00, 0x00, 0x4E, 0x20, 0x00, 0x00, 0x4E, 0x20};

struct Learning {
    Config config = kDefault;
    bool running = false;
    int stage = 0;
    int inStage = 0;
    std::int64_t dueMs = 0;
};

std::uint32_t Be(const Config &c, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | c[at + static_cast<std::size_t>(i)];
    return v;
}

int StartStage(const Config &c)
{
    return c[4];
}
int EndStage(const Config &c)
{
    return c[5];
}
int UploadSec(const Config &c)
{
    return static_cast<int>(Be(c, 6, 2));
}

// Computer time between two records: the upload interval of pack time.
std::int64_t IntervalMs(const Learning &l, const SimOptions &options)
{
    return std::max<std::int64_t>(1, std::llround(UploadSec(l.config) * 1000.0 / options.speed));
}

// The stage after s on the way to the end stage; 9 once the end is passed.
int NextStage(int s, int end)
{
    do
        ++s;
    while (s == kFinished && s <= end);
    return s > end || s > 10 ? kFinished : s;
}

// Charging stages hold the learning charge current, discharging stages the
// learning discharge current (the standard current when that is 0).
void Drive(BoardUnit &unit, const Learning &l)
{
    std::int32_t standard = static_cast<std::int32_t>(Be(l.config, 11, 2));
    std::int32_t charge = static_cast<std::int32_t>(Be(l.config, 17, 4));
    std::int32_t discharge = static_cast<std::int32_t>(Be(l.config, 21, 4));
    std::int32_t ma = 0;
    if (l.stage == 1 || l.stage == 3 || l.stage == 5 || l.stage == 7)
        ma = charge ? charge : standard;
    else if (l.stage == 2 || l.stage == 4 || l.stage == 6 || l.stage == 8)
        ma = -std::abs(discharge ? discharge : standard);
    ma = std::clamp(ma, -kMaxHoldMa, kMaxHoldMa);
    // Held past the next record, which drives the pack again.
    unit.pack.HoldCurrent(ma, l.stage == kFinished ? 0 : 2.0 * UploadSec(l.config));
}

SimBytes Record(const BoardUnit &unit, const Learning &l, std::uint8_t error)
{
    const PackModel &pack = unit.pack;
    std::uint32_t mv = std::min<std::uint32_t>(pack.TotalMv(), 0xFFFF);
    auto current = static_cast<std::uint32_t>(pack.CurrentMa());
    int soc = pack.Soc();
    SimBytes d{error,
               static_cast<std::uint8_t>(l.stage),
               static_cast<std::uint8_t>(mv >> 8),
               static_cast<std::uint8_t>(mv),
               static_cast<std::uint8_t>(current >> 24),
               static_cast<std::uint8_t>(current >> 16),
               static_cast<std::uint8_t>(current >> 8),
               static_cast<std::uint8_t>(current),
               static_cast<std::uint8_t>(std::clamp(soc + 1, 0, 100)), // from the cell voltages
               static_cast<std::uint8_t>(soc),
               static_cast<std::uint8_t>(std::clamp(soc - 1, 0, 100)), // from the counted charge
               static_cast<std::uint8_t>(pack.FullMah() >> 8),
               static_cast<std::uint8_t>(pack.FullMah()),
               static_cast<std::uint8_t>(l.inStage)};
    return d;
}

void Due(SimContext &ctx)
{
    Learning &l = ctx.unit.Extra<Learning>();
    if (!l.running || ctx.nowMs < l.dueMs)
        return;
    bool fails = ctx.options.socFailStage != 0 && l.stage == ctx.options.socFailStage;
    std::uint8_t error = fails ? static_cast<std::uint8_t>(ctx.options.socFailCode) : 0;
    ctx.follow.push_back({0x82, 0x85, Record(ctx.unit, l, error)});
    if (fails || l.stage == kFinished) {
        l.running = false;
        ctx.unit.pack.HoldCurrent(0, 0);
        return;
    }
    if (++l.inStage >= kRecordsPerStage) {
        l.inStage = 0;
        l.stage = NextStage(l.stage, EndStage(l.config));
    }
    Drive(ctx.unit, l);
    l.dueMs += IntervalMs(l, ctx.options);
}

std::optional<std::int64_t> NextDue(SimContext &ctx)
{
    const Learning &l = ctx.unit.Extra<Learning>();
    return l.running ? std::optional<std::int64_t>(l.dueMs) : std::nullopt;
}

SimBytes WithConfig(const Config &c)
{
    SimBytes out(1 + c.size(), kResultOk);
    std::copy(c.begin(), c.end(), out.begin() + 1);
    return out;
}

SimBytes ReadConfig(SimContext &ctx, Data data)
{
    if (data.size() != 1)
        return {kResultBadLength};
    return WithConfig(ctx.unit.Extra<Learning>().config);
}

SimBytes WriteConfig(SimContext &ctx, Data data)
{
    if (data.size() != std::tuple_size_v<Config>)
        return {kResultBadLength};
    Config c{};
    std::copy(data.begin(), data.end(), c.begin());
    int upload = UploadSec(c);
    if (StartStage(c) < 1 || StartStage(c) > 10 || EndStage(c) < 1 || EndStage(c) > 10 || StartStage(c) > EndStage(c) ||
        upload < 1 || upload > 3600 || c[8] > 100)
        return {kResultBadValue};
    ctx.unit.Extra<Learning>().config = c;
    return WithConfig(c);
}

SimBytes StartStop(SimContext &ctx, Data data)
{
    if (data.size() != 1)
        return {kResultBadLength};
    Learning &l = ctx.unit.Extra<Learning>();
    if (data[0] == 0x01) {
        l.running = false;
        ctx.unit.pack.HoldCurrent(0, 0);
        return {kResultOk};
    }
    if (data[0] != 0x00)
        return {kResultBadValue};
    l.running = true;
    l.stage = StartStage(l.config) == kFinished ? NextStage(kFinished, EndStage(l.config)) : StartStage(l.config);
    l.inStage = 0;
    l.dueMs = ctx.nowMs + IntervalMs(l, ctx.options);
    Drive(ctx.unit, l);
    return {kResultOk};
}
} // namespace

void AddSocCommands(SimCommandTable &table)
{
    table.push_back({0x02, 0x2C, false, ReadConfig});
    table.push_back({0x02, 0x04, false, WriteConfig});
    table.push_back({0x02, 0x05, false, StartStop});
    table.activities.push_back({nullptr, Due, NextDue});
}
