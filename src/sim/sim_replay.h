// The board's answers as a capture recorded them, for the simulated board to
// give again: each request the host sent (class, code and data) with the
// whole frames received after it, up to the next thing the host sent. A
// request asked several times gets its recorded answers in the recorded
// order, a request whose recorded turn went unanswered gets no answer again,
// and once the recorded turns are used up the last answered one repeats.
//
// The capture comes from users: any bytes are read, and only whole blocks
// and whole frames in them are believed.
#pragma once

#include "sim/sim_board.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

class ReplayBook {
public:
    // Reads a pcapng capture. Reading stops at the first block that is cut
    // off or malformed (problem says so); what came before it is kept.
    static ReplayBook FromCapture(std::span<const std::uint8_t> bytes, std::string *problem = nullptr);

    // The recorded answer frames for a request frame (head to tail); nullopt
    // when the capture holds no turn of it. An empty list is a recorded silence.
    std::optional<std::vector<SimBytes>> Take(std::span<const std::uint8_t> request);

    // Requests (distinct class, code and data) and turns recorded.
    std::size_t Requests() const { return m_book.size(); }
    std::size_t Turns() const { return m_turns; }
    bool Empty() const { return m_book.empty(); }

private:
    struct Entry {
        std::vector<std::vector<SimBytes>> turns;
        std::size_t next = 0;
    };
    // Class, code, length byte and data of a request frame; nullopt when the bytes are no request frame.
    static std::optional<SimBytes> KeyOf(std::span<const std::uint8_t> frame);

    std::map<SimBytes, Entry> m_book;
    std::size_t m_turns = 0;
};
