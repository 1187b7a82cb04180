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
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <typeindex>
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
    std::int64_t restartUntilMs = 0; // restarting after an upgrade: silent until then

    StatusSource Status() const { return {pack, params, identity}; }
    // The board clock in milliseconds since 1970 at the computer time nowMs.
    std::int64_t BoardMs(std::int64_t nowMs) const { return nowMs + clockOffsetMs; }

    // What a group of commands keeps on this board: one object of each type,
    // made on first use.
    template <class T> T &Extra()
    {
        std::shared_ptr<void> &slot = m_extra[std::type_index(typeid(T))];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T *>(slot.get());
    }

private:
    std::map<std::type_index, std::shared_ptr<void>> m_extra;
};

// A frame the board sends besides its answer: class and code as sent (bit 7
// set) and the data (result code first).
struct SimSend {
    std::uint8_t cls;
    std::uint8_t code;
    SimBytes data;
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
    // Frames that go out right after the answer, in this order.
    std::vector<SimSend> follow = {};
    const LoaderStarter *startLoader = nullptr; // null or empty: no loader
    // The handler's answer is not sent (a board that stays silent).
    bool noAnswer = false;
};

struct SimCommand {
    std::uint8_t cls;
    std::uint8_t code;
    // True for the requests of the repeater in front of the boards: answered
    // once. Every other request is answered by each board on the link (main,
    // then secondary), each from its own state.
    bool byRepeater;
    // Returns the answer's data: the result code, then the result.
    std::function<SimBytes(SimContext &, std::span<const std::uint8_t> data)> handler;
};

// Work a group of commands does while time passes: watching the pack and
// sending frames that nobody asked for.
struct SimActivity {
    // After each slice of pack time (at most kSimSliceSeconds); ctx.nowMs is
    // the computer time the slice ends at. May be empty.
    std::function<void(SimContext &)> observe;
    // The frames due at ctx.nowMs (put into ctx.follow). May be empty.
    std::function<void(SimContext &)> due;
    // The computer time the next frame is due at; nullopt when none is.
    std::function<std::optional<std::int64_t>(SimContext &)> nextDueMs;
};
inline constexpr double kSimSliceSeconds = 1.0;

struct SimCommandTable : std::vector<SimCommand> {
    std::vector<SimActivity> activities;
};
// The table entries of each group of commands.
void AddParamCommands(SimCommandTable &table);
void AddStatusCommands(SimCommandTable &table);
void AddClockCommands(SimCommandTable &table);
void AddLogCommands(SimCommandTable &table);
void AddRecordCommands(SimCommandTable &table);
void AddSocCommands(SimCommandTable &table);
void AddControlCommands(SimCommandTable &table);
void AddDebugCommands(SimCommandTable &table);
void AddRepeaterCommands(SimCommandTable &table);
void AddUpgradeCommands(SimCommandTable &table);

// A complete frame (head to tail) with the checksum filled in; data longer
// than a frame can carry is cut to 255 bytes.
SimBytes MakeFrame(std::uint8_t link, std::uint8_t cls, std::uint8_t code, std::span<const std::uint8_t> data);

class SimBoard {
public:
    explicit SimBoard(const SimOptions &options, SimClock clock = SystemClockMs);

    // A request frame whose framing and checksum have been checked: the
    // answers, main board first, then the secondary board's (when there is
    // one) to the same request. Frames that are not requests get none.
    std::vector<SimBytes> Handle(std::span<const std::uint8_t> frame);
    // The frames the boards send by themselves that are due now.
    std::vector<SimBytes> Poll();
    // The computer time the next such frame is due at; nullopt when none is.
    std::optional<std::int64_t> NextDueMs();

    // Adds a command or replaces the one with the same class and code.
    void AddCommand(SimCommand command);
    const SimCommand *Find(std::uint8_t cls, std::uint8_t code) const;

    // How upgrade requests start a firmware loader.
    void SetLoaderStarter(LoaderStarter starter) { m_loaderStarter = std::move(starter); }

    BoardUnit &Main() { return *m_main; }
    const BoardUnit &Main() const { return *m_main; }
    BoardUnit *Secondary() { return m_secondary.get(); }
    const SimOptions &Options() const { return m_options; }
    std::int64_t NowMs() const { return m_clock(); }

private:
    void AdvanceTo(BoardUnit &unit, std::int64_t nowMs);
    std::vector<SimBytes> Answer(BoardUnit &unit, const SimCommand *command, std::uint8_t cls, std::uint8_t code,
                                 std::span<const std::uint8_t> data, std::int64_t nowMs);
    std::vector<BoardUnit *> Units();

    SimOptions m_options;
    SimClock m_clock;
    SimCommandTable m_commands;
    std::unique_ptr<BoardUnit> m_main;
    std::unique_ptr<BoardUnit> m_secondary;
    LoaderStarter m_loaderStarter;
};
