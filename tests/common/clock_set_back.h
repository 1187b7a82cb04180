// The computer's clock set back by an hour, as MsOfDay reads it, for tests
// of ages and deadlines that must not depend on it.
#pragma once

#include "files/logfiles.h"

#include <QDateTime>

#include <cstdint>

inline std::uint32_t HourBehindMsOfDay()
{
    const QDateTime then = QDateTime::currentDateTime().addSecs(-3600);
    const auto seconds = static_cast<std::uint32_t>(then.toSecsSinceEpoch() + then.offsetFromUtc());
    return seconds * 1000u + static_cast<std::uint32_t>(then.time().msec());
}

// Keeps the clock set back while it lives.
class ClockSetBack {
public:
    ClockSetBack() { SetMsOfDaySource(HourBehindMsOfDay); }
    ~ClockSetBack() { SetMsOfDaySource(nullptr); }
    ClockSetBack(const ClockSetBack &) = delete;
    ClockSetBack &operator=(const ClockSetBack &) = delete;
};
