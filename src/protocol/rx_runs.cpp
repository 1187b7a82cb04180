#include "protocol/rx_runs.h"

#include "protocol/frame.h"

namespace {

// 0 when the bytes may still become a frame, the frame's length when they
// begin one, -1 when they cannot begin one.
long FrameAt(const std::vector<std::uint8_t> &b, std::size_t at)
{
    const std::size_t have = b.size() - at;
    if (b[at] != kFrameHead)
        return -1;
    if (have < 2)
        return 0;
    if ((b[at + 1] & 0x7F) != kLinkMain)
        return -1;
    if (have < 5)
        return 0;
    const std::size_t length = static_cast<std::size_t>(b[at + 4]) + 9;
    if (have < length)
        return 0;
    return b[at + length - 2] == 0x0D && b[at + length - 1] == 0x0A ? static_cast<long>(length) : -1;
}

} // namespace

void RxRunCutter::Feed(std::span<const std::uint8_t> bytes, std::int64_t timeUs)
{
    if (bytes.empty())
        return;
    if (m_waiting.empty())
        m_waitingSinceUs = timeUs;
    m_waiting.insert(m_waiting.end(), bytes.begin(), bytes.end());
    m_times.insert(m_times.end(), bytes.size(), timeUs);
    Cut();
}

void RxRunCutter::Cut()
{
    std::size_t at = 0;
    while (at < m_waiting.size()) {
        const long length = FrameAt(m_waiting, at);
        if (length == 0 && m_waiting.size() - at <= kMaxWaiting)
            break; // the rest of a frame may still come
        if (length > 0) {
            EmitStray();
            m_sink(std::span(m_waiting).subspan(at, static_cast<std::size_t>(length)), m_times[at], true);
            at += static_cast<std::size_t>(length);
            continue;
        }
        if (m_stray.empty())
            m_strayUs = m_times[at];
        m_stray.push_back(m_waiting[at]);
        ++at;
    }
    m_waiting.erase(m_waiting.begin(), m_waiting.begin() + static_cast<std::ptrdiff_t>(at));
    m_times.erase(m_times.begin(), m_times.begin() + static_cast<std::ptrdiff_t>(at));
    if (!m_times.empty())
        m_waitingSinceUs = m_times.front();
    // A stray run ends where a possible frame begins, or with the read.
    EmitStray();
}

void RxRunCutter::EmitStray()
{
    if (m_stray.empty())
        return;
    m_sink(m_stray, m_strayUs, false);
    m_stray.clear();
}

void RxRunCutter::Flush()
{
    if (m_waiting.empty())
        return;
    m_sink(m_waiting, m_times.front(), false);
    m_waiting.clear();
    m_times.clear();
}
