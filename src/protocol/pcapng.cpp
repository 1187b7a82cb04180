#include "protocol/pcapng.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kSectionHeader = 0x0A0D0D0A;
constexpr std::uint32_t kInterface = 0x00000001;
constexpr std::uint32_t kEnhancedPacket = 0x00000006;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::uint16_t kOptEnd = 0;
constexpr std::uint16_t kOptComment = 1;
constexpr std::uint16_t kIfName = 2;
constexpr std::uint16_t kIfDescription = 3;
constexpr std::uint16_t kIfTsResol = 9;
constexpr std::uint16_t kEpbFlags = 2;
// A block longer than this is not believed (the snap length and its options fit well below it).
constexpr std::uint32_t kMaxBlock = 1u << 20;

void Put16(PcapngBytes &out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(PcapngBytes &out, std::uint32_t v)
{
    Put16(out, static_cast<std::uint16_t>(v));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

void Pad(PcapngBytes &out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

void PutOption(PcapngBytes &out, std::uint16_t code, std::span<const std::uint8_t> value)
{
    const std::size_t n = std::min<std::size_t>(value.size(), 0xFFFC);
    Put16(out, code);
    Put16(out, static_cast<std::uint16_t>(n));
    out.insert(out.end(), value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n));
    Pad(out);
}

void PutText(PcapngBytes &out, std::uint16_t code, std::string_view text)
{
    if (!text.empty())
        PutOption(out, code, {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()});
}

void EndOptions(PcapngBytes &out)
{
    Put16(out, kOptEnd);
    Put16(out, 0);
}

// Wraps a body into a block: type, total length, body, total length.
PcapngBytes Block(std::uint32_t type, const PcapngBytes &body)
{
    PcapngBytes out;
    const auto total = static_cast<std::uint32_t>(body.size() + 12);
    out.reserve(total);
    Put32(out, type);
    Put32(out, total);
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, total);
    return out;
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    void SetSwap(bool swap) { m_swap = swap; }
    bool Swap() const { return m_swap; }
    std::uint16_t U16(std::size_t at) const
    {
        const std::uint16_t le = static_cast<std::uint16_t>(m_bytes[at] | (m_bytes[at + 1] << 8));
        return m_swap ? static_cast<std::uint16_t>((le >> 8) | (le << 8)) : le;
    }
    std::uint32_t U32(std::size_t at) const
    {
        const std::uint32_t lo = U16(at), hi = U16(at + 2);
        return m_swap ? (lo << 16) | hi : (hi << 16) | lo;
    }
    std::span<const std::uint8_t> Bytes() const { return m_bytes; }

private:
    std::span<const std::uint8_t> m_bytes;
    bool m_swap = false;
};

// Walks the options in [at, end); calls take(code, value) for each.
template <typename F> bool WalkOptions(const Reader &r, std::size_t at, std::size_t end, F &&take)
{
    while (end - at >= 4) {
        const std::uint16_t code = r.U16(at);
        const std::uint16_t len = r.U16(at + 2);
        at += 4;
        if (code == kOptEnd)
            return true;
        const std::size_t padded = (static_cast<std::size_t>(len) + 3) / 4 * 4;
        if (padded > end - at)
            return false;
        take(code, r.Bytes().subspan(at, len));
        at += padded;
    }
    return at == end;
}

std::string Text(std::span<const std::uint8_t> v)
{
    return {reinterpret_cast<const char *>(v.data()), v.size()};
}

std::uint64_t UnitsOf(std::uint8_t resol)
{
    std::uint64_t units = 1;
    const bool binary = resol & 0x80;
    const int exp = std::min(resol & 0x7F, binary ? 63 : 19);
    for (int i = 0; i < exp; ++i)
        units *= binary ? 2 : 10;
    return units;
}

bool ReadInterface(const Reader &r, std::size_t body, std::size_t end, PcapngContents &out)
{
    if (end - body < 8)
        return false;
    PcapngInterfaceInfo info;
    info.linkType = r.U16(body);
    bool ok = WalkOptions(r, body + 8, end, [&](std::uint16_t code, std::span<const std::uint8_t> v) {
        if (code == kIfName)
            info.name = Text(v);
        else if (code == kIfDescription)
            info.description = Text(v);
        else if (code == kIfTsResol && v.size() == 1)
            info.unitsPerSecond = UnitsOf(v[0]);
    });
    out.interfaces.push_back(std::move(info));
    return ok;
}

bool ReadPacket(const Reader &r, std::size_t body, std::size_t end, PcapngContents &out)
{
    if (end - body < 20)
        return false;
    PcapngRecord rec;
    rec.interfaceId = r.U32(body);
    rec.time = (static_cast<std::uint64_t>(r.U32(body + 4)) << 32) | r.U32(body + 8);
    const std::uint32_t captured = r.U32(body + 12);
    const std::size_t data = body + 20;
    const std::size_t padded = (static_cast<std::size_t>(captured) + 3) / 4 * 4;
    if (captured > kMaxBlock || padded > end - data)
        return false;
    const auto bytes = r.Bytes().subspan(data, captured);
    rec.bytes.assign(bytes.begin(), bytes.end());
    bool ok = WalkOptions(r, data + padded, end, [&](std::uint16_t code, std::span<const std::uint8_t> v) {
        if (code == kEpbFlags && v.size() == 4) {
            Reader fr(v);
            fr.SetSwap(r.Swap());
            rec.direction = static_cast<PcapngDirection>(fr.U32(0) & 3);
        }
    });
    if (!ok)
        return false;
    if (rec.interfaceId < out.interfaces.size() && rec.direction != static_cast<PcapngDirection>(3))
        out.records.push_back(std::move(rec));
    return true;
}

} // namespace

PcapngBytes PcapngSectionHeader(std::string_view comment)
{
    PcapngBytes body;
    Put32(body, kByteOrderMagic);
    Put16(body, 1); // version 1.0
    Put16(body, 0);
    Put32(body, 0xFFFFFFFF); // section length not given
    Put32(body, 0xFFFFFFFF);
    PutText(body, kOptComment, comment);
    EndOptions(body);
    return Block(kSectionHeader, body);
}

PcapngBytes PcapngInterface(std::uint16_t linkType, std::string_view name, std::string_view description,
                            std::string_view comment)
{
    PcapngBytes body;
    Put16(body, linkType);
    Put16(body, 0);
    Put32(body, kPcapngSnapLen);
    PutText(body, kOptComment, comment);
    PutText(body, kIfName, name);
    PutText(body, kIfDescription, description);
    const std::uint8_t micro = 6;
    PutOption(body, kIfTsResol, {&micro, 1});
    EndOptions(body);
    return Block(kInterface, body);
}

PcapngBytes PcapngPacket(std::uint32_t interfaceId, std::uint64_t timeUs, PcapngDirection direction,
                         std::span<const std::uint8_t> bytes)
{
    const std::size_t n = std::min<std::size_t>(bytes.size(), kPcapngSnapLen);
    PcapngBytes body;
    body.reserve(n + 40);
    Put32(body, interfaceId);
    Put32(body, static_cast<std::uint32_t>(timeUs >> 32));
    Put32(body, static_cast<std::uint32_t>(timeUs));
    Put32(body, static_cast<std::uint32_t>(n));
    Put32(body, static_cast<std::uint32_t>(bytes.size()));
    body.insert(body.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    Pad(body);
    if (direction != PcapngDirection::Unknown) {
        PcapngBytes flags;
        Put32(flags, static_cast<std::uint32_t>(direction));
        PutOption(body, kEpbFlags, flags);
        EndOptions(body);
    }
    return Block(kEnhancedPacket, body);
}

PcapngContents ReadPcapng(std::span<const std::uint8_t> bytes)
{
    PcapngContents out;
    Reader r(bytes);
    std::size_t at = 0;
    bool inSection = false;
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) {
            out.problem = "cut-off block";
            break;
        }
        const std::uint32_t type = r.U32(at);
        if (type == kSectionHeader) {
            if (bytes.size() - at < 28) {
                out.problem = "cut-off block";
                break;
            }
            // The byte order of the new section is told by its magic.
            Reader probe(bytes);
            if (probe.U32(at + 8) == kByteOrderMagic)
                r.SetSwap(false);
            else if (probe.U32(at + 8) == 0x4D3C2B1A)
                r.SetSwap(true);
            else {
                out.problem = "not a pcapng section";
                break;
            }
            inSection = true;
            out.interfaces.clear(); // interfaces belong to their section
        } else if (!inSection) {
            out.problem = "not a pcapng file";
            break;
        }
        const std::uint32_t total = r.U32(at + 4);
        if (total < 12 || total % 4 != 0 || total > kMaxBlock) {
            out.problem = "malformed block length";
            break;
        }
        if (total > bytes.size() - at) {
            out.problem = "cut-off block";
            break;
        }
        if (r.U32(at + total - 4) != total) {
            out.problem = "block lengths disagree";
            break;
        }
        const std::size_t body = at + 8, end = at + total - 4;
        bool ok = true;
        if (type == kSectionHeader)
            ok = end - body >= 16 && WalkOptions(r, body + 16, end, [](std::uint16_t, auto) {});
        else if (type == kInterface)
            ok = ReadInterface(r, body, end, out);
        else if (type == kEnhancedPacket)
            ok = ReadPacket(r, body, end, out);
        if (!ok) {
            out.problem = "malformed block";
            break;
        }
        at += total;
        out.wholeBytes = at;
    }
    return out;
}
