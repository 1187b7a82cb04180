// Arbitrary bytes with quiet times at arbitrary places through the framer:
// every frame it hands over is the independent whole-stream cut's frame at
// the same place (fuzz_link_check.h).
#include "fuzz_link_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says how many of the following bytes choose quiet places.
    std::size_t nquiet = std::min<std::size_t>(data[0] % 16, size - 1);
    const std::uint8_t *places = data + 1;
    Bytes stream(data + 1 + nquiet, data + size);
    std::vector<std::size_t> quietAt;
    for (std::size_t i = 0; i < nquiet; ++i)
        quietAt.push_back(stream.empty() ? 0 : (places[i] * 7u) % (stream.size() + 1));
    std::sort(quietAt.begin(), quietAt.end());
    FeedAndCheck(stream, quietAt);
    return 0;
}
