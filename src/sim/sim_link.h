// The board's side of the link without any I/O: received bytes are cut into
// frames, checked, handed to the board, and its answers go through the fault
// switches. What comes out is the bytes to write, in order.
#pragma once

#include "protocol/framer.h"
#include "sim/sim_board.h"

#include <cstdint>
#include <random>
#include <span>
#include <vector>

// Faults that change what is written, not when.
class FaultLayer {
public:
    explicit FaultLayer(const SimOptions &options);
    // False when the request is to go unanswered (first of two identical ones).
    bool Admit(std::span<const std::uint8_t> frame);
    // The answers as written: rewritten, corrupted, dropped, with noise between.
    std::vector<SimBytes> Shape(std::vector<SimBytes> answers);

private:
    SimBytes Rewrite(const SimBytes &frame) const;
    SimBytes Garbage();

    SimOptions m_options;
    std::uint64_t m_answers = 0;
    SimBytes m_pending;
    std::mt19937 m_rng;
};

class SimLink {
public:
    explicit SimLink(const SimOptions &options, SimClock clock = SystemClockMs);

    // Received bytes in; the chunks to write, one per answer (noise included).
    std::vector<SimBytes> Feed(std::span<const std::uint8_t> bytes);
    // The frames the board sends by itself that are due now, through the faults.
    std::vector<SimBytes> Poll();

    SimBoard &Board() { return m_board; }
    std::uint64_t Requests() const { return m_requests; }
    std::uint64_t BadChecksums() const { return m_badChecksums; }

private:
    SimBoard m_board;
    FaultLayer m_faults;
    RxFramer m_framer;
    std::vector<SimBytes> m_frames;
    std::uint64_t m_requests = 0;
    std::uint64_t m_badChecksums = 0;
};
