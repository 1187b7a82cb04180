#include "protocol/board_clock.h"

std::array<std::uint8_t, 5> ClockReadPayload()
{
    return {0x53, 0x03, kClockCode, 0x01, 0x00};
}

std::array<std::uint8_t, 11> ClockSetPayload(const BoardTime &t)
{
    auto b = [](int v) { return static_cast<std::uint8_t>(v); };
    return {0x53,       0x03,     kClockCode, 0x07,        0x01,       b(t.year - 2000),
            b(t.month), b(t.day), b(t.hour),  b(t.minute), b(t.second)};
}

std::optional<BoardTime> DecodeBoardTime(std::span<const std::uint8_t> payload)
{
    if (payload.size() < 6)
        return std::nullopt;
    BoardTime t;
    if (payload[1] >= 1 && payload[1] <= 12 && payload[2] >= 1 && payload[2] <= 31) {
        t.year = 2000 + payload[0];
        t.month = payload[1];
        t.day = payload[2];
    }
    if (payload[3] <= 23 && payload[4] <= 59 && payload[5] <= 59) {
        t.hour = payload[3];
        t.minute = payload[4];
        t.second = payload[5];
    }
    return t;
}

BoardTime BoardTimeFromEpoch(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::time_t BoardTimeToEpoch(const BoardTime &time)
{
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}
