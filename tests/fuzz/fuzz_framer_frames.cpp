// Streams of assembled frames with good sums mixed with garbage. Besides the
// reference check: with no 0x4D in the garbage, every assembled frame comes out
// intact (only a 9-byte frame at the very end still waits for a tenth byte).
// With a quiet time before each frame, every assembled frame comes out in
// order whatever the garbage holds: no false head before it can hold it back.
#include "fuzz_link_check.h"

namespace {
struct Reader {
    const std::uint8_t *p;
    std::size_t n;
    std::uint8_t Next() { return n ? (--n, *p++) : 0; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Reader in{data, size};
    std::uint8_t flags = in.Next();
    bool headsInGarbage = (flags & 1) != 0;
    bool quietBeforeFrames = (flags & 2) != 0;
    Bytes stream;
    std::vector<Cut> frames; // where each assembled frame lies in the stream
    std::vector<std::size_t> quietAt;
    while (in.n > 0) {
        std::uint8_t kind = in.Next();
        if (kind & 1) {
            Bytes payload{static_cast<std::uint8_t>((kind & 2) ? 0xD3 : 0x53), in.Next(), in.Next()};
            std::size_t len = (kind & 4) ? in.Next() : in.Next() % 16;
            payload.push_back(static_cast<std::uint8_t>(len));
            for (std::size_t i = 0; i < len; ++i)
                payload.push_back(in.Next());
            BuildResult built = BuildFrame(payload.data(), payload.size());
            if (!built.entry)
                return 0;
            const FrameEntry *e = built.entry;
            FUZZ_CHECK(VerifyFrame(e->ety_buf, e->ety_len));
            frames.push_back({stream.size(), e->ety_len});
            if (quietBeforeFrames)
                quietAt.push_back(stream.size());
            stream.insert(stream.end(), e->ety_buf, e->ety_buf + e->ety_len);
            FrameEntryFree(built.entry);
        } else {
            for (int i = (kind >> 1) % 24; i > 0; --i) {
                std::uint8_t b = in.Next();
                stream.push_back(!headsInGarbage && b == 0x4D ? 0x4C : b);
            }
        }
    }
    if (quietBeforeFrames)
        quietAt.push_back(stream.size());
    std::vector<Cut> got = FeedAndCheck(stream, quietAt);
    auto same = [&](const Cut &a, const Cut &b) {
        return a.length == b.length && std::memcmp(stream.data() + a.offset, stream.data() + b.offset, a.length) == 0;
    };
    // The last frame is a 9-byte one at the very end of the stream.
    bool lastWaits =
        !frames.empty() && frames.back().length == kFrameMinLen && frames.back().offset + kFrameMinLen == stream.size();
    if (quietBeforeFrames) {
        // Every assembled frame, in order, among what came out (garbage may add
        // frames of its own, even copies of an assembled one, so a 9-byte frame
        // still waiting at the end may be matched by such a copy).
        std::size_t found = 0;
        for (const Cut &c : got)
            if (found < frames.size() && same(c, frames[found]))
                ++found;
        FUZZ_CHECK(found >= frames.size() - (lastWaits ? 1 : 0));
    }
    if (!headsInGarbage) {
        std::size_t expected = frames.size();
        if (lastWaits)
            --expected;
        FUZZ_CHECK(got.size() == expected);
        for (std::size_t i = 0; i < got.size(); ++i) {
            FUZZ_CHECK(same(got[i], frames[i]));
            FUZZ_CHECK(VerifyFrame(stream.data() + got[i].offset, got[i].length));
        }
    }
    return 0;
}
