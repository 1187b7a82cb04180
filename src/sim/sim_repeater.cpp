// The repeater that may sit in front of the board: it answers the class 0x01
// requests itself (its links, its versions, and the upgrade request that
// starts its YModem loader, which takes raw bytes) and passes every other
// request on to the board. Without a repeater a class 0x01 request reaches
// the board, which does not know it.
#include "protocol/repeater_cmds.h"
#include "sim/sim_board.h"

namespace {
using Data = std::span<const std::uint8_t>;

constexpr std::uint8_t kRepeaterLinks = 0x13;                                 // serial, CAN, 485
constexpr std::array<std::uint8_t, 6> kRepeaterVersions = {2, 1, 0, 1, 0, 3}; // software, hardware

bool IsPlain(Data data)
{
    return data.size() == 1;
}

SimBytes RepeaterLinks(SimContext &, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return {kResultOk, kRepeaterLinks};
}

SimBytes RepeaterVersions(SimContext &, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    const auto &v = kRepeaterVersions;
    return {kResultOk, v[0], v[1], v[2], v[3], v[4], v[5]};
}

SimBytes RepeaterUpgrade(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    if (!ctx.startLoader || !*ctx.startLoader || !(*ctx.startLoader)(LoaderMode::Raw))
        return {kResultUnknown};
    return {kResultOk};
}

// Only a repeater knows class 0x01.
SimCommand RepeaterCommand(CommandId id, SimBytes (*handler)(SimContext &, Data))
{
    return {id.cls, id.code, true, [handler](SimContext &ctx, Data data) {
                if (!ctx.options.repeater)
                    return SimBytes{kResultUnknown};
                return handler(ctx, data);
            }};
}
} // namespace

void AddRepeaterCommands(SimCommandTable &table)
{
    table.push_back(RepeaterCommand(kCmdRepeaterUpgrade, RepeaterUpgrade));
    table.push_back(RepeaterCommand(kCmdRepeaterLinks, RepeaterLinks));
    table.push_back(RepeaterCommand(kCmdRepeaterVersions, RepeaterVersions));
}
