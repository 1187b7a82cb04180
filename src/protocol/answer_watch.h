// Which requests the board has left unanswered. The port reports each request
// as it leaves the wire, the receive path each answer it accepts; a request
// kind (class and code) that stays unanswered past its deadline is noted once,
// with the time of its first unanswered sending, until an answer of that kind
// arrives. Times are steady milliseconds given by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// A request kind: class in the high byte, code in the low byte, bit 7 of both cleared.
using RequestKey = std::uint16_t;

constexpr RequestKey MakeRequestKey(std::uint8_t cls, std::uint8_t code)
{
    return static_cast<RequestKey>(((cls & 0x7F) << 8) | (code & 0x7F));
}
constexpr std::uint8_t KeyClass(RequestKey key)
{
    return static_cast<std::uint8_t>(key >> 8);
}
constexpr std::uint8_t KeyCode(RequestKey key)
{
    return static_cast<std::uint8_t>(key & 0xFF);
}

// The kind of a complete request frame (head to tail, as written), or 0 for
// bytes that are no request frame. Kinds whose dialogs time their own
// exchange (upgrade packets, YModem blocks in frames) also give 0.
RequestKey WatchedRequestKey(const std::uint8_t *bytes, std::size_t count);

// The time a request may wait for its answer: a few command intervals plus its
// wire time, never under one second.
std::int64_t AnswerDeadlineMs(int cmdIntervalMs, int wireMs);

struct NoAnswerNote {
    RequestKey key = 0;
    std::int64_t sinceMs = 0; // first unanswered sending
};

class AnswerWatch {
public:
    // A request of this kind left the wire at nowMs; it waits at most waitMs.
    // A kind already waiting keeps its first sending and deadline.
    void OnSent(RequestKey key, std::int64_t nowMs, std::int64_t waitMs);
    // An answer of this kind was accepted: the kind waits no more and its note
    // ends. True when the kind had been noted as unanswered.
    bool OnAnswer(RequestKey key, std::int64_t nowMs);
    // The kinds whose deadline has passed since the last call, each once.
    std::vector<NoAnswerNote> Expire(std::int64_t nowMs);
    // Everything forgotten (the port closes or the board changes); the time of
    // the last answer is kept.
    void Reset();
    // The requests still waiting are no longer waited for (the tool dropped
    // their answers itself); kinds noted as unanswered stay noted.
    void ForgetWaiting();

    bool IsNoted(RequestKey key) const { return m_noted.count(key) != 0; }
    std::size_t NotedCount() const { return m_noted.size(); }
    std::size_t WaitingCount() const { return m_waiting.size(); }
    // Earliest deadline still open, or -1: when the caller looks next.
    std::int64_t NextDeadlineMs() const;
    // Steady time of the last accepted answer, -1 before the first.
    std::int64_t LastAnswerMs() const { return m_lastAnswerMs; }
    // Since when the board has been silent: the first sending of the earliest
    // request noted as unanswered after the last answer, or -1 while it
    // answers. Silence lasts only while the tool asks: once nothing has been
    // sent for twice the last request's wait and nothing waits, Expire ends it.
    std::int64_t SilentSinceMs() const { return m_silentSinceMs; }

private:
    struct Waiting {
        std::int64_t sentMs;
        std::int64_t deadlineMs;
    };
    std::map<RequestKey, Waiting> m_waiting;
    std::map<RequestKey, std::int64_t> m_noted; // kind -> since
    std::int64_t m_lastAnswerMs = -1;
    std::int64_t m_silentSinceMs = -1;
    std::int64_t m_askedUntilMs = -1; // the last sending's deadline plus one more wait
};
