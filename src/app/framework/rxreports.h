// Receive rows of the system log (the three protocol-trouble rows at level 3),
// titled "接收" + " %02X %02X" of class and code with bit 7 cleared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

void ReportUnhandled(const std::uint8_t *frame, int len);
void ReportErrorCode(const std::uint8_t *frame, int len);
void ReportLengthMismatch(const std::uint8_t *frame, int len, int need);
// A row with that title and a fixed text (no hex text).
void ReportFrameRow(int level, const std::uint8_t *frame, int len, const char *text);
// A row with that title; the text is the message followed by the frame's bytes
// in hex (no bytes for a negative length).
void ReportFrameBytes(int level, const std::uint8_t *frame, int len, const char *message);

// The data field of a response, bounded by the frame actually held.
struct ResponseView {
    int dataLen = 0;                    // the length byte N
    const std::uint8_t *data = nullptr; // data[0] is the result code
    int avail = 0;                      // bytes of data present (never more than N)
    std::uint8_t ResultCode() const { return avail > 0 ? data[0] : 0; }
    // The data after the result code; empty when the answer holds none, so a
    // frame whose data field is empty or cut short is never read past.
    std::span<const std::uint8_t> AfterResult() const
    {
        if (avail < 2)
            return {};
        return {data + 1, static_cast<std::size_t>(avail - 1)};
    }
};
ResponseView ViewResponse(const std::uint8_t *frame, int len);
