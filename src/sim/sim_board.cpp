#include "sim/sim_board.h"

#include "protocol/frame.h"

#include <algorithm>
#include <chrono>

std::int64_t SystemClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

namespace {
BoardIdentity IdentityOf(int variant)
{
    if (variant == 0)
        return {"PYLSIM16S50A0001", {1, 4, 2, 2, 1, 0}, 24, 3, 18, 0x08};
    return {"PYLSIM16S50A0002", {1, 4, 2, 2, 1, 0}, 24, 5, 6, 0x04};
}
} // namespace

BoardUnit::BoardUnit(std::uint8_t linkByte, int variant, const SimOptions &options)
    : link(linkByte), params(), pack(options.seed, variant, params), identity(IdentityOf(variant)), control(variant),
      debug(variant), clockOffsetMs(static_cast<std::int64_t>(options.clockOffsetSec) * 1000)
{
    if (variant == 0 && !options.sn.empty())
        identity.sn = options.sn;
}

SimBytes MakeFrame(std::uint8_t link, std::uint8_t cls, std::uint8_t code, std::span<const std::uint8_t> data)
{
    std::size_t n = std::min<std::size_t>(data.size(), 255);
    SimBytes payload{link, cls, code, static_cast<std::uint8_t>(n)};
    payload.insert(payload.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    BuildResult built = BuildFrame(payload.data(), payload.size());
    if (!built.entry)
        return {};
    SimBytes frame(built.entry->data(), built.entry->data() + built.entry->size());
    FrameEntryFree(built.entry);
    return frame;
}

SimBoard::SimBoard(const SimOptions &options, SimClock clock)
    : m_options(options), m_clock(clock ? std::move(clock) : SimClock(SystemClockMs))
{
    AddParamCommands(m_commands);
    AddStatusCommands(m_commands);
    AddClockCommands(m_commands);
    AddLogCommands(m_commands);
    AddRecordCommands(m_commands);
    AddSocCommands(m_commands);
    AddControlCommands(m_commands);
    AddDebugCommands(m_commands);
    AddRepeaterCommands(m_commands);
    AddUpgradeCommands(m_commands);
    std::int64_t now = m_clock();
    m_main = std::make_unique<BoardUnit>(kLinkMain, 0, m_options);
    m_main->lastAdvanceMs = now;
    if (m_options.secondary) {
        m_secondary = std::make_unique<BoardUnit>(kLinkSecondary, 1, m_options);
        m_secondary->lastAdvanceMs = now;
    }
}

void SimBoard::AddCommand(SimCommand command)
{
    for (SimCommand &c : m_commands) {
        if (c.cls == command.cls && c.code == command.code) {
            c = std::move(command);
            return;
        }
    }
    m_commands.push_back(std::move(command));
}

const SimCommand *SimBoard::Find(std::uint8_t cls, std::uint8_t code) const
{
    for (const SimCommand &c : m_commands)
        if (c.cls == cls && c.code == code)
            return &c;
    return nullptr;
}

// Pack time passes in slices, so the activities see every change of state
// with the time it happened at.
void SimBoard::AdvanceTo(BoardUnit &unit, std::int64_t nowMs)
{
    std::int64_t from = unit.lastAdvanceMs;
    std::int64_t elapsed = nowMs - from;
    unit.lastAdvanceMs = nowMs;
    if (elapsed <= 0)
        return;
    constexpr double kMaxGapSeconds = 2 * 3600.0;
    double total = std::min(static_cast<double>(elapsed) / 1000.0 * m_options.speed, kMaxGapSeconds);
    double done = 0;
    while (done < total) {
        double dt = std::min(kSimSliceSeconds, total - done);
        unit.pack.Advance(dt, unit.params);
        done += dt;
        SimContext context{unit, m_options, from + static_cast<std::int64_t>(elapsed * (done / total))};
        for (const SimActivity &a : m_commands.activities)
            if (a.observe)
                a.observe(context);
    }
}

std::vector<BoardUnit *> SimBoard::Units()
{
    std::vector<BoardUnit *> units{m_main.get()};
    if (m_secondary)
        units.push_back(m_secondary.get());
    return units;
}

std::vector<SimBytes> SimBoard::Poll()
{
    std::vector<SimBytes> frames;
    std::int64_t now = m_clock();
    for (BoardUnit *unit : Units()) {
        AdvanceTo(*unit, now);
        SimContext context{*unit, m_options, now};
        for (const SimActivity &a : m_commands.activities)
            if (a.due)
                a.due(context);
        for (const SimSend &send : context.follow)
            frames.push_back(MakeFrame(unit->link, send.cls, send.code, send.data));
    }
    return frames;
}

std::optional<std::int64_t> SimBoard::NextDueMs()
{
    std::optional<std::int64_t> next;
    std::int64_t now = m_clock();
    for (BoardUnit *unit : Units()) {
        SimContext context{*unit, m_options, now};
        for (const SimActivity &a : m_commands.activities) {
            std::optional<std::int64_t> due = a.nextDueMs ? a.nextDueMs(context) : std::nullopt;
            if (due && (!next || *due < *next))
                next = due;
        }
    }
    return next;
}

std::vector<SimBytes> SimBoard::Handle(std::span<const std::uint8_t> frame)
{
    std::vector<SimBytes> answers;
    // A request: head, link byte 0x53, a class and a code below 0x80, its data, sum, tail.
    if (frame.size() < kFrameMinLen || frame[1] != kLinkMain || (frame[2] & 0x80) || (frame[3] & 0x80))
        return answers;
    std::size_t n = frame[4];
    if (frame.size() != n + 9)
        return answers;
    std::uint8_t cls = frame[2], code = frame[3];
    std::span<const std::uint8_t> data = frame.subspan(5, n);
    const SimCommand *command = Find(cls, code);
    std::int64_t now = m_clock();
    answers = Answer(*m_main, command, cls, code, data, now);
    if (m_secondary && !(command && command->byRepeater))
        for (SimBytes &answer : Answer(*m_secondary, command, cls, code, data, now))
            answers.push_back(std::move(answer));
    return answers;
}

std::vector<SimBytes> SimBoard::Answer(BoardUnit &unit, const SimCommand *command, std::uint8_t cls, std::uint8_t code,
                                       std::span<const std::uint8_t> data, std::int64_t nowMs)
{
    AdvanceTo(unit, nowMs);
    SimBytes result{kResultUnknown};
    SimContext context{unit, m_options, nowMs, {}, &m_loaderStarter};
    if (command) {
        result = command->handler(context, data);
        if (result.empty())
            result.push_back(kResultUnknown);
    }
    std::vector<SimBytes> frames;
    if (!context.noAnswer)
        frames.push_back(MakeFrame(unit.link, static_cast<std::uint8_t>(cls | 0x80),
                                   static_cast<std::uint8_t>(code | 0x80), result));
    for (const SimSend &send : context.follow)
        frames.push_back(MakeFrame(unit.link, send.cls, send.code, send.data));
    return frames;
}
