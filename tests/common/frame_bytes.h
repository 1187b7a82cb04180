// Complete board frames built from their parts, for feeding receive paths and
// the simulated board in tests.
#pragma once

#include "protocol/frame.h"

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The whole frame around a payload (link byte, class, code, N, data); empty
// when the payload cannot be framed.
inline Bytes FrameOf(const Bytes &payload)
{
    BuildResult built = BuildFrame(payload.data(), payload.size());
    if (!built.entry)
        return {};
    Bytes frame(built.entry->ety_buf, built.entry->ety_buf + built.entry->ety_len);
    FrameEntryFree(built.entry);
    return frame;
}

// A frame of class and code with N set to the size of the data.
inline Bytes BoardFrame(std::uint8_t cls, std::uint8_t code, const Bytes &data, std::uint8_t link = 0x53)
{
    Bytes payload{link, cls, code, static_cast<std::uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    return FrameOf(payload);
}

// The main board's live status answer to a request code: result code, then data.
inline Bytes StatusAnswer(std::uint8_t code, const Bytes &data, std::uint8_t result = 0)
{
    Bytes body{result};
    body.insert(body.end(), data.begin(), data.end());
    return BoardFrame(0x83, static_cast<std::uint8_t>(code | 0x80), body);
}
