// Batch status answers: the request bytes, the walk over pairs and blocks, and
// refusal of every answer whose lengths point outside its frame.
#include "protocol/batch_status.h"
#include "protocol/frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {
using Vec = std::vector<std::uint8_t>;
using Blocks = std::vector<std::pair<std::uint8_t, Vec>>;

Vec AnswerFrame(const Vec &data)
{
    Vec payload{0x53, 0x83, 0xE6, static_cast<std::uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    BuildResult r = BuildFrame(payload.data(), payload.size());
    Vec frame(r.entry->data(), r.entry->data() + r.entry->size());
    FrameEntryFree(r.entry);
    return frame;
}

Blocks FullBlocks()
{
    return {{0x02, {1, 2, 3, 4, 5, 6}},
            {0x22, {0x00, 0x01}},
            {0x09, {0x00, 0x00, 0x01}},
            {0x18, {2}},
            {0x11, {0x00, 0x05}},
            {0x19, {80, 100}},
            {0x23, {0x27, 0x10, 0x00, 0x01}},
            {0x24, {0x4E, 0x20}},
            {0x06, {0x14, 0x82, 0, 0, 0xFF, 0xFF, 0x00, 0xFA, 0x00, 0xF0}},
            {0x20, {24, 5, 17}},
            {0x01, {'S', 'N', '1'}},
            {0x14, {0x03}},
            {0x05, {0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xDA}},
            {0x08, {0x05}},
            {0x07, Vec(20, 0x11)}};
}

// Copies the bytes into a heap block of exactly their size, so a read past the
// end shows up under AddressSanitizer.
BatchStatus ParseExact(const Vec &bytes, std::size_t length)
{
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[length ? length : 1]);
    std::memcpy(exact.get(), bytes.data(), length);
    BatchStatus s = ParseBatchStatus(exact.get(), length);
    // Blocks point into the copy: touch every byte while it lives.
    unsigned sum = 0;
    for (const BatchBlock &b : s.blocks)
        for (std::uint8_t c : b.bytes)
            sum += c;
    (void)sum;
    return s;
}
} // namespace

TEST(BatchStatus, RequestPayload)
{
    auto p = BatchRequestPayload();
    const Vec want{0x53, 0x03, 0x66, 0x0F, 0x02, 0x22, 0x09, 0x18, 0x11, 0x19,
                   0x23, 0x24, 0x06, 0x20, 0x01, 0x14, 0x05, 0x08, 0x07};
    EXPECT_EQ(Vec(p.begin(), p.end()), want);
}

TEST(BatchStatus, WalksPairsAndBlocksInOrder)
{
    Blocks blocks = FullBlocks();
    Vec frame = AnswerFrame(BuildBatchData(blocks));
    BatchStatus s = ParseBatchStatus(frame.data(), frame.size());
    ASSERT_TRUE(s.accepted) << s.reason;
    ASSERT_EQ(s.blocks.size(), 15u);
    for (std::size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(s.blocks[i].code, blocks[i].first);
        EXPECT_EQ(Vec(s.blocks[i].bytes.begin(), s.blocks[i].bytes.end()), blocks[i].second);
    }
    // Unknown codes and empty blocks are passed over by position, not refused.
    Blocks odd(13, {0x7E, {9, 9}});
    odd.insert(odd.begin() + 4, {0x19, {55, 90}});
    odd.insert(odd.begin() + 9, {0x18, {}});
    frame = AnswerFrame(BuildBatchData(odd));
    s = ParseBatchStatus(frame.data(), frame.size());
    ASSERT_TRUE(s.accepted);
    EXPECT_EQ(s.blocks[4].code, 0x19);
    EXPECT_EQ(s.blocks[4].bytes[0], 55);
    EXPECT_TRUE(s.blocks[9].bytes.empty());
}

TEST(BatchStatus, RefusesLyingLengths)
{
    Vec data = BuildBatchData(FullBlocks());
    struct Case {
        const char *name;
        std::size_t at; // index into data
        std::uint8_t value;
    };
    const Case cases[] = {
        {"result code", 0, 0x01},
        {"last block longer than the data", 30, 21},
        {"first block of 255 bytes", 2, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Vec bad = data;
        bad[c.at] = c.value;
        Vec frame = AnswerFrame(bad);
        BatchStatus s = ParseExact(frame, frame.size());
        EXPECT_FALSE(s.accepted);
        EXPECT_TRUE(s.blocks.empty());
    }
    // Fewer than fifteen pairs.
    Vec frame = AnswerFrame(Vec{0x00, 0x19, 0x02, 50, 100});
    EXPECT_FALSE(ParseExact(frame, frame.size()).accepted);
    // A data length byte that claims more than the frame holds.
    frame = AnswerFrame(data);
    frame[4] = 0xFF;
    EXPECT_FALSE(ParseExact(frame, frame.size()).accepted);
}

TEST(BatchStatus, EveryTruncationIsRefusedWithoutReadingPastTheEnd)
{
    Vec frame = AnswerFrame(BuildBatchData(FullBlocks()));
    for (std::size_t len = 0; len < frame.size(); ++len) {
        SCOPED_TRACE(len);
        EXPECT_FALSE(ParseExact(frame, len).accepted);
    }
    // The same data cut short but with its length byte rewritten to match:
    // the pairs still point past the data.
    Vec data = BuildBatchData(FullBlocks());
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        SCOPED_TRACE(cut);
        Vec shortData(data.begin(), data.begin() + static_cast<long>(cut));
        Vec f = AnswerFrame(shortData);
        EXPECT_FALSE(ParseExact(f, f.size()).accepted);
    }
    EXPECT_TRUE(ParseExact(frame, frame.size()).accepted);
}

TEST(BatchStatus, TrailingBytesAfterTheBlocksAreAccepted)
{
    Vec data = BuildBatchData(FullBlocks());
    data.push_back(0xEE);
    Vec frame = AnswerFrame(data);
    BatchStatus s = ParseExact(frame, frame.size());
    ASSERT_TRUE(s.accepted);
    EXPECT_EQ(s.blocks[14].bytes.size(), 20u);
}
