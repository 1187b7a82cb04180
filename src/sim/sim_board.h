// The simulated board: request frames in, answer frames out. A main board
// and, when asked for, a secondary board on the same link. Commands live in
// one table, one entry per class and code; the board holds no I/O.
#pragma once

#include "sim/sim_options.h"
#include "sim/sim_pack.h"
#include "sim/sim_params.h"
#include "sim/sim_status.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

using SimBytes = std::vector<std::uint8_t>;

// One board on the link with everything it keeps.
struct BoardUnit {
    BoardUnit(std::uint8_t linkByte, int variant, const SimOptions &options);

    std::uint8_t link;
    ParamStore params;
    PackModel pack;
    BoardIdentity identity;
    std::int64_t clockOffsetMs; // board clock minus the computer's clock
    std::int64_t lastAdvanceMs = 0;

    StatusSource Status() const { return {pack, params, identity}; }
};

// What a command handler gets: the board that answers, the request's data
// and the time.
struct SimContext {
    BoardUnit &unit;
    const SimOptions &options;
    std::int64_t nowMs;
};

struct SimCommand {
    std::uint8_t cls;
    std::uint8_t code;
    // The secondary board answers this request too.
    bool secondaryAnswers;
    // Returns the answer's data: the result code, then the result.
    std::function<SimBytes(SimContext &, std::span<const std::uint8_t> data)> handler;
};

using SimCommandTable = std::vector<SimCommand>;
// The table entries of each group of commands.
void AddParamCommands(SimCommandTable &table);
void AddStatusCommands(SimCommandTable &table);
void AddClockCommands(SimCommandTable &table);

// A complete frame (head to tail) with the checksum filled in; data longer
// than a frame can carry is cut to 255 bytes.
SimBytes MakeFrame(std::uint8_t link, std::uint8_t cls, std::uint8_t code, std::span<const std::uint8_t> data);

class SimBoard {
public:
    explicit SimBoard(const SimOptions &options, SimClock clock = SystemClockMs);

    // A request frame whose framing and checksum have been checked: the
    // answers, main board first. Frames that are not requests get none.
    std::vector<SimBytes> Handle(std::span<const std::uint8_t> frame);

    // Adds a command or replaces the one with the same class and code.
    void AddCommand(SimCommand command);
    const SimCommand *Find(std::uint8_t cls, std::uint8_t code) const;

    BoardUnit &Main() { return *m_main; }
    BoardUnit *Secondary() { return m_secondary.get(); }
    const SimOptions &Options() const { return m_options; }
    std::int64_t NowMs() const { return m_clock(); }

private:
    void AdvanceTo(BoardUnit &unit, std::int64_t nowMs);
    SimBytes Answer(BoardUnit &unit, const SimCommand *command, std::uint8_t cls, std::uint8_t code,
                    std::span<const std::uint8_t> data, std::int64_t nowMs);

    SimOptions m_options;
    SimClock m_clock;
    SimCommandTable m_commands;
    std::unique_ptr<BoardUnit> m_main;
    std::unique_ptr<BoardUnit> m_secondary;
};
