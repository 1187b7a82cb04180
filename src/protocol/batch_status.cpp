#include "protocol/batch_status.h"

std::array<std::uint8_t, 4 + kBatchItems> BatchRequestPayload()
{
    std::array<std::uint8_t, 4 + kBatchItems> p{0x53, 0x03, kBatchCode, static_cast<std::uint8_t>(kBatchItems)};
    for (std::size_t i = 0; i < kBatchItems; ++i)
        p[4 + i] = kStatusRequestOrder[i];
    return p;
}

namespace {
BatchStatus Refuse(const char *reason)
{
    BatchStatus s;
    s.reason = reason;
    return s;
}
} // namespace

BatchStatus ParseBatchStatus(const std::uint8_t *frame, std::size_t length)
{
    // Head, link, class, code, N, then N data bytes, sum (2), tail (2).
    if (!frame || length < 9)
        return Refuse("short frame");
    std::size_t dataLength = frame[4];
    if (5 + dataLength + 4 > length)
        return Refuse("data length past the frame");
    StatusBytes data(frame + 5, dataLength);
    if (data.empty())
        return Refuse("no result byte");
    if (data[0] != 0)
        return Refuse("result code not 0");
    StatusBytes rest = data.subspan(1);
    if (rest.size() < 2 * kBatchItems)
        return Refuse("pairs past the data");
    StatusBytes pairs = rest.first(2 * kBatchItems);
    StatusBytes blocks = rest.subspan(2 * kBatchItems);
    BatchStatus s;
    std::size_t at = 0;
    for (std::size_t i = 0; i < kBatchItems; ++i) {
        std::size_t blockLength = pairs[2 * i + 1];
        if (blockLength > blocks.size() - at)
            return Refuse("block past the data");
        s.blocks.push_back({pairs[2 * i], blocks.subspan(at, blockLength)});
        at += blockLength;
    }
    s.accepted = true;
    return s;
}

std::vector<std::uint8_t> BuildBatchData(const std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> &blocks)
{
    std::vector<std::uint8_t> data{0x00};
    for (const auto &[code, bytes] : blocks) {
        data.push_back(code);
        data.push_back(static_cast<std::uint8_t>(bytes.size()));
    }
    for (const auto &block : blocks)
        data.insert(data.end(), block.second.begin(), block.second.end());
    return data;
}
