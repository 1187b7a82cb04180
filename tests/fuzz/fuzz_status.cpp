// Status answers from the board: the item decoders over arbitrary payloads,
// the batch answer over arbitrary frames, and the live state built from both.
// Besides the sanitizers' view of every read: values re-encode to the bytes
// they came from, counts follow from the payload's length, and every batch
// block lies inside its frame and rebuilds the frame's data.
#include "fuzz_link_check.h"

#include "protocol/batch_status.h"
#include "protocol/live_status.h"
#include "protocol/status_decode.h"

#include <bit>

namespace {

void CheckItems(StatusBytes p)
{
    CellSummary cells = DecodeCells(p);
    FUZZ_CHECK(cells.cells.size() == p.size() / 2 && cells.oddTail == (p.size() % 2 != 0));
    for (std::size_t i = 0; i < cells.cells.size(); ++i)
        FUZZ_CHECK(cells.cells[i] == ((p[2 * i] << 8) | p[2 * i + 1]));
    if (cells.cells.empty()) {
        FUZZ_CHECK(cells.highestCell == 0 && cells.lowestCell == 0 && cells.difference == 0);
    } else {
        FUZZ_CHECK(cells.highestCell >= 1 && cells.highestCell <= static_cast<int>(cells.cells.size()));
        FUZZ_CHECK(cells.lowestCell >= 1 && cells.lowestCell <= static_cast<int>(cells.cells.size()));
        FUZZ_CHECK(cells.cells[cells.highestCell - 1] == cells.highest);
        FUZZ_CHECK(cells.cells[cells.lowestCell - 1] == cells.lowest);
        for (std::uint16_t v : cells.cells)
            FUZZ_CHECK(v <= cells.highest && v >= cells.lowest);
        FUZZ_CHECK(cells.difference == cells.highest - cells.lowest);
    }
    CellSummaryRows(cells);

    PowerReading power = DecodePower(p);
    FUZZ_CHECK(power.voltageMv.has_value() == (p.size() >= 2));
    FUZZ_CHECK(power.currentMa.has_value() == (p.size() >= 6));
    std::size_t probes = p.size() > 6 ? (p.size() - 6) / 2 : 0;
    FUZZ_CHECK(power.temps.size() == probes);
    for (std::size_t i = 0; i < probes; ++i)
        FUZZ_CHECK(static_cast<std::uint16_t>(power.temps[i]) == ((p[6 + 2 * i] << 8) | p[7 + 2 * i]));
    FUZZ_CHECK(power.lowestProbe >= 0 && power.lowestProbe <= static_cast<int>(probes));
    FUZZ_CHECK(power.highestProbe >= 0 && power.highestProbe <= static_cast<int>(probes));
    if (power.currentMa)
        CurrentStateText(*power.currentMa);

    std::uint32_t bits = DecodeBitField(p);
    for (std::size_t b = 0; b < 4; ++b)
        FUZZ_CHECK(static_cast<std::uint8_t>(bits >> (8 * b)) == (b < p.size() ? p[b] : 0));
    FUZZ_CHECK(DecodeBalancing(p) == bits);
    std::size_t set = 0;
    for (std::uint8_t b : p)
        set += static_cast<std::size_t>(std::popcount(b));
    FUZZ_CHECK(ProtectionNames(p).size() == (set ? set : 1));
    FUZZ_CHECK(AlarmNames(p).size() == (set ? set : 1));

    std::string sn = DecodeSnText(p);
    FUZZ_CHECK(sn.size() <= p.size());
    for (std::size_t i = 0; i < sn.size(); ++i)
        FUZZ_CHECK(sn[i] == static_cast<char>(p[i]) || sn[i] == '0');

    FUZZ_CHECK(DecodeVersions(p).has_value() == (p.size() >= 6));
    DecodeExtremes(p);
    auto extremes = DecodeExtremeValues(p);
    FUZZ_CHECK(extremes[0].has_value() == (p.size() >= 2) && extremes[10].has_value() == (p.size() >= 20));
    FUZZ_CHECK(DecodeMos(p).has_value() == !p.empty());
    if (std::optional<SocSoh> soc = DecodeSoc(p)) {
        FUZZ_CHECK(soc->soc == p[0] && soc->soh == p[1]);
        FUZZ_CHECK(SocImageIndex(soc->soc) >= 0 && SocImageIndex(soc->soc) <= 10);
    }
    if (std::optional<std::uint16_t> cycles = DecodeCycles(p))
        FUZZ_CHECK(*cycles == ((p[0] << 8) | p[1]));
    if (std::optional<std::uint8_t> n = DecodeProbeCount(p))
        FUZZ_CHECK(*n == p[0]);
    if (std::optional<ProductionDate> d = DecodeProductionDate(p))
        FUZZ_CHECK(d->year == 2000 + p[0] && d->month == p[1] && d->day == p[2] && d->month >= 1 && d->month <= 12 &&
                   d->day >= 1 && d->day <= 31);
    for (int length : {static_cast<int>(p.size()) + 1, 3, 5})
        DecodeCapacity(p, length);
    if (std::optional<std::uint32_t> c = DecodeCapacityValue(p))
        FUZZ_CHECK(p.size() == 2 || p.size() == 4);
    if (std::optional<std::uint16_t> full = DecodeFullCapacityBlock(p))
        FUZZ_CHECK(*full == ((p[0] << 8) | p[1]));
}

// A whole answer frame around arbitrary data (the sum is not checked here).
Bytes FrameAround(std::uint8_t cls, std::uint8_t code, std::span<const std::uint8_t> data, std::uint8_t lengthByte)
{
    Bytes f{0x4D, 0x53, cls, code, lengthByte};
    f.insert(f.end(), data.begin(), data.end());
    f.insert(f.end(), {0x00, 0x00, 0x0D, 0x0A});
    return f;
}

void CheckBatch(const Bytes &frame)
{
    BatchStatus s = ParseBatchStatus(frame.data(), frame.size());
    if (!s.accepted) {
        FUZZ_CHECK(s.blocks.empty() && !s.reason.empty());
        return;
    }
    FUZZ_CHECK(s.blocks.size() == kBatchItems);
    std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> blocks;
    for (const BatchBlock &b : s.blocks) {
        FUZZ_CHECK(b.bytes.empty() || (b.bytes.data() >= frame.data() + 5 &&
                                       b.bytes.data() + b.bytes.size() <= frame.data() + 5 + frame[4]));
        blocks.push_back({b.code, {b.bytes.begin(), b.bytes.end()}});
    }
    // The data rebuilt from the blocks is the start of the frame's data.
    Bytes data = BuildBatchData(blocks);
    FUZZ_CHECK(data.size() <= frame[4]);
    FUZZ_CHECK(std::memcmp(data.data(), frame.data() + 5, data.size()) == 0);
    LiveStatus live;
    ApplyBatchStatus(live, s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    std::uint8_t code = data[0];
    std::uint8_t mode = data[1];
    StatusBytes payload(data + 2, size - 2);
    CheckItems(payload);

    // The same bytes as a single-item answer and as a batch answer, the length
    // byte telling the truth or not.
    if (payload.size() <= 255) {
        std::uint8_t lengthByte = (mode & 1) ? static_cast<std::uint8_t>(payload.size()) : mode;
        Bytes single = FrameAround(0x83, code, payload, lengthByte);
        LiveStatus live;
        ApplyStatusFrame(live, single.data(), single.size());
        for (int dataLength : {static_cast<int>(payload.size()) + 1, static_cast<int>(mode)})
            ApplyStatusItem(live, code, payload, dataLength, (mode & 2) != 0);
        CheckBatch(FrameAround(0x83, 0xE6, payload, lengthByte));
    }
    return 0;
}
