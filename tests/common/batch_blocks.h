// Batch status answers for tests: a block for every item of the batch request,
// in request order, and the frame that carries them.
#pragma once

#include "common/frame_bytes.h"

#include <utility>
#include <vector>

using Blocks = std::vector<std::pair<std::uint8_t, Bytes>>;

inline Blocks FullBlocks()
{
    return {{0x02, {1, 2, 3, 4, 5, 6}},
            {0x22, {0x00, 0x01}},
            {0x09, {0x00, 0x00, 0x01}},
            {0x18, {2}},
            {0x11, {0x00, 0x05}},
            {0x19, {80, 100}},
            {0x23, {0x27, 0x10, 0x00, 0x01}},
            {0x24, {0x4E, 0x20}},
            {0x06, {0x14, 0x82, 0, 0, 0xFF, 0xFF, 0x00, 0xFA, 0x00, 0xF0}},
            {0x20, {24, 5, 17}},
            {0x01, {'S', 'N', '1'}},
            {0x14, {0x03}},
            {0x05, {0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xDA}},
            {0x08, {0x05}},
            {0x07, Bytes(20, 0x11)}};
}

// Gives the block of that code other data; blocks without that code stay as they are.
inline void SetBlock(Blocks &blocks, std::uint8_t code, Bytes data)
{
    for (auto &[blockCode, bytes] : blocks)
        if (blockCode == code)
            bytes = std::move(data);
}

// The main board's batch answer frame around the data (the result code first).
inline Bytes BatchAnswer(const Bytes &data)
{
    return BoardFrame(0x83, 0xE6, data);
}
