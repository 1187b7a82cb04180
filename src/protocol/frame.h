// Board frames: 4D, link byte, class, code, N, N data bytes, 16-bit sum of
// bytes 1..4+N stored low byte first, 0D 0A. And the queue entry that carries
// a frame (or a block of raw bytes) through the send and receive queues.
#pragma once

#include "protocol/user_list.h"

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::uint8_t kFrameHead = 0x4D;
inline constexpr std::uint8_t kLinkMain = 0x53;
inline constexpr std::uint8_t kLinkSecondary = 0xD3;
inline constexpr std::size_t kFrameMinLen = 9;
inline constexpr std::size_t kFrameMaxLen = 264;

// One heap block: this header followed by the storage.
struct FrameEntry {
    ListLink link; // next, prev: guard words while not linked
    std::uint32_t ety_len;
    std::uint8_t *ety_buf;
    std::uint8_t *ety_end;

    std::size_t capacity() const { return static_cast<std::size_t>(ety_end - ety_buf); }
    const std::uint8_t *data() const { return ety_buf; }
    std::size_t size() const { return ety_len; }
};

inline FrameEntry *EntryFromLink(ListLink *link)
{
    return reinterpret_cast<FrameEntry *>(link);
}

// Capacity of an entry built from P payload bytes by SendFrame / SendRaw.
constexpr std::size_t SendCapacity(std::size_t payload)
{
    return (payload + 12) / 4 * 4;
}
// Capacity of the copy of a received frame of L bytes.
constexpr std::size_t RxCapacity(std::size_t length)
{
    return (length + 3) / 4 * 4;
}

// Allocates an unlinked, empty entry; nullptr when memory runs out.
FrameEntry *FrameEntryAlloc(std::size_t capacity);
void FrameEntryFree(FrameEntry *entry);
// Appends when the bytes fit before ety_end; otherwise writes nothing.
bool FrameEntryAppend(FrameEntry *entry, const std::uint8_t *bytes, std::size_t count);
bool FrameEntryAppendByte(FrameEntry *entry, std::uint8_t byte);

// Sum of the bytes, discarding carries out of 16 bits.
std::uint16_t FrameSum(const std::uint8_t *bytes, std::size_t count);

struct BuildResult {
    FrameEntry *entry = nullptr; // nullptr only when memory ran out
    bool lengthOk = true;        // the payload agreed with its length byte
};
// Builds a complete frame from the payload (link byte, class, code, N, data).
// When the payload disagrees with N the sum covers only the bytes present.
BuildResult BuildFrame(const std::uint8_t *payload, std::size_t count);
// An entry holding exactly the given bytes.
FrameEntry *BuildRaw(const std::uint8_t *bytes, std::size_t count);
// A received frame of L bytes copied into an entry of capacity (L + 3) / 4 * 4.
FrameEntry *CopyRxFrame(const std::uint8_t *bytes, std::size_t count);

// Checks the sum of a received frame (head, length and tail already checked).
// computed, when given, receives the sum over bytes 1..L-5.
bool VerifyFrame(const std::uint8_t *frame, std::size_t length, std::uint16_t *computed = nullptr);

// "%02x " per byte.
std::string HexText(const std::uint8_t *bytes, std::size_t count);
void AppendHexText(std::string &out, const std::uint8_t *bytes, std::size_t count);

// Title of a frame's log row: prefix + " %02X %02X" of class and code with bit 7 cleared.
// The prefix is "发送" for a sent frame and "接收" for a received one.
std::string FrameLogTitle(const char *prefix, const std::uint8_t *frame, std::size_t length);
