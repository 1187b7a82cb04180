// Shared by the framer fuzzers: feeds a byte stream, cut into chunks and with
// quiet times at chosen places, through the framer into a receive queue, and
// checks every queued frame against an independent whole-stream cut of the
// same input.
#pragma once

#include "protocol/frame.h"
#include "protocol/frame_queue.h"
#include "protocol/framer.h"

#include <algorithm>
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
// only with more than 9 bytes left. After each position in quietAt (sorted) the
// line was quiet: what waits there is slid past byte by byte, except a complete
// frame (which, shorter than 10 bytes, waits for one more byte).
struct Cut {
    std::size_t offset;
    std::size_t length;
};
inline std::vector<Cut> ReferenceCut(const Bytes &s, const std::vector<std::size_t> &quietAt = {})
{
    std::vector<Cut> out;
    std::size_t i = 0;
    auto isHead = [&](std::size_t at, std::size_t end) {
        return end - at >= 5 && s[at] == 0x4D && (s[at + 1] & 0x7F) == 0x53;
    };
    auto completeAt = [&](std::size_t at, std::size_t end) -> std::size_t {
        if (!isHead(at, end))
            return 0;
        std::size_t len = s[at + 4] + 9u;
        return end - at >= len && s[at + len - 2] == 0x0D && s[at + len - 1] == 0x0A ? len : 0;
    };
    auto cutUpTo = [&](std::size_t end) {
        while (end - i > 9) {
            if (isHead(i, end)) {
                std::size_t len = s[i + 4] + 9u;
                if (end - i < len)
                    return;
                if (s[i + len - 2] == 0x0D && s[i + len - 1] == 0x0A) {
                    out.push_back({i, len});
                    i += len;
                    continue;
                }
            }
            ++i;
        }
    };
    for (std::size_t q : quietAt) {
        cutUpTo(q);
        while (i < q && completeAt(i, q) == 0) {
            ++i;
            cutUpTo(q);
        }
    }
    cutUpTo(s.size());
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
// off the queue now and then as the window would; after each position in
// quietAt (sorted) the line goes quiet. Returns the frames in order.
inline std::vector<Bytes> FeedAndCollect(const Bytes &stream, const Bytes &cuts,
                                         const std::vector<std::size_t> &quietAt = {})
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
    // After a quiet time nothing waits but a complete frame shorter than the minimum.
    auto quiet = [&] {
        framer.OnQuiet();
        FUZZ_CHECK(framer.Unread() == 0 || framer.Unread() == kFrameMinLen);
    };
    std::size_t pos = 0, k = 0, q = 0;
    while (q < quietAt.size() && quietAt[q] == 0) {
        quiet();
        ++q;
    }
    while (pos < stream.size()) {
        std::size_t chunk = cuts.empty() ? 1 : 1 + cuts[k++ % cuts.size()] % 64;
        for (std::size_t i = 0; i < chunk && pos < stream.size(); ++i) {
            FUZZ_CHECK(framer.StoreByte(stream[pos++]));
            for (; q < quietAt.size() && quietAt[q] == pos; ++q)
                quiet();
        }
        if (k % 3 == 0)
            drain();
    }
    drain();
    FUZZ_CHECK(framer.Unread() <= kFrameMaxLen + 9);
    return got;
}

// Every queued frame is the reference's frame at the same place in the input.
inline void CheckAgainstReference(const Bytes &stream, const std::vector<Bytes> &got,
                                  const std::vector<std::size_t> &quietAt = {})
{
    std::vector<Cut> want = ReferenceCut(stream, quietAt);
    FUZZ_CHECK(got.size() == want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        FUZZ_CHECK(got[i].size() == want[i].length);
        FUZZ_CHECK(std::memcmp(got[i].data(), stream.data() + want[i].offset, want[i].length) == 0);
    }
}
