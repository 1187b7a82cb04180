// The board's answers to the internal debug page: production date, versions,
// cell arrangement, serial number, measured capacity, open-circuit voltages,
// the two internal resistance tables, the register block and the request
// that starts the board's YModem loader (class 0x02).
#include "protocol/bytes.h"
#include "protocol/control_cmds.h"
#include "protocol/debug_cmds.h"
#include "sim/sim_board.h"

#include <algorithm>

namespace {
using Data = std::span<const std::uint8_t>;

bool IsPlain(Data data)
{
    return data.size() == 1;
}

SimBytes WithResult(std::span<const std::uint8_t> bytes)
{
    SimBytes out(bytes.size() + 1, kResultOk);
    std::copy(bytes.begin(), bytes.end(), out.begin() + 1);
    return out;
}

SimBytes DateWrite(SimContext &ctx, Data data)
{
    if (data.size() != 3)
        return {kResultBadLength};
    if (!IsCalendarDay(2000 + data[0], data[1], data[2]))
        return {kResultBadValue};
    BoardIdentity &id = ctx.unit.identity;
    id.year = data[0];
    id.month = data[1];
    id.day = data[2];
    return {kResultOk, id.year, id.month, id.day};
}

SimBytes VersionsRead(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return WithResult(ctx.unit.identity.versions);
}

SimBytes ArrangementAnswer(const Arrangement &a)
{
    Payload p = ArrangementPayload(a);
    return WithResult(std::span(p).subspan(4));
}

SimBytes ArrangementRead(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return ArrangementAnswer(ctx.unit.debug.arrangement);
}

SimBytes ArrangementWrite(SimContext &ctx, Data data)
{
    if (data.size() != 4)
        return {kResultBadLength};
    if (data[0] == 0 || data[0] > 32 || data[1] == 0)
        return {kResultBadValue};
    ctx.unit.debug.arrangement = {data[0], data[1], *ReadBe16(data, 2)};
    return ArrangementAnswer(ctx.unit.debug.arrangement);
}

// The serial number is kept up to its first 0x00 and answered as kept, as
// the live status item carries it.
SimBytes SnWrite(SimContext &ctx, Data data)
{
    if (data.size() != kSnFieldBytes)
        return {kResultBadLength};
    auto end = std::find(data.begin(), data.end(), 0x00);
    ctx.unit.identity.sn.assign(data.begin(), end);
    const std::string &sn = ctx.unit.identity.sn;
    return WithResult(std::span(reinterpret_cast<const std::uint8_t *>(sn.data()), sn.size()));
}

SimBytes MeasuredCapacityAnswer(std::int16_t mah)
{
    return {kResultOk, static_cast<std::uint8_t>(static_cast<std::uint16_t>(mah) >> 8), static_cast<std::uint8_t>(mah)};
}

SimBytes MeasuredCapacityRead(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return MeasuredCapacityAnswer(ctx.unit.debug.measuredMah);
}

SimBytes MeasuredCapacityWrite(SimContext &ctx, Data data)
{
    if (data.size() != 2)
        return {kResultBadLength};
    ctx.unit.debug.measuredMah = static_cast<std::int16_t>(*ReadBe16(data, 0));
    return MeasuredCapacityAnswer(ctx.unit.debug.measuredMah);
}

SimBytes OcvAnswer(const FourteenValues &values)
{
    Payload p = OcvPayload(values);
    return WithResult(std::span(p).subspan(4));
}

SimBytes OcvRead(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return OcvAnswer(ctx.unit.debug.openCircuit);
}

SimBytes OcvWrite(SimContext &ctx, Data data)
{
    if (data.size() != 2 * kMeasuredValues)
        return {kResultBadLength};
    for (std::size_t i = 0; i < kMeasuredValues; ++i)
        ctx.unit.debug.openCircuit[i] = *ReadBe16(data, 2 * i);
    return OcvAnswer(ctx.unit.debug.openCircuit);
}

std::array<Measurement, 2> &Table(SimContext &ctx, ResistanceTable table)
{
    return ctx.unit.debug.resistance[table == ResistanceTable::Charge ? 0 : 1];
}

// A read names the measurement index in its one data byte.
SimBytes ResistanceRead(SimContext &ctx, Data data, ResistanceTable table)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    if (data[0] > 1)
        return {kResultBadValue};
    return WithResult(EncodeMeasurement(Table(ctx, table)[data[0]]));
}

SimBytes ResistanceWrite(SimContext &ctx, Data data, ResistanceTable table)
{
    if (data.size() != kMeasurementBytes)
        return {kResultBadLength};
    std::uint8_t index = data[32];
    if (index > 1)
        return {kResultBadValue};
    Measurement &m = Table(ctx, table)[index];
    for (std::size_t i = 0; i < kMeasuredValues; ++i)
        m.values[i] = *ReadBe16(data, 2 * i);
    m.current = static_cast<std::int32_t>(*ReadBe32(data, 28));
    m.index = index;
    return WithResult(EncodeMeasurement(m));
}

SimBytes RegisterRead(SimContext &ctx, Data data)
{
    if (data.size() != 3)
        return {kResultBadLength};
    return WithResult(ctx.unit.debug.registers);
}

SimBytes RegisterWrite(SimContext &ctx, Data data)
{
    if (data.size() != kRegisterBytes)
        return {kResultBadLength};
    std::copy(data.begin(), data.end(), ctx.unit.debug.registers.begin());
    return WithResult(ctx.unit.debug.registers);
}

// The board acknowledges and starts its loader for YModem wrapped in frames;
// without a loader it does not know the command.
SimBytes BoardUpgrade(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    if (!ctx.startLoader || !*ctx.startLoader || !(*ctx.startLoader)(LoaderMode::Wrapped))
        return {kResultUnknown};
    return {kResultOk};
}

SimCommand Command(CommandId id, std::function<SimBytes(SimContext &, Data)> handler)
{
    return {id.cls, id.code, false, std::move(handler)};
}

void AddTable(SimCommandTable &table, ResistanceTable which)
{
    table.push_back(
        Command(ResistanceReadCommand(which), [which](SimContext &c, Data d) { return ResistanceRead(c, d, which); }));
    table.push_back(Command(ResistanceWriteCommand(which),
                            [which](SimContext &c, Data d) { return ResistanceWrite(c, d, which); }));
}
} // namespace

void AddDebugCommands(SimCommandTable &table)
{
    table.push_back(Command(kCmdBoardUpgrade, BoardUpgrade));
    table.push_back(Command(kCmdProductionDateWrite, DateWrite));
    table.push_back(Command(kCmdVersionsRead, VersionsRead));
    table.push_back(Command(kCmdArrangementRead, ArrangementRead));
    table.push_back(Command(kCmdArrangementWrite, ArrangementWrite));
    table.push_back(Command(kCmdSnWrite, SnWrite));
    table.push_back(Command(kCmdMeasuredCapacityRead, MeasuredCapacityRead));
    table.push_back(Command(kCmdMeasuredCapacityWrite, MeasuredCapacityWrite));
    table.push_back(Command(kCmdOcvRead, OcvRead));
    table.push_back(Command(kCmdOcvWrite, OcvWrite));
    AddTable(table, ResistanceTable::Charge);
    AddTable(table, ResistanceTable::Discharge);
    table.push_back(Command(kCmdRegisterRead, RegisterRead));
    table.push_back(Command(kCmdRegisterWrite, RegisterWrite));
}
