// The board clock (class 0x03, code 0x25) and the synchronisation that keeps
// it in step with the computer after the port opens: read the clock, set it
// when it is more than ten minutes away, stop once it is within, never more
// than ten requests in one run. Pure: the caller sends the payloads, runs the
// timer and supplies the computer's time.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr std::uint8_t kClockCode = 0x25;
inline constexpr int kClockNeed = 7; // data length of a clock answer, result byte included
inline constexpr int kClockPeriodMs = 3000;
inline constexpr int kClockToleranceSec = 600;
inline constexpr int kClockTryLimit = 10;

struct BoardTime {
    int year = 2001;
    int month = 1;
    int day = 1;
    int hour = 1;
    int minute = 1;
    int second = 1;
};
// Payload year - 2000, month, day, hour, minute, second. A month outside 1-12
// or a day outside 1-31 gives the date 2001-01-01; an hour above 23 or a minute
// or second above 59 gives the time 01:01:01. nullopt with fewer than 6 bytes.
std::optional<BoardTime> DecodeBoardTime(std::span<const std::uint8_t> payload);
// The board time taken as the computer's local time, in seconds since 1970.
std::int64_t BoardTimeSeconds(const BoardTime &t);
// "yyyy-MM-dd HH:mm:ss" with the given character between date and time
// (' ' for people, 'T' for ISO 8601 readers).
std::string BoardTimeText(const BoardTime &t, char between = ' ');

// 53 03 25 01 00.
std::vector<std::uint8_t> ClockReadPayload();
// 53 03 25 07 01, year - 2000, month, day, hour, minute, second of the local time.
std::vector<std::uint8_t> ClockSetPayload(std::time_t now);

class ClockSync {
public:
    enum State { Reading = 0, Setting = 1, Done = 2 };

    // What the page does after an event.
    struct Step {
        std::vector<std::uint8_t> send; // a request payload, or empty
        std::string trace;              // lines for standard output
        bool stopTimer = false;
    };

    // A new run: the port has just opened.
    void Restart();
    // The timer fired.
    Step OnTick(bool portOpen, std::time_t now);
    // A clock answer that passed its checks arrived.
    Step OnBoardTime(const BoardTime &board, bool portOpen, std::time_t now);

    State state() const { return m_state; }
    int tries() const { return m_tries; }

private:
    void Set(Step &step, bool portOpen, std::time_t now);

    State m_state = Reading;
    int m_tries = 0;
};
