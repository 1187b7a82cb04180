// The board's firmware loaders: the one of the command protocol (class 0x03
// code 0x26, answered in upgrade packets) kept per board, and the image a
// loader has received, written to the --store-image file when asked.
#pragma once

#include "sim/sim_options.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct FwLoaderState {
    bool requested = false; // step 1 accepted
    bool checked = false;   // step 3 accepted
    bool erased = false;    // step 5 done: blocks may follow
    std::uint32_t size = 0; // announced in step 3
    int blockSize = 128;
    std::uint16_t nextBlock = 1;
    std::vector<std::uint8_t> image; // what has been written so far
    std::map<int, int> attempts;     // writes per block number
    bool upgraded = false;           // a result query reported success
};

// The largest image the simulated chip takes.
inline constexpr std::uint32_t kSimFlashSize = 1024 * 1024;

// Writes a received image to options.storeImage (when set); false when the file cannot be written.
bool StoreReceivedImage(const SimOptions &options, const std::vector<std::uint8_t> &image);
