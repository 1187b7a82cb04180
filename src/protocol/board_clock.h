// The board clock (command 0x03/0x25): the read and set requests, the
// decoder of the answer (both requests are answered with the board's time)
// and the difference to the computer's clock. The board keeps local time.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>

inline constexpr std::uint8_t kClockCode = 0x25;
// A board clock within this many seconds of the computer's is left alone.
inline constexpr int kClockSyncLimitSec = 600;

struct BoardTime {
    int year = 2001; // full year
    int month = 1;
    int day = 1;
    int hour = 1;
    int minute = 1;
    int second = 1;
    bool operator==(const BoardTime &) const = default;
};

// 53 03 25 01 00.
std::array<std::uint8_t, 5> ClockReadPayload();
// 53 03 25 07 01, year - 2000 (low 8 bits), month, day, hour, minute, second.
std::array<std::uint8_t, 11> ClockSetPayload(const BoardTime &time);

// The answer's payload (data after the result byte): year - 2000, month,
// day, hour, minute, second. A month outside 1-12 or a day outside 1-31 gives
// the date 2001-01-01, an hour above 23 or a minute or second above 59 the
// time 01:01:01. Nothing when fewer than six bytes are given.
std::optional<BoardTime> DecodeBoardTime(std::span<const std::uint8_t> payload);

// Local calendar fields of a time, and back (seconds since 1970; a local time
// that does not exist is moved as mktime moves it).
BoardTime BoardTimeFromEpoch(std::time_t t);
std::time_t BoardTimeToEpoch(const BoardTime &time);
