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
    AddControlCommands(m_commands);
    AddDebugCommands(m_commands);
    AddRepeaterCommands(m_commands);
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

void SimBoard::AdvanceTo(BoardUnit &unit, std::int64_t nowMs)
{
    std::int64_t elapsed = nowMs - unit.lastAdvanceMs;
    unit.lastAdvanceMs = nowMs;
    if (elapsed > 0)
        unit.pack.Advance(static_cast<double>(elapsed) / 1000.0 * m_options.speed, unit.params);
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
    answers.push_back(Answer(*m_main, command, cls, code, data, now));
    if (m_secondary && command && command->secondaryAnswers)
        answers.push_back(Answer(*m_secondary, command, cls, code, data, now));
    return answers;
}

SimBytes SimBoard::Answer(BoardUnit &unit, const SimCommand *command, std::uint8_t cls, std::uint8_t code,
                          std::span<const std::uint8_t> data, std::int64_t nowMs)
{
    AdvanceTo(unit, nowMs);
    SimBytes result{kResultUnknown};
    if (command) {
        SimContext context{unit, m_options, nowMs, &m_loaderStarter};
        result = command->handler(context, data);
        if (result.empty())
            result.push_back(kResultUnknown);
    }
    return MakeFrame(unit.link, static_cast<std::uint8_t>(cls | 0x80), static_cast<std::uint8_t>(code | 0x80), result);
}
