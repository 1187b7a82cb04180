// Shared by the framer fuzzers: feeds a byte stream, cut into chunks and with
// quiet times at chosen places, through the framer, and checks every frame it
// hands over against an independent whole-stream cut of the same input.
#pragma once

#include "protocol/frame.h"
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

// A received frame as the framer hands it over: head, link byte, length, tail.
inline void CheckWellFormed(const std::uint8_t *p, std::size_t n)
{
    FUZZ_CHECK(n >= kFrameMinLen && n <= kFrameMaxLen);
    FUZZ_CHECK(p[0] == 0x4D && (p[1] & 0x7F) == 0x53);
    FUZZ_CHECK(n == p[4] + 9u);
    FUZZ_CHECK(p[n - 2] == 0x0D && p[n - 1] == 0x0A);
}

// Feeds `stream` byte by byte through one
// framer (reset for each input, not rebuilt); after each position in quietAt
// (sorted) the line goes quiet. Every frame handed over must be, in order, the
// reference's frame at the same place in the stream; it is compared where the
// framer holds it, without a copy. Returns the reference cut.
inline std::vector<Cut> FeedAndCheck(const Bytes &stream, const std::vector<std::size_t> &quietAt = {})
{
    struct State {
        const Bytes *stream = nullptr;
        const std::vector<Cut> *want = nullptr;
        std::size_t next = 0;
    };
    static State state;
    static RxFramer framer(
        [](const std::uint8_t *p, std::size_t n) {
            CheckWellFormed(p, n);
            FUZZ_CHECK(state.next < state.want->size());
            const Cut &c = (*state.want)[state.next++];
            FUZZ_CHECK(c.length == n && std::memcmp(p, state.stream->data() + c.offset, n) == 0);
            return true;
        },
        nullptr);
    std::vector<Cut> want = ReferenceCut(stream, quietAt);
    state = {&stream, &want, 0};
    framer.Reset();
    FUZZ_CHECK(framer.Unread() == 0);
    // After a quiet time nothing waits but a complete frame shorter than the minimum.
    auto quiet = [&] {
        framer.OnQuiet();
        FUZZ_CHECK(framer.Unread() == 0 || framer.Unread() == kFrameMinLen);
    };
    std::size_t q = 0;
    for (; q < quietAt.size() && quietAt[q] == 0; ++q)
        quiet();
    for (std::size_t pos = 0; pos < stream.size();) {
        FUZZ_CHECK(framer.StoreByte(stream[pos++]));
        for (; q < quietAt.size() && quietAt[q] == pos; ++q)
            quiet();
    }
    FUZZ_CHECK(state.next == want.size());
    FUZZ_CHECK(framer.Unread() <= kFrameMaxLen + 9);
    return want;
}
