// Arbitrary bytes, cut at arbitrary points and with quiet times at arbitrary
// places, through the framer and the receive queue.
#include "fuzz_link_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says how many of the following bytes choose the chunk
    // sizes (low four bits) and how many choose quiet places (high four bits).
    std::size_t ncuts = std::min<std::size_t>(data[0] % 16, size - 1);
    std::size_t nquiet = std::min<std::size_t>(data[0] / 16, size - 1 - ncuts);
    Bytes cuts(data + 1, data + 1 + ncuts);
    Bytes places(data + 1 + ncuts, data + 1 + ncuts + nquiet);
    Bytes stream(data + 1 + ncuts + nquiet, data + size);
    std::vector<std::size_t> quietAt;
    for (std::uint8_t p : places)
        quietAt.push_back(stream.empty() ? 0 : (p * 7u) % (stream.size() + 1));
    std::sort(quietAt.begin(), quietAt.end());
    CheckAgainstReference(stream, FeedAndCollect(stream, cuts, quietAt), quietAt);
    return 0;
}
