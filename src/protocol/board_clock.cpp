#include "protocol/board_clock.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::string Format(const char *format, auto... args)
{
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, format, args...);
    return n > 0 ? std::string(buf) : std::string();
}
} // namespace

std::optional<BoardTime> DecodeBoardTime(std::span<const std::uint8_t> payload)
{
    if (payload.size() < 6)
        return std::nullopt;
    BoardTime t{2000 + payload[0], payload[1], payload[2], payload[3], payload[4], payload[5]};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) {
        t.year = 2001;
        t.month = 1;
        t.day = 1;
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59)
        t.hour = t.minute = t.second = 1;
    return t;
}

std::int64_t BoardTimeSeconds(const BoardTime &t)
{
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

std::string BoardTimeText(const BoardTime &t, char between)
{
    return Format("%04d-%02d-%02d%c%02d:%02d:%02d", t.year, t.month, t.day, between, t.hour, t.minute, t.second);
}

std::vector<std::uint8_t> ClockReadPayload()
{
    return {0x53, 0x03, kClockCode, 0x01, 0x00};
}

std::vector<std::uint8_t> ClockSetPayload(std::time_t now)
{
    std::tm local{};
    localtime_r(&now, &local);
    return {0x53,
            0x03,
            kClockCode,
            0x07,
            0x01,
            static_cast<std::uint8_t>(local.tm_year + 1900 - 2000),
            static_cast<std::uint8_t>(local.tm_mon + 1),
            static_cast<std::uint8_t>(local.tm_mday),
            static_cast<std::uint8_t>(local.tm_hour),
            static_cast<std::uint8_t>(local.tm_min),
            static_cast<std::uint8_t>(local.tm_sec)};
}

void ClockSync::Restart()
{
    m_state = Reading;
    m_tries = 0;
}

void ClockSync::Set(Step &step, bool portOpen, std::time_t now)
{
    if (!portOpen) {
        step.trace += "发送时间，串口未打开\n";
        return;
    }
    if (m_tries >= kClockTryLimit)
        return;
    ++m_tries;
    step.send = ClockSetPayload(now);
    const std::vector<std::uint8_t> &p = step.send;
    step.trace += Format("第%d设置时间 %d-%d-%d %d:%d:%d \n", m_tries, p[5], p[6], p[7], p[8], p[9], p[10]);
}

ClockSync::Step ClockSync::OnTick(bool portOpen, std::time_t now)
{
    Step step;
    if (m_tries >= kClockTryLimit) {
        step.stopTimer = true;
        return step;
    }
    if (m_state == Reading) {
        if (portOpen) {
            ++m_tries;
            step.send = ClockReadPayload();
            step.trace = Format("第%d次获取时间\n", m_tries);
        } else {
            step.trace = "获取时间，串口未打开\n";
        }
    } else if (m_state == Setting) {
        Set(step, portOpen, now);
    }
    step.stopTimer = m_tries >= kClockTryLimit || m_state == Done;
    return step;
}

ClockSync::Step ClockSync::OnBoardTime(const BoardTime &board, bool portOpen, std::time_t now)
{
    Step step;
    step.trace = Format("收到时间 %d-%d-%d %d:%d:%d \n", board.year, board.month, board.day, board.hour, board.minute,
                        board.second);
    std::int64_t d = static_cast<std::int64_t>(now) - BoardTimeSeconds(board);
    step.trace += Format("秒差值 %lld \n", static_cast<long long>(d));
    // Once in step, later clock answers (another page reading a time the user
    // set on purpose) are left alone.
    if (m_state == Done)
        return step;
    if (std::llabs(d) <= kClockToleranceSec) {
        m_state = Done;
        step.stopTimer = true;
        step.trace += "时间差值允许 关闭定时任务  \n ";
        return step;
    }
    m_state = Setting;
    Set(step, portOpen, now);
    return step;
}
