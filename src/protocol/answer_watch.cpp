#include "protocol/answer_watch.h"

#include "protocol/frame.h"

#include <algorithm>

RequestKey WatchedRequestKey(const std::uint8_t *bytes, std::size_t count)
{
    if (!bytes || count < kFrameMinLen || bytes[0] != kFrameHead || bytes[1] != kLinkMain)
        return 0;
    if (bytes[4] + kFrameMinLen != count || bytes[count - 2] != 0x0D || bytes[count - 1] != 0x0A)
        return 0;
    if ((bytes[2] & 0x80) || (bytes[3] & 0x80))
        return 0; // not a request
    const RequestKey key = MakeRequestKey(bytes[2], bytes[3]);
    constexpr RequestKey kOwnTiming[] = {MakeRequestKey(0x03, 0x26), MakeRequestKey(0x02, 0x01)};
    for (RequestKey own : kOwnTiming)
        if (key == own)
            return 0;
    return key;
}

std::int64_t AnswerDeadlineMs(int cmdIntervalMs, int wireMs)
{
    constexpr int kIntervals = 3;
    std::int64_t wait = static_cast<std::int64_t>(std::max(cmdIntervalMs, 0)) * kIntervals + std::max(wireMs, 0);
    return std::max<std::int64_t>(wait, 1000);
}

void AnswerWatch::OnSent(RequestKey key, std::int64_t nowMs, std::int64_t waitMs)
{
    // The deadline runs from the first sending that is still unanswered: a
    // request repeated every refresh must not keep pushing it away.
    const std::int64_t wait = std::max<std::int64_t>(waitMs, 0);
    m_waiting.try_emplace(key, Waiting{nowMs, nowMs + wait});
    m_askedUntilMs = std::max(m_askedUntilMs, nowMs + 2 * wait);
}

bool AnswerWatch::OnAnswer(RequestKey key, std::int64_t nowMs)
{
    m_lastAnswerMs = nowMs;
    m_silentSinceMs = -1;
    m_waiting.erase(key);
    return m_noted.erase(key) != 0;
}

std::vector<NoAnswerNote> AnswerWatch::Expire(std::int64_t nowMs)
{
    std::vector<NoAnswerNote> notes;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (it->second.deadlineMs > nowMs) {
            ++it;
            continue;
        }
        const std::int64_t since = it->second.sentMs;
        // A kind already noted and sent again stays noted without a second note.
        if (m_noted.emplace(it->first, since).second)
            notes.push_back({it->first, since});
        if (since > m_lastAnswerMs && (m_silentSinceMs < 0 || since < m_silentSinceMs))
            m_silentSinceMs = since;
        it = m_waiting.erase(it);
    }
    // Nothing asked any more: the board is not silent, just not spoken to.
    if (m_silentSinceMs >= 0 && m_waiting.empty() && nowMs >= m_askedUntilMs)
        m_silentSinceMs = -1;
    return notes;
}

void AnswerWatch::ForgetWaiting()
{
    m_waiting.clear();
}

void AnswerWatch::Reset()
{
    m_waiting.clear();
    m_noted.clear();
    m_silentSinceMs = -1;
}

std::int64_t AnswerWatch::NextDeadlineMs() const
{
    std::int64_t next = -1;
    for (const auto &[key, w] : m_waiting)
        if (next < 0 || w.deadlineMs < next)
            next = w.deadlineMs;
    if (next < 0 && m_silentSinceMs >= 0)
        next = m_askedUntilMs; // when a silence nobody asks into ends
    return next;
}
