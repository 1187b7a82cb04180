// The simulated board: request frames in, answer frames out. A main board
// and, when asked for, a secondary board on the same link. Commands live in
// one table, one entry per class and code; the board holds no I/O.
#pragma once

#include "sim/sim_options.h"
#include "sim/sim_pack.h"
#include "sim/sim_params.h"
#include "sim/sim_status.h"
#include "sim/sim_unit_state.h"

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
    ControlState control;
    DebugState debug;
    std::int64_t clockOffsetMs; // board clock minus the computer's clock
    std::int64_t lastAdvanceMs = 0;

    StatusSource Status() const { return {pack, params, identity}; }
};

// A firmware loader that an upgrade request starts: the repeater's takes raw
// YModem bytes from the link, the board's takes YModem packets wrapped in
// class 0x02 code 0x01 frames. The starter is set by whoever runs the link
// (the loader lives there); it returns false when no loader can start.
enum class LoaderMode { Raw, Wrapped };
using LoaderStarter = std::function<bool(LoaderMode)>;

// What a command handler gets: the board that answers, the request's data
// and the time.
struct SimContext {
    BoardUnit &unit;
    const SimOptions &options;
    std::int64_t nowMs;
    const LoaderStarter *startLoader = nullptr; // null or empty: no loader
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
void AddControlCommands(SimCommandTable &table);
void AddDebugCommands(SimCommandTable &table);
void AddRepeaterCommands(SimCommandTable &table);

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

    // How upgrade requests start a firmware loader.
    void SetLoaderStarter(LoaderStarter starter) { m_loaderStarter = std::move(starter); }

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
    LoaderStarter m_loaderStarter;
};
