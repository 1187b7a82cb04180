#include "protocol/frame.h"
#include "protocol/frame_queue.h"
#include "protocol/user_list.h"

#include <gtest/gtest.h>

#include <numeric>
#include <unistd.h>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes EntryBytes(const FrameEntry *e)
{
    return Bytes(e->data(), e->data() + e->size());
}

Bytes Built(const Bytes &payload)
{
    BuildResult r = BuildFrame(payload.data(), payload.size());
    EXPECT_NE(r.entry, nullptr);
    Bytes out = EntryBytes(r.entry);
    FrameEntryFree(r.entry);
    return out;
}
} // namespace

TEST(FrameBuild, GoldenFrames)
{
    struct Case {
        const char *name;
        Bytes payload;
        Bytes frame;
    };
    const Case cases[] = {
        {"read 03 30", {0x53, 0x03, 0x30, 0x01, 0x00}, {0x4D, 0x53, 0x03, 0x30, 0x01, 0x00, 0x87, 0x00, 0x0D, 0x0A}},
        {"no data", {0x53, 0x05, 0x02, 0x00}, {0x4D, 0x53, 0x05, 0x02, 0x00, 0x5A, 0x00, 0x0D, 0x0A}},
        {"secondary link byte",
         {0xD3, 0x83, 0x81, 0x01, 0x00},
         {0x4D, 0xD3, 0x83, 0x81, 0x01, 0x00, 0xD8, 0x01, 0x0D, 0x0A}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Built(c.payload), c.frame);
        EXPECT_TRUE(VerifyFrame(c.frame.data(), c.frame.size()));
    }
}

TEST(FrameBuild, LongestFrameSumWraps)
{
    Bytes payload = {0xD3, 0x82, 0xFF, 0xFF};
    payload.resize(4 + 255, 0xFF);
    Bytes frame = Built(payload);
    ASSERT_EQ(frame.size(), 264u);
    unsigned total = std::accumulate(payload.begin(), payload.end(), 0u);
    ASSERT_GT(total, 65535u);
    EXPECT_EQ(frame[260], total & 0xFF);
    EXPECT_EQ(frame[261], (total >> 8) & 0xFF);
    EXPECT_TRUE(VerifyFrame(frame.data(), frame.size()));
    frame[100] ^= 1;
    std::uint16_t computed = 0;
    EXPECT_FALSE(VerifyFrame(frame.data(), frame.size(), &computed));
    unsigned changed = std::accumulate(frame.begin() + 1, frame.end() - 4, 0u);
    EXPECT_EQ(computed, changed & 0xFFFF);
}

TEST(FrameBuild, LengthMismatchNeverReadsPastPayload)
{
    // N says 9 data bytes, only 1 follows: flagged, and the sum covers what is there.
    Bytes payload = {0x53, 0x02, 0x10, 0x09, 0x01};
    BuildResult r = BuildFrame(payload.data(), payload.size());
    ASSERT_NE(r.entry, nullptr);
    EXPECT_FALSE(r.lengthOk);
    EXPECT_EQ(r.entry->size(), payload.size() + 5);
    FrameEntryFree(r.entry);
}

TEST(FrameEntry, CapacityRules)
{
    for (std::size_t p = 0; p <= 260; ++p) {
        EXPECT_EQ(SendCapacity(p) % 4, 0u);
        EXPECT_GE(SendCapacity(p), p + 9) << p;
        EXPECT_EQ(SendCapacity(p), (p + 12) / 4 * 4);
    }
    for (std::size_t l = 9; l <= 264; ++l) {
        EXPECT_GE(RxCapacity(l), l);
        EXPECT_LT(RxCapacity(l), l + 4);
    }
}

TEST(FrameEntry, AppendThatDoesNotFitWritesNothing)
{
    FrameEntry *e = FrameEntryAlloc(8);
    ASSERT_NE(e, nullptr);
    const std::uint8_t six[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(FrameEntryAppend(e, six, 6));
    EXPECT_FALSE(FrameEntryAppend(e, six, 3));
    EXPECT_EQ(e->size(), 6u);
    EXPECT_TRUE(FrameEntryAppend(e, six, 2));
    EXPECT_EQ(e->size(), 8u);
    EXPECT_FALSE(FrameEntryAppendByte(e, 9));
    EXPECT_EQ(EntryBytes(e), (Bytes{1, 2, 3, 4, 5, 6, 1, 2}));
    FrameEntryFree(e);
}

TEST(FrameText, HexTextAndLogTitle)
{
    const Bytes f = {0x4D, 0x53, 0x03, 0x30, 0x01, 0x00, 0x87, 0x00, 0x0D, 0x0A};
    EXPECT_EQ(HexText(f.data(), f.size()), "4d 53 03 30 01 00 87 00 0d 0a ");
    EXPECT_EQ(HexText(f.data(), 0), "");
    EXPECT_EQ(FrameLogTitle("发送", f.data(), f.size()), "发送 03 30");
    const Bytes resp = {0x4D, 0x53, 0x83, 0xB0, 0x01, 0x00, 0x87, 0x01, 0x0D, 0x0A};
    EXPECT_EQ(FrameLogTitle("接收", resp.data(), resp.size()), "接收 03 30");
}

TEST(FrameList, UnlinkThenReaddAndQueueOrder)
{
    FrameQueue q;
    EXPECT_EQ(q.PopFront(), nullptr);
    EXPECT_TRUE(q.Empty());
    FrameEntry *a = FrameEntryAlloc(4);
    FrameEntry *b = FrameEntryAlloc(4);
    FrameEntry *c = FrameEntryAlloc(4);
    EXPECT_TRUE(q.Push(a));
    EXPECT_FALSE(q.Push(b));
    EXPECT_FALSE(q.Push(c));
    EXPECT_EQ(q.PopFront(), a);
    EXPECT_EQ(a->link.next, reinterpret_cast<ListLink *>(kListGuardNext));
    EXPECT_EQ(a->link.prev, reinterpret_cast<ListLink *>(kListGuardPrev));
    EXPECT_FALSE(q.Push(a)); // re-added at once after the unlink
    EXPECT_EQ(q.PopFront(), b);
    EXPECT_EQ(q.PopFront(), c);
    EXPECT_EQ(q.PopFront(), a);
    EXPECT_TRUE(q.Empty());
    q.Push(a);
    q.Push(b);
    q.Push(c);
    q.Clear(); // frees all three (checked by ASan builds)
    EXPECT_TRUE(q.Empty());
}

TEST(FrameListDeathTest, AddingTwiceEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FrameList list;
    user_list_init(&list);
    ListLink entry;
    user_list_guard(&entry);
    user_list_add_tail(&list, &entry);
    // The message goes to standard output; the child sends it to stderr for the matcher.
    EXPECT_DEATH(
        {
            dup2(2, 1);
            user_list_add_tail(&list, &entry);
        },
        "Assert: new add entry next or prev value not correct \\[user_list, 13\\]\\.");
}
