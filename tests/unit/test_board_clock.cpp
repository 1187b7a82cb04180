// The board clock: the answer's fields with their fallbacks, the request
// bytes, and the synchronisation run (read, set when more than ten minutes
// away, stop when within, never more than ten requests).
#include "protocol/board_clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

class LocalClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *tz = std::getenv("TZ");
        m_had = tz != nullptr;
        m_saved = tz ? tz : "";
        setenv("TZ", "CST-8", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_had)
            setenv("TZ", m_saved.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    // 2024-05-06 07:08:09 local time.
    static constexpr std::time_t kNow = 1714950489;

    // The board's answer for a clock that is offset seconds away from kNow.
    static BoardTime BoardAt(std::int64_t offset)
    {
        std::time_t t = kNow + offset;
        std::tm tm{};
        localtime_r(&t, &tm);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }

private:
    std::string m_saved;
    bool m_had = false;
};
} // namespace

TEST(BoardClock, FieldsAndTheirFallbacks)
{
    struct Case {
        Bytes payload;
        BoardTime expected;
    };
    const Case cases[] = {
        {{24, 5, 6, 7, 8, 9}, {2024, 5, 6, 7, 8, 9}},       {{0, 12, 31, 23, 59, 59}, {2000, 12, 31, 23, 59, 59}},
        {{24, 0, 6, 7, 8, 9}, {2001, 1, 1, 7, 8, 9}},       {{24, 13, 6, 7, 8, 9}, {2001, 1, 1, 7, 8, 9}},
        {{24, 5, 0, 7, 8, 9}, {2001, 1, 1, 7, 8, 9}},       {{24, 5, 32, 7, 8, 9}, {2001, 1, 1, 7, 8, 9}},
        {{24, 5, 6, 24, 8, 9}, {2024, 5, 6, 1, 1, 1}},      {{24, 5, 6, 7, 60, 9}, {2024, 5, 6, 1, 1, 1}},
        {{24, 5, 6, 7, 8, 60}, {2024, 5, 6, 1, 1, 1}},      {{255, 255, 255, 255, 255, 255}, {2001, 1, 1, 1, 1, 1}},
        {{24, 5, 6, 7, 8, 9, 0xAA}, {2024, 5, 6, 7, 8, 9}},
    };
    for (const Case &c : cases) {
        std::optional<BoardTime> t = DecodeBoardTime(c.payload);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->year, c.expected.year);
        EXPECT_EQ(t->month, c.expected.month);
        EXPECT_EQ(t->day, c.expected.day);
        EXPECT_EQ(t->hour, c.expected.hour);
        EXPECT_EQ(t->minute, c.expected.minute);
        EXPECT_EQ(t->second, c.expected.second);
    }
    EXPECT_FALSE(DecodeBoardTime(Bytes{24, 5, 6, 7, 8}));
    EXPECT_FALSE(DecodeBoardTime(Bytes{}));
}

TEST_F(LocalClock, RequestBytes)
{
    EXPECT_EQ(ClockReadPayload(), (Bytes{0x53, 0x03, 0x25, 0x01, 0x00}));
    EXPECT_EQ(ClockSetPayload(kNow), (Bytes{0x53, 0x03, 0x25, 0x07, 0x01, 24, 5, 6, 7, 8, 9}));
    EXPECT_EQ(BoardTimeSeconds(BoardAt(-660)), kNow - 660);
}

TEST_F(LocalClock, FiveMinutesBehindEndsAtTheFirstAnswer)
{
    ClockSync sync;
    sync.Restart();
    ClockSync::Step tick = sync.OnTick(true, kNow);
    EXPECT_EQ(tick.send, ClockReadPayload());
    EXPECT_EQ(tick.trace, "第1次获取时间\n");
    EXPECT_FALSE(tick.stopTimer);

    ClockSync::Step answer = sync.OnBoardTime(BoardAt(-300), true, kNow);
    EXPECT_TRUE(answer.send.empty());
    EXPECT_TRUE(answer.stopTimer);
    EXPECT_EQ(sync.state(), ClockSync::Done);
    EXPECT_EQ(answer.trace, "收到时间 2024-5-6 7:3:9 \n秒差值 300 \n时间差值允许 关闭定时任务  \n ");
}

TEST_F(LocalClock, DifferencesAroundTenMinutes)
{
    struct Case {
        std::int64_t offset;
        bool set;
    };
    const Case cases[] = {{-600, false}, {600, false}, {-601, true},       {601, true},
                          {-660, true},  {0, false},   {86400 * 400, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.offset);
        ClockSync sync;
        sync.Restart();
        sync.OnTick(true, kNow);
        ClockSync::Step s = sync.OnBoardTime(BoardAt(c.offset), true, kNow);
        EXPECT_EQ(!s.send.empty(), c.set);
        EXPECT_EQ(sync.state(), c.set ? ClockSync::Setting : ClockSync::Done);
    }
}

TEST_F(LocalClock, ElevenMinutesBehindSetsAtOnceThenEndsWhenTheBoardAgrees)
{
    ClockSync sync;
    sync.Restart();
    sync.OnTick(true, kNow);
    ClockSync::Step s = sync.OnBoardTime(BoardAt(-660), true, kNow);
    EXPECT_EQ(s.send, ClockSetPayload(kNow));
    EXPECT_EQ(sync.tries(), 2);
    EXPECT_NE(s.trace.find("秒差值 660 \n第2设置时间 24-5-6 7:8:9 \n"), std::string::npos) << s.trace;
    EXPECT_FALSE(s.stopTimer);

    // The set answer carries the new board time.
    ClockSync::Step done = sync.OnBoardTime(BoardAt(1), true, kNow + 1);
    EXPECT_TRUE(done.stopTimer);
    EXPECT_TRUE(done.send.empty());
    EXPECT_EQ(sync.state(), ClockSync::Done);
}

TEST_F(LocalClock, SettingRepeatsOnEveryTick)
{
    ClockSync sync;
    sync.Restart();
    sync.OnTick(true, kNow);
    sync.OnBoardTime(BoardAt(3600), true, kNow);
    for (int i = 0; i < 3; ++i) {
        ClockSync::Step s = sync.OnTick(true, kNow + 3 * (i + 1));
        EXPECT_EQ(s.send, ClockSetPayload(kNow + 3 * (i + 1)));
    }
    EXPECT_EQ(sync.tries(), 5);
}

TEST_F(LocalClock, ClosedPortSendsNothingAndCountsNothing)
{
    ClockSync sync;
    sync.Restart();
    ClockSync::Step s = sync.OnTick(false, kNow);
    EXPECT_TRUE(s.send.empty());
    EXPECT_EQ(s.trace, "获取时间，串口未打开\n");
    EXPECT_EQ(sync.tries(), 0);

    sync.OnTick(true, kNow);
    ClockSync::Step set = sync.OnBoardTime(BoardAt(-900), false, kNow);
    EXPECT_TRUE(set.send.empty());
    EXPECT_NE(set.trace.find("发送时间，串口未打开\n"), std::string::npos);
    EXPECT_EQ(sync.tries(), 1);
}

TEST_F(LocalClock, AtMostTenRequestsInOneRun)
{
    for (bool answering : {false, true}) {
        SCOPED_TRACE(answering);
        ClockSync sync;
        sync.Restart();
        int sent = 0;
        bool stopped = false;
        for (int tick = 0; tick < 30 && !stopped; ++tick) {
            ClockSync::Step s = sync.OnTick(true, kNow + tick);
            sent += !s.send.empty();
            stopped = s.stopTimer;
            // A board that ignores every set keeps answering an hour off.
            if (answering && !s.send.empty())
                sent += !sync.OnBoardTime(BoardAt(3600), true, kNow + tick).send.empty();
        }
        EXPECT_TRUE(stopped);
        EXPECT_EQ(sent, kClockTryLimit);
        EXPECT_EQ(sync.tries(), kClockTryLimit);
        EXPECT_TRUE(sync.OnTick(true, kNow + 99).send.empty());
        EXPECT_TRUE(sync.OnBoardTime(BoardAt(3600), true, kNow + 99).send.empty());
    }
}

TEST_F(LocalClock, RestartBeginsANewRun)
{
    ClockSync sync;
    sync.Restart();
    for (int i = 0; i < 12; ++i)
        sync.OnTick(true, kNow);
    sync.Restart();
    EXPECT_EQ(sync.tries(), 0);
    EXPECT_EQ(sync.state(), ClockSync::Reading);
    EXPECT_EQ(sync.OnTick(true, kNow).send, ClockReadPayload());
}

TEST_F(LocalClock, ALaterAnswerAfterTheRunLeavesTheBoardAlone)
{
    ClockSync sync;
    sync.Restart();
    sync.OnTick(true, kNow);
    sync.OnBoardTime(BoardAt(10), true, kNow);
    ASSERT_EQ(sync.state(), ClockSync::Done);
    // Another page read a clock the user set on purpose.
    ClockSync::Step s = sync.OnBoardTime(BoardAt(-7200), true, kNow + 30);
    EXPECT_TRUE(s.send.empty());
    EXPECT_EQ(sync.state(), ClockSync::Done);
    EXPECT_NE(s.trace.find("秒差值 7230 \n"), std::string::npos) << s.trace;
}

TEST(BoardClock, TimeTextAtEveryHour)
{
    for (int hour = 0; hour < 24; ++hour) {
        const BoardTime t{2026, 12, 11, hour, 44, 8};
        char expected[32];
        std::snprintf(expected, sizeof expected, "2026-12-11 %02d:44:08", hour);
        EXPECT_EQ(BoardTimeText(t), expected) << hour;
        expected[10] = 'T';
        EXPECT_EQ(BoardTimeText(t, 'T'), expected) << hour;
    }
    EXPECT_EQ(BoardTimeText({2000, 1, 2, 3, 4, 5}), "2000-01-02 03:04:05");
}
