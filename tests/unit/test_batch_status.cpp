// Batch status answers: the request bytes, the walk over pairs and blocks, and
// refusal of every answer whose lengths point outside its frame.
#include "common/batch_blocks.h"
#include "protocol/batch_status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {
// Copies the bytes into a heap block of exactly their size, so a read past the
// end shows up under AddressSanitizer.
BatchStatus ParseExact(const Bytes &bytes, std::size_t length)
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
    const Bytes want{0x53, 0x03, 0x66, 0x0F, 0x02, 0x22, 0x09, 0x18, 0x11, 0x19,
                     0x23, 0x24, 0x06, 0x20, 0x01, 0x14, 0x05, 0x08, 0x07};
    EXPECT_EQ(Bytes(p.begin(), p.end()), want);
}

TEST(BatchStatus, WalksPairsAndBlocksInOrder)
{
    Blocks blocks = FullBlocks();
    Bytes frame = BatchAnswer(BuildBatchData(blocks));
    BatchStatus s = ParseBatchStatus(frame.data(), frame.size());
    ASSERT_TRUE(s.accepted) << s.reason;
    ASSERT_EQ(s.blocks.size(), 15u);
    for (std::size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(s.blocks[i].code, blocks[i].first);
        EXPECT_EQ(Bytes(s.blocks[i].bytes.begin(), s.blocks[i].bytes.end()), blocks[i].second);
    }
    // Unknown codes and empty blocks are passed over by position, not refused.
    Blocks odd(13, {0x7E, {9, 9}});
    odd.insert(odd.begin() + 4, {0x19, {55, 90}});
    odd.insert(odd.begin() + 9, {0x18, {}});
    frame = BatchAnswer(BuildBatchData(odd));
    s = ParseBatchStatus(frame.data(), frame.size());
    ASSERT_TRUE(s.accepted);
    EXPECT_EQ(s.blocks[4].code, 0x19);
    EXPECT_EQ(s.blocks[4].bytes[0], 55);
    EXPECT_TRUE(s.blocks[9].bytes.empty());
}

TEST(BatchStatus, RefusesLyingLengths)
{
    Bytes data = BuildBatchData(FullBlocks());
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
        Bytes bad = data;
        bad[c.at] = c.value;
        Bytes frame = BatchAnswer(bad);
        BatchStatus s = ParseExact(frame, frame.size());
        EXPECT_FALSE(s.accepted);
        EXPECT_TRUE(s.blocks.empty());
    }
    // Fewer than fifteen pairs.
    Bytes frame = BatchAnswer(Bytes{0x00, 0x19, 0x02, 50, 100});
    EXPECT_FALSE(ParseExact(frame, frame.size()).accepted);
    // A data length byte that claims more than the frame holds.
    frame = BatchAnswer(data);
    frame[4] = 0xFF;
    EXPECT_FALSE(ParseExact(frame, frame.size()).accepted);
}

TEST(BatchStatus, EveryTruncationIsRefusedWithoutReadingPastTheEnd)
{
    Bytes frame = BatchAnswer(BuildBatchData(FullBlocks()));
    for (std::size_t len = 0; len < frame.size(); ++len) {
        SCOPED_TRACE(len);
        EXPECT_FALSE(ParseExact(frame, len).accepted);
    }
    // The same data cut short but with its length byte rewritten to match:
    // the pairs still point past the data.
    Bytes data = BuildBatchData(FullBlocks());
    for (std::size_t cut = 0; cut < data.size(); ++cut) {
        SCOPED_TRACE(cut);
        Bytes shortData(data.begin(), data.begin() + static_cast<long>(cut));
        Bytes f = BatchAnswer(shortData);
        EXPECT_FALSE(ParseExact(f, f.size()).accepted);
    }
    EXPECT_TRUE(ParseExact(frame, frame.size()).accepted);
}

TEST(BatchStatus, TrailingBytesAfterTheBlocksAreAccepted)
{
    Bytes data = BuildBatchData(FullBlocks());
    data.push_back(0xEE);
    Bytes frame = BatchAnswer(data);
    BatchStatus s = ParseExact(frame, frame.size());
    ASSERT_TRUE(s.accepted);
    EXPECT_EQ(s.blocks[14].bytes.size(), 20u);
}
