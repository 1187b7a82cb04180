#include "sim/sim_replay.h"

#include "protocol/frame.h"
#include "protocol/pcapng.h"

namespace {

// The length of the whole frame (any board, request or answer) at the start
// of bytes; 0 when there is none.
std::size_t WholeFrame(std::span<const std::uint8_t> b)
{
    if (b.size() < kFrameMinLen || b[0] != kFrameHead || (b[1] & 0x7F) != kLinkMain)
        return 0;
    const std::size_t length = static_cast<std::size_t>(b[4]) + 9;
    if (b.size() < length || b[length - 2] != 0x0D || b[length - 1] != 0x0A)
        return 0;
    return length;
}

} // namespace

std::optional<SimBytes> ReplayBook::KeyOf(std::span<const std::uint8_t> frame)
{
    const std::size_t length = WholeFrame(frame);
    if (length == 0 || length != frame.size() || frame[1] != kLinkMain || (frame[2] & 0x80) || (frame[3] & 0x80))
        return std::nullopt;
    return SimBytes(frame.begin() + 2, frame.begin() + static_cast<std::ptrdiff_t>(length - 4));
}

ReplayBook ReplayBook::FromCapture(std::span<const std::uint8_t> bytes, std::string *problem)
{
    ReplayBook book;
    PcapngContents contents = ReadPcapng(bytes);
    if (problem)
        *problem = contents.problem;
    std::vector<SimBytes> *turn = nullptr; // the answers of the request sent last
    for (const PcapngRecord &rec : contents.records) {
        const std::span<const std::uint8_t> b(rec.bytes);
        if (rec.direction == PcapngDirection::Outbound) {
            turn = nullptr;
            if (std::optional<SimBytes> key = KeyOf(b)) {
                Entry &entry = book.m_book[*key];
                entry.turns.emplace_back();
                turn = &entry.turns.back();
                ++book.m_turns;
            }
            continue;
        }
        if (rec.direction != PcapngDirection::Inbound || !turn)
            continue;
        // Every whole frame of the record; stray bytes are passed over.
        for (std::size_t at = 0; at < b.size();) {
            const std::size_t length = WholeFrame(b.subspan(at));
            if (length == 0) {
                ++at;
                continue;
            }
            turn->emplace_back(b.begin() + static_cast<std::ptrdiff_t>(at),
                               b.begin() + static_cast<std::ptrdiff_t>(at + length));
            at += length;
        }
    }
    return book;
}

std::optional<std::vector<SimBytes>> ReplayBook::Take(std::span<const std::uint8_t> request)
{
    const std::optional<SimBytes> key = KeyOf(request);
    if (!key)
        return std::nullopt;
    auto it = m_book.find(*key);
    if (it == m_book.end())
        return std::nullopt;
    Entry &entry = it->second;
    if (entry.next < entry.turns.size())
        return entry.turns[entry.next++];
    for (auto t = entry.turns.rbegin(); t != entry.turns.rend(); ++t)
        if (!t->empty())
            return *t;
    return std::nullopt;
}
