#include "protocol/answer_watch.h"
#include "protocol/frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Framed(const Bytes &payload)
{
    BuildResult r = BuildFrame(payload.data(), payload.size());
    Bytes out(r.entry->data(), r.entry->data() + r.entry->size());
    FrameEntryFree(r.entry);
    return out;
}

constexpr RequestKey kRead = MakeRequestKey(0x02, 0x11);
constexpr RequestKey kStatus = MakeRequestKey(0x03, 0x01);
} // namespace

TEST(AnswerWatch, KindOfWrittenBytes)
{
    struct Case {
        const char *name;
        Bytes bytes;
        RequestKey key;
    };
    Bytes tooLong = Framed({0x53, 0x02, 0x11, 0x01, 0x00});
    tooLong.push_back(0x00);
    Bytes noTail = Framed({0x53, 0x02, 0x11, 0x01, 0x00});
    noTail.back() = 0x00;
    const Case cases[] = {
        {"read request", Framed({0x53, 0x02, 0x11, 0x01, 0x00}), kRead},
        {"no data", Framed({0x53, 0x05, 0x02, 0x00}), MakeRequestKey(0x05, 0x02)},
        {"answer, not a request", Framed({0x53, 0x82, 0x91, 0x01, 0x00}), 0},
        {"secondary link byte", Framed({0xD3, 0x02, 0x11, 0x01, 0x00}), 0},
        {"upgrade packet", Framed({0x53, 0x03, 0x26, 0x02, 0x03, 0x41}), 0},
        {"YModem block in a frame", Framed({0x53, 0x02, 0x01, 0x01, 0x43}), 0},
        {"length byte disagrees", tooLong, 0},
        {"tail missing", noTail, 0},
        {"raw YModem byte", {0x04}, 0},
        {"too short", {0x4D, 0x53, 0x02, 0x11}, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WatchedRequestKey(c.bytes.data(), c.bytes.size()), c.key) << c.name;
    EXPECT_EQ(WatchedRequestKey(nullptr, 20), 0);
}

TEST(AnswerWatch, DeadlineIsSeveralIntervalsPlusWireTimeAndAtLeastOneSecond)
{
    EXPECT_EQ(AnswerDeadlineMs(50, 10), 1000);
    EXPECT_EQ(AnswerDeadlineMs(400, 10), 1210);
    EXPECT_EQ(AnswerDeadlineMs(400, 300), 1500);
    EXPECT_EQ(AnswerDeadlineMs(-5, -5), 1000);
}

TEST(AnswerWatch, UnansweredKindIsNotedOnceFromItsFirstSending)
{
    AnswerWatch w;
    w.OnSent(kRead, 1000, 1000);
    w.OnSent(kRead, 1500, 1000); // repeated before its deadline: the first sending counts
    EXPECT_TRUE(w.Expire(1999).empty());
    EXPECT_EQ(w.NextDeadlineMs(), 2000);
    std::vector<NoAnswerNote> notes = w.Expire(2000);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].key, kRead);
    EXPECT_EQ(notes[0].sinceMs, 1000);
    EXPECT_TRUE(w.IsNoted(kRead));
    EXPECT_EQ(w.SilentSinceMs(), 1000);
    // Sent again and unanswered again: still noted, never a second note.
    w.OnSent(kRead, 2500, 1000);
    EXPECT_TRUE(w.Expire(9000).empty());
    EXPECT_TRUE(w.IsNoted(kRead));
    EXPECT_EQ(w.NotedCount(), 1u);
}

TEST(AnswerWatch, AnswerEndsWaitingNoteAndSilence)
{
    AnswerWatch w;
    w.OnSent(kRead, 0, 1000);
    w.OnSent(kStatus, 100, 1000);
    EXPECT_FALSE(w.OnAnswer(kStatus, 200)); // answered in time: nothing was noted
    EXPECT_EQ(w.LastAnswerMs(), 200);
    ASSERT_EQ(w.Expire(5000).size(), 1u);
    EXPECT_EQ(w.SilentSinceMs(), -1) << "sent before the last answer: no silence";
    w.OnSent(kStatus, 6000, 1000);
    ASSERT_EQ(w.Expire(7000).size(), 1u);
    EXPECT_EQ(w.SilentSinceMs(), 6000);
    EXPECT_TRUE(w.OnAnswer(kRead, 7500));
    EXPECT_FALSE(w.IsNoted(kRead));
    EXPECT_TRUE(w.IsNoted(kStatus)) << "an answer of another kind ends only the silence";
    EXPECT_EQ(w.SilentSinceMs(), -1);
    // Noted again after its answer: a new note.
    w.OnSent(kRead, 8000, 1000);
    EXPECT_EQ(w.Expire(9000).size(), 1u);
}

TEST(AnswerWatch, ResetForgetsWaitingAndNotedKinds)
{
    AnswerWatch w;
    w.OnSent(kRead, 0, 1000);
    w.OnAnswer(kStatus, 10);
    w.OnSent(kStatus, 20, 1000);
    ASSERT_EQ(w.Expire(2000).size(), 2u);
    w.OnSent(kRead, 3000, 1000);
    w.Reset();
    EXPECT_EQ(w.WaitingCount(), 0u);
    EXPECT_EQ(w.NotedCount(), 0u);
    EXPECT_EQ(w.SilentSinceMs(), -1);
    EXPECT_EQ(w.LastAnswerMs(), 10);
    EXPECT_TRUE(w.Expire(100000).empty());
    EXPECT_EQ(w.NextDeadlineMs(), -1);
}

// Silence counts only while the tool asks: once nothing has been sent for
// twice the wait of the last request and nothing waits, the board is no
// longer called silent; the time of its last answer stays.
TEST(AnswerWatch, SilenceEndsWhenNothingIsAskedAnyMore)
{
    AnswerWatch w;
    w.OnAnswer(kStatus, 0);
    struct Step {
        std::int64_t sentMs; // -1: nothing sent at this step
        std::int64_t expireAtMs;
        std::int64_t silentSince;
    };
    // Asked every 800 ms with a wait of 1000 ms, then nothing after 3400.
    const Step steps[] = {
        {1000, 2000, 1000}, {1800, 2800, 1000}, {2600, 3600, 1000}, {3400, 4400, 1000},
        {-1, 5000, 1000},   {-1, 5399, 1000},   {-1, 5400, -1},     {-1, 9000, -1},
    };
    for (const Step &s : steps) {
        if (s.sentMs >= 0)
            w.OnSent(kStatus, s.sentMs, 1000);
        w.Expire(s.expireAtMs);
        EXPECT_EQ(w.SilentSinceMs(), s.silentSince) << "at " << s.expireAtMs;
    }
    EXPECT_EQ(w.LastAnswerMs(), 0);
    EXPECT_TRUE(w.IsNoted(kStatus)) << "the kind stays noted until it is answered";
    EXPECT_EQ(w.NextDeadlineMs(), -1);

    // While silent and nothing waits, the end of the silence is the next deadline.
    w.OnSent(kRead, 10000, 1000);
    w.Expire(11000);
    EXPECT_EQ(w.SilentSinceMs(), 10000);
    EXPECT_EQ(w.NextDeadlineMs(), 12000);
    w.Expire(12000);
    EXPECT_EQ(w.SilentSinceMs(), -1);
    // Asked again: a new silence that starts at its own sending.
    w.OnSent(kRead, 20000, 1000);
    w.Expire(21000);
    EXPECT_EQ(w.SilentSinceMs(), 20000);
}

TEST(AnswerWatch, ForgottenRequestsAreNotWaitedForAndNotedKindsStay)
{
    AnswerWatch w;
    w.OnSent(kRead, 0, 1000);
    ASSERT_EQ(w.Expire(1000).size(), 1u);
    w.OnSent(kStatus, 1500, 1000);
    w.OnSent(kRead, 1500, 1000);
    w.ForgetWaiting();
    EXPECT_EQ(w.WaitingCount(), 0u);
    EXPECT_TRUE(w.Expire(2500).empty());
    EXPECT_FALSE(w.IsNoted(kStatus));
    EXPECT_TRUE(w.IsNoted(kRead));
}
