// The records the board stores (class 0x05, code 0x01): a 22-byte snapshot of
// the pack every minute of pack time and whenever a protection trips; the
// main board starts with a few older ones. A read answers every kept record,
// oldest first, eleven to a frame.
#include "sim/sim_board.h"

#include <algorithm>
#include <array>
#include <deque>

namespace {
using Data = std::span<const std::uint8_t>;
using Record = std::array<std::uint8_t, 22>;

constexpr std::size_t kKeep = 64;
constexpr std::size_t kRecordsPerFrame = 11; // 1 + 11 * 22 bytes fit in a frame
constexpr double kPeriodSeconds = 60;        // pack time between two snapshots

struct StoredRecords {
    bool started = false;
    std::deque<Record> records;
    std::uint16_t next = 1;
    double sinceSnapshot = 0;
    std::int64_t lastMs = 0;
    std::uint32_t protect = 0;
};

void PutBe(std::uint8_t *out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
}

std::uint8_t Degrees(std::int32_t centi)
{
    return static_cast<std::uint8_t>(std::clamp(centi / 100, 0, 255));
}

// The snapshot; tweak shifts the readings of a made-up older record.
Record Snapshot(const PackModel &pack, std::uint16_t number, int tweak)
{
    Record r{};
    auto [low, high] = std::minmax_element(pack.Cells().begin(), pack.Cells().end());
    const std::vector<std::int32_t> &t = pack.TempsCenti();
    std::size_t cells = t.size() > 1 ? t.size() - 1 : t.size();
    auto [tLow, tHigh] = std::minmax_element(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(cells));
    PutBe(&r[0], number, 2);
    PutBe(&r[2], static_cast<std::uint32_t>(*high + tweak), 2);
    PutBe(&r[4], static_cast<std::uint32_t>(*low + tweak), 2);
    PutBe(&r[6], pack.TotalMv() + static_cast<std::uint32_t>(16 * tweak), 4);
    PutBe(&r[10], static_cast<std::uint32_t>(pack.CurrentMa() - 1000 * tweak), 4);
    r[14] = Degrees(*tHigh + 100 * tweak);
    r[15] = Degrees(*tLow);
    r[16] = Degrees(t.back());
    r[17] = static_cast<std::uint8_t>(std::clamp(pack.Soc() - tweak, 0, 100));
    std::uint32_t protect = pack.ProtectBits();
    r[18] = static_cast<std::uint8_t>(protect);
    r[19] = static_cast<std::uint8_t>(protect >> 8);
    r[20] = static_cast<std::uint8_t>(protect >> 16);
    r[21] = pack.MosBits();
    return r;
}

void Store(StoredRecords &s, const PackModel &pack, int tweak = 0)
{
    s.records.push_back(Snapshot(pack, s.next++, tweak));
    while (s.records.size() > kKeep)
        s.records.pop_front();
}

// The records of the board, begun on first use with a few older ones.
StoredRecords &Records(SimContext &ctx)
{
    StoredRecords &s = ctx.unit.Extra<StoredRecords>();
    if (!s.started) {
        s.started = true;
        s.lastMs = ctx.nowMs;
        s.protect = ctx.unit.pack.ProtectBits();
        if (ctx.unit.link == 0x53)
            for (int tweak : {5, 4, 3, 2, 1})
                Store(s, ctx.unit.pack, tweak);
    }
    return s;
}

void Observe(SimContext &ctx)
{
    StoredRecords &s = Records(ctx);
    const PackModel &pack = ctx.unit.pack;
    s.sinceSnapshot += static_cast<double>(ctx.nowMs - s.lastMs) / 1000.0 * ctx.options.speed;
    s.lastMs = ctx.nowMs;
    bool tripped = pack.ProtectBits() & ~s.protect;
    s.protect = pack.ProtectBits();
    if (tripped || s.sinceSnapshot >= kPeriodSeconds) {
        Store(s, pack);
        s.sinceSnapshot = 0;
    }
}

SimBytes ReadRecords(SimContext &ctx, Data data)
{
    if (data.size() != 1)
        return {kResultBadLength};
    StoredRecords &s = Records(ctx);
    std::vector<SimBytes> frames;
    for (std::size_t first = 0; first < s.records.size(); first += kRecordsPerFrame) {
        SimBytes out{kResultOk};
        std::size_t end = std::min(s.records.size(), first + kRecordsPerFrame);
        for (std::size_t i = first; i < end; ++i)
            out.insert(out.end(), s.records[i].begin(), s.records[i].end());
        frames.push_back(std::move(out));
    }
    if (frames.empty())
        return {kResultOk};
    for (std::size_t f = 1; f < frames.size(); ++f)
        ctx.follow.push_back({0x85, 0x81, std::move(frames[f])});
    return frames.front();
}
} // namespace

void AddRecordCommands(SimCommandTable &table)
{
    table.push_back({0x05, 0x01, false, ReadRecords});
    table.activities.push_back({Observe, nullptr, nullptr});
}
