// The computer's clock moved (set back or forward), as MsOfDay reads it, for
// tests of ages and deadlines that must not depend on it.
#pragma once

#include "files/logfiles.h"

#include <QDateTime>

#include <atomic>
#include <cstdint>

inline std::atomic<int> g_wallClockOffsetSeconds{0};

inline std::uint32_t MovedMsOfDay()
{
    const QDateTime then = QDateTime::currentDateTime().addSecs(g_wallClockOffsetSeconds.load());
    const auto seconds = static_cast<std::uint32_t>(then.toSecsSinceEpoch() + then.offsetFromUtc());
    return seconds * 1000u + static_cast<std::uint32_t>(then.time().msec());
}

// Keeps the clock moved by the given seconds (negative: set back) while it lives.
class WallClockMoved {
public:
    explicit WallClockMoved(int seconds)
    {
        g_wallClockOffsetSeconds = seconds;
        SetMsOfDaySource(MovedMsOfDay);
    }
    ~WallClockMoved()
    {
        SetMsOfDaySource(nullptr);
        g_wallClockOffsetSeconds = 0;
    }
    WallClockMoved(const WallClockMoved &) = delete;
    WallClockMoved &operator=(const WallClockMoved &) = delete;
};
