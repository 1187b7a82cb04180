// Live status items of class 0x03 as the board encodes them, and the batch
// answer that carries several items in one frame.
#pragma once

#include "sim/sim_pack.h"
#include "sim/sim_params.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What a board says about itself.
struct BoardIdentity {
    std::string sn;
    std::array<std::uint8_t, 6> versions; // software x.y.z, hardware x.y.z
    std::uint8_t year;                    // production date, year - 2000
    std::uint8_t month;
    std::uint8_t day;
    std::uint8_t wakeSource; // one code: 1, 2, 4, ... 128
};

struct StatusSource {
    const PackModel &pack;
    const ParamStore &params;
    const BoardIdentity &identity;
};

// Codes of the live status items, in the order the batch request names them.
std::span<const std::uint8_t> StatusItemCodes();
bool IsStatusItem(std::uint8_t code);
// The item's bytes after the result code; empty for an unknown code.
std::vector<std::uint8_t> StatusPayload(std::uint8_t code, const StatusSource &source);
// Data of the batch answer (result code first): one (code, length) pair per
// requested code, then the blocks in the same order. A code the board does
// not know gets an empty block. Data that would not fit in a frame gives
// only the result code kResultBadLength.
std::vector<std::uint8_t> BatchData(std::span<const std::uint8_t> codes, const StatusSource &source);
