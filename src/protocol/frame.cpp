#include "protocol/frame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

FrameEntry *FrameEntryAlloc(std::size_t capacity)
{
    void *block = std::malloc(sizeof(FrameEntry) + capacity);
    if (!block)
        return nullptr;
    auto *entry = new (block) FrameEntry;
    user_list_guard(&entry->link);
    entry->ety_len = 0;
    entry->ety_buf = reinterpret_cast<std::uint8_t *>(entry + 1);
    entry->ety_end = entry->ety_buf + capacity;
    return entry;
}

void FrameEntryFree(FrameEntry *entry)
{
    std::free(entry);
}

bool FrameEntryAppend(FrameEntry *entry, const std::uint8_t *bytes, std::size_t count)
{
    std::size_t room = entry->capacity() - entry->ety_len;
    if (count > room)
        return false;
    if (count)
        std::memcpy(entry->ety_buf + entry->ety_len, bytes, count);
    entry->ety_len += static_cast<std::uint32_t>(count);
    return true;
}

bool FrameEntryAppendByte(FrameEntry *entry, std::uint8_t byte)
{
    return FrameEntryAppend(entry, &byte, 1);
}

std::uint16_t FrameSum(const std::uint8_t *bytes, std::size_t count)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return sum;
}

BuildResult BuildFrame(const std::uint8_t *payload, std::size_t count)
{
    BuildResult result;
    FrameEntry *entry = FrameEntryAlloc(SendCapacity(count));
    if (!entry)
        return result;
    FrameEntryAppendByte(entry, kFrameHead);
    FrameEntryAppend(entry, payload, count);
    std::size_t n = entry->ety_len > 4 ? entry->ety_buf[4] : 0;
    result.lengthOk = entry->ety_len == n + 5;
    // Never sum past the bytes actually present.
    std::size_t present = entry->ety_len > 1 ? entry->ety_len - 1 : 0;
    std::size_t summed = n + 4 < present ? n + 4 : present;
    std::uint16_t sum = FrameSum(entry->ety_buf + 1, summed);
    const std::uint8_t tail[4] = {static_cast<std::uint8_t>(sum & 0xFF), static_cast<std::uint8_t>(sum >> 8), 0x0D,
                                  0x0A};
    FrameEntryAppend(entry, tail, sizeof tail);
    result.entry = entry;
    return result;
}

FrameEntry *BuildRaw(const std::uint8_t *bytes, std::size_t count)
{
    FrameEntry *entry = FrameEntryAlloc(SendCapacity(count));
    if (entry)
        FrameEntryAppend(entry, bytes, count);
    return entry;
}

FrameEntry *CopyRxFrame(const std::uint8_t *bytes, std::size_t count)
{
    FrameEntry *entry = FrameEntryAlloc(RxCapacity(count));
    if (entry)
        FrameEntryAppend(entry, bytes, count);
    return entry;
}

bool VerifyFrame(const std::uint8_t *frame, std::size_t length, std::uint16_t *computed)
{
    if (length < kFrameMinLen) {
        if (computed)
            *computed = 0;
        return false;
    }
    std::uint16_t sum = FrameSum(frame + 1, length - 5);
    if (computed)
        *computed = sum;
    std::uint16_t stored = static_cast<std::uint16_t>(frame[length - 4] | (frame[length - 3] << 8));
    return sum == stored;
}

void AppendHexText(std::string &out, const std::uint8_t *bytes, std::size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::size_t at = out.size();
    out.resize(at + count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        out[at++] = digits[bytes[i] >> 4];
        out[at++] = digits[bytes[i] & 0x0F];
        out[at++] = ' ';
    }
}

std::string HexText(const std::uint8_t *bytes, std::size_t count)
{
    std::string out;
    out.reserve(count * 3);
    AppendHexText(out, bytes, count);
    return out;
}

std::string FrameLogTitle(const char *prefix, const std::uint8_t *frame, std::size_t length)
{
    unsigned cls = length > 2 ? (frame[2] & 0x7F) : 0;
    unsigned code = length > 3 ? (frame[3] & 0x7F) : 0;
    char pair[16];
    std::snprintf(pair, sizeof pair, " %02X %02X", cls, code);
    return std::string(prefix) + pair;
}
