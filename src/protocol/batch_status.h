// The batch status read: one request (0x03/0x66) naming all fifteen status
// items, one answer (0x83/0xE6) carrying them as blocks. The answer's data is
// the result byte, fifteen pairs (item code, block length) and the blocks in
// the order of the pairs.
#pragma once

#include "protocol/status_decode.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr std::uint8_t kBatchCode = 0x66;
inline constexpr std::size_t kBatchItems = 15;

// 53 03 66 0F and the fifteen item codes in the request order.
std::array<std::uint8_t, 4 + kBatchItems> BatchRequestPayload();

struct BatchBlock {
    std::uint8_t code = 0; // item code as the pair gives it
    StatusBytes bytes;     // inside the frame
};

struct BatchStatus {
    bool accepted = false;
    std::string reason; // why it was refused (for the trace)
    std::vector<BatchBlock> blocks;
};

// Checks a whole answer frame (head 4D ... tail 0D 0A) and cuts its blocks.
// Accepted only when the frame holds its data length, the result byte is 0 and
// the fifteen pairs and every block lie inside the data; a length that points
// past the data refuses the whole answer. Never reads outside [frame, frame+length).
BatchStatus ParseBatchStatus(const std::uint8_t *frame, std::size_t length);

// Builds the data of an answer (result byte 0, pairs, blocks) from blocks in order.
std::vector<std::uint8_t> BuildBatchData(const std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> &blocks);
