// The board's event logs (class 0x03, request 0x50): four logs of 52-byte
// records. The alarm and protection logs gain a record whenever the pack
// raises a new alarm or protection, the sleep log whenever the pack goes to
// or leaves standby; the main board also starts with a history of its own.
// A request is acknowledged with 0xD0 and answered with 0xD1 frames of at
// most four records each.
#include "sim/sim_board.h"

#include <algorithm>
#include <array>
#include <deque>
#include <random>

namespace {
using Data = std::span<const std::uint8_t>;

constexpr std::size_t kRecordBytes = 52;
constexpr std::size_t kKeep = 200;          // records per log; older ones are forgotten
constexpr std::size_t kRecordsPerFrame = 4; // 1 + 3 + 4 * 52 bytes fit in a frame
constexpr std::uint8_t kDataCode = 0xD1;
constexpr int kKinds = 4;

struct LogEntry {
    std::int64_t boardSec;
    std::uint32_t flags;
    std::array<std::uint8_t, 44> detail; // bytes 4-47: a snapshot of the pack
};

struct EventLogs {
    bool started = false;
    std::array<std::deque<LogEntry>, kKinds> logs;
    std::uint32_t alarm = 0;
    std::uint32_t protect = 0;
    bool standby = false;
};

void PutLe(std::uint8_t *out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Alarm log flags: the pack's alarms (bits 0-11) and low charge (bit 16).
std::uint32_t AlarmFlags(const PackModel &pack)
{
    return pack.AlarmBits() | (pack.Soc() <= 10 ? 1u << 16 : 0u);
}

std::array<std::uint8_t, 44> Snapshot(const PackModel &pack, int kind)
{
    std::array<std::uint8_t, 44> d{};
    auto [low, high] = std::minmax_element(pack.Cells().begin(), pack.Cells().end());
    PutLe(&d[0], *high, 2);
    PutLe(&d[2], *low, 2);
    PutLe(&d[4], pack.TotalMv(), 4);
    PutLe(&d[8], static_cast<std::uint32_t>(pack.CurrentMa()), 4);
    PutLe(&d[12], static_cast<std::uint32_t>(pack.TempsCenti().front()), 2);
    PutLe(&d[14], static_cast<std::uint32_t>(pack.TempsCenti().back()), 2);
    d[16] = pack.Soc();
    d[17] = static_cast<std::uint8_t>(kind);
    return d;
}

void Append(EventLogs &s, int kind, std::int64_t boardSec, std::uint32_t flags, const PackModel &pack)
{
    std::deque<LogEntry> &log = s.logs[static_cast<std::size_t>(kind)];
    log.push_back({boardSec, flags, Snapshot(pack, kind)});
    while (log.size() > kKeep)
        log.pop_front();
}

// A month of past events, the same for the same seed.
void SeedHistory(EventLogs &s, const SimContext &ctx)
{
    std::mt19937 rng(ctx.options.seed * 131u + 11u);
    std::int64_t now = ctx.unit.BoardMs(ctx.nowMs) / 1000;
    const std::uint32_t alarmBits[] = {1u << 0, 1u << 1, 1u << 4, 1u << 6, 1u << 11, 1u << 16, (1u << 0) | (1u << 13)};
    const std::uint32_t protectBits[] = {1u << 0, 1u << 1, 1u << 3, 1u << 5, 1u << 8, 1u << 19};
    std::uniform_int_distribution<std::int64_t> when(86400, 30 * 86400);
    struct Plan {
        int kind;
        int count;
    };
    for (Plan plan : {Plan{2, 6}, Plan{3, 4}, Plan{0, 4}, Plan{1, 3}}) {
        std::vector<std::int64_t> times;
        for (int i = 0; i < plan.count; ++i)
            times.push_back(now - when(rng));
        std::sort(times.begin(), times.end());
        for (int i = 0; i < plan.count; ++i) {
            std::uint32_t flags = 1u << (i % 2);
            if (plan.kind == 2)
                flags = alarmBits[rng() % std::size(alarmBits)];
            else if (plan.kind == 3)
                flags = protectBits[rng() % std::size(protectBits)];
            Append(s, plan.kind, times[static_cast<std::size_t>(i)], flags, ctx.unit.pack);
        }
    }
}

// The logs of the board, begun on first use from the pack as it is then.
EventLogs &Logs(SimContext &ctx)
{
    EventLogs &s = ctx.unit.Extra<EventLogs>();
    if (!s.started) {
        s.started = true;
        s.alarm = AlarmFlags(ctx.unit.pack);
        s.protect = ctx.unit.pack.ProtectBits();
        s.standby = ctx.unit.pack.Phase() == PackPhase::Standby;
        if (ctx.unit.link == 0x53)
            SeedHistory(s, ctx);
    }
    return s;
}

void Observe(SimContext &ctx)
{
    EventLogs &s = Logs(ctx);
    const PackModel &pack = ctx.unit.pack;
    std::int64_t boardSec = ctx.unit.BoardMs(ctx.nowMs) / 1000;
    std::uint32_t alarm = AlarmFlags(pack), protect = pack.ProtectBits();
    bool standby = pack.Phase() == PackPhase::Standby;
    if (alarm & ~s.alarm)
        Append(s, 2, boardSec, alarm, pack);
    if (protect & ~s.protect)
        Append(s, 3, boardSec, protect, pack);
    if (standby != s.standby)
        Append(s, 0, boardSec, standby ? 1u : 2u, pack); // bit 0 sleep, bit 1 wake-up
    s.alarm = alarm;
    s.protect = protect;
    s.standby = standby;
}

SimBytes EncodeRecord(const LogEntry &e)
{
    SimBytes r(kRecordBytes);
    PutLe(&r[0], static_cast<std::uint32_t>(e.boardSec), 4);
    std::copy(e.detail.begin(), e.detail.end(), r.begin() + 4);
    PutLe(&r[48], e.flags, 4);
    return r;
}

// The last `wanted` records, oldest first, in 0xD1 frames; an empty log
// answers one record without events at the board's time.
void SendLog(SimContext &ctx, int kind, std::size_t wanted)
{
    EventLogs &s = Logs(ctx);
    const std::deque<LogEntry> &log = s.logs[static_cast<std::size_t>(kind)];
    std::vector<LogEntry> picked(log.end() - static_cast<std::ptrdiff_t>(std::min(wanted, log.size())), log.end());
    if (picked.empty())
        picked.push_back({ctx.unit.BoardMs(ctx.nowMs) / 1000, 0, Snapshot(ctx.unit.pack, kind)});
    std::size_t packets = (picked.size() + kRecordsPerFrame - 1) / kRecordsPerFrame;
    for (std::size_t p = 0; p < packets; ++p) {
        std::size_t first = p * kRecordsPerFrame, count = std::min(kRecordsPerFrame, picked.size() - first);
        SimBytes data{kResultOk, static_cast<std::uint8_t>(packets), static_cast<std::uint8_t>(p + 1),
                      static_cast<std::uint8_t>(count)};
        for (std::size_t i = 0; i < count; ++i) {
            SimBytes r = EncodeRecord(picked[first + i]);
            data.insert(data.end(), r.begin(), r.end());
        }
        ctx.follow.push_back({0x83, kDataCode, std::move(data)});
    }
}

// Data: the log kind, the most records wanted (0: all kept), eight bytes 0.
SimBytes ReadLog(SimContext &ctx, Data data)
{
    if (ctx.options.logResultCode != 0)
        return {static_cast<std::uint8_t>(ctx.options.logResultCode)};
    if (data.size() != 10)
        return {kResultBadLength};
    if (data[0] >= kKinds)
        return {kResultBadValue};
    if (!ctx.options.noLog)
        SendLog(ctx, data[0], data[1] ? data[1] : kKeep);
    return {kResultOk};
}
} // namespace

void AddLogCommands(SimCommandTable &table)
{
    table.push_back({0x03, 0x50, false, ReadLog});
    table.activities.push_back({Observe, nullptr, nullptr});
}
