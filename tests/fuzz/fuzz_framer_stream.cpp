// Arbitrary bytes, cut at arbitrary points, through the framer and the receive queue.
#include "fuzz_link_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says how many of the following bytes choose the chunk sizes.
    std::size_t ncuts = std::min<std::size_t>(data[0] % 16, size - 1);
    Bytes cuts(data + 1, data + 1 + ncuts);
    Bytes stream(data + 1 + ncuts, data + size);
    CheckAgainstReference(stream, FeedAndCollect(stream, cuts));
    return 0;
}
