// Shared by the framer fuzzers: feeds a byte stream, cut into chunks, through
// the framer into a receive queue, and checks every queued frame against an
// independent whole-stream cut of the same input.
#pragma once

#include "protocol/frame.h"
#include "protocol/frame_queue.h"
#include "protocol/framer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);                             \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

// The frames a whole stream yields: head 4D, link byte 53 with bit 7 ignored,
// length byte + 9, tail 0D 0A; a bad tail slides one byte; a head is looked at
// only with more than 9 bytes left.
struct Cut {
    std::size_t offset;
    std::size_t length;
};
inline std::vector<Cut> ReferenceCut(const Bytes &s)
{
    std::vector<Cut> out;
    std::size_t i = 0;
    while (s.size() - i > 9) {
        if (s[i] == 0x4D && (s[i + 1] & 0x7F) == 0x53) {
            std::size_t len = s[i + 4] + 9u;
            if (s.size() - i < len)
                break;
            if (s[i + len - 2] == 0x0D && s[i + len - 1] == 0x0A) {
                out.push_back({i, len});
                i += len;
                continue;
            }
        }
        ++i;
    }
    return out;
}

inline void CheckWellFormed(const FrameEntry *e)
{
    const std::uint8_t *p = e->ety_buf;
    std::size_t n = e->ety_len;
    FUZZ_CHECK(n >= kFrameMinLen && n <= kFrameMaxLen);
    FUZZ_CHECK(e->capacity() == RxCapacity(n));
    FUZZ_CHECK(p[0] == 0x4D && (p[1] & 0x7F) == 0x53);
    FUZZ_CHECK(n == p[4] + 9u);
    FUZZ_CHECK(p[n - 2] == 0x0D && p[n - 1] == 0x0A);
}

// Feeds `stream` in chunks whose sizes come from `cuts` (cycled), taking frames
// off the queue now and then as the window would. Returns the frames in order.
inline std::vector<Bytes> FeedAndCollect(const Bytes &stream, const Bytes &cuts)
{
    FrameQueue queue;
    RxFramer framer(
        [&queue](const std::uint8_t *p, std::size_t n) {
            FrameEntry *e = CopyRxFrame(p, n);
            if (!e)
                return false;
            queue.Push(e);
            return true;
        },
        nullptr);
    std::vector<Bytes> got;
    auto drain = [&] {
        while (FrameEntry *e = queue.PopFront()) {
            CheckWellFormed(e);
            got.emplace_back(e->ety_buf, e->ety_buf + e->ety_len);
            FrameEntryFree(e);
        }
    };
    std::size_t pos = 0, k = 0;
    while (pos < stream.size()) {
        std::size_t chunk = cuts.empty() ? 1 : 1 + cuts[k++ % cuts.size()] % 64;
        for (std::size_t i = 0; i < chunk && pos < stream.size(); ++i)
            FUZZ_CHECK(framer.StoreByte(stream[pos++]));
        if (k % 3 == 0)
            drain();
    }
    drain();
    FUZZ_CHECK(framer.Unread() <= kFrameMaxLen + 9);
    return got;
}

// Every queued frame is the reference's frame at the same place in the input.
inline void CheckAgainstReference(const Bytes &stream, const std::vector<Bytes> &got)
{
    std::vector<Cut> want = ReferenceCut(stream);
    FUZZ_CHECK(got.size() == want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        FUZZ_CHECK(got[i].size() == want[i].length);
        FUZZ_CHECK(std::memcmp(got[i].data(), stream.data() + want[i].offset, want[i].length) == 0);
    }
}
