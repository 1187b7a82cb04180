// The board's answers to the customer control page: calibrations, MOS
// switches, storage mode, the internal debugging mode, histories, BMS state,
// working mode, the voltage difference for paralleling, balancing and the
// reset commands (class 0x03 and 0x05; leaving the internal mode is 0x02).
#include "protocol/bytes.h"
#include "protocol/control_cmds.h"
#include "sim/sim_board.h"

namespace {
using Data = std::span<const std::uint8_t>;

// The board refuses to enter the internal debugging mode.
constexpr std::uint8_t kResultRefused = 0x04;

bool IsPlain(Data data)
{
    return data.size() == 1;
}

SimBytes Be16Answer(std::uint16_t v)
{
    return {kResultOk, static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

SimBytes VoltageCalibration(SimContext &ctx, Data data)
{
    std::optional<std::uint32_t> mv = ReadBe32(data, 0);
    if (data.size() != 4 || !mv)
        return {kResultBadLength};
    ctx.unit.control.voltageCalibrationMv = *mv;
    SimBytes out(5, kResultOk);
    WriteBe32(out.data() + 1, *mv);
    return out;
}

SimBytes CurrentCalibrationWrite(SimContext &ctx, Data data)
{
    if (data.size() != 4)
        return {kResultBadLength};
    ControlState &c = ctx.unit.control;
    c.currentCalibration = *ReadBe16(data, 0);
    c.currentThreshold = static_cast<std::int16_t>(*ReadBe16(data, 2));
    SimBytes out(5, kResultOk);
    WriteBe16(out.data() + 1, c.currentCalibration);
    WriteBe16(out.data() + 3, static_cast<std::uint16_t>(c.currentThreshold));
    return out;
}

// A MOS switch: the answer carries the MOS's state after the switch in bit 0.
SimBytes SwitchMos(SimContext &ctx, Data data, std::uint8_t mosBit)
{
    if (data.size() != 1 || data[0] > 1)
        return {data.size() != 1 ? kResultBadLength : kResultBadValue};
    bool on = data[0] == 1;
    ctx.unit.pack.SwitchMos(mosBit, on);
    if (on && mosBit != MosBit::Precharge)
        ctx.unit.control.storageMode = false;
    return {kResultOk, static_cast<std::uint8_t>((ctx.unit.pack.MosBits() & mosBit) ? 1 : 0)};
}

// Storage mode: both main switches open until switched on again or a restart.
SimBytes StorageMode(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    ctx.unit.control.storageMode = true;
    ctx.unit.pack.SwitchMos(MosBit::Charge, false);
    ctx.unit.pack.SwitchMos(MosBit::Discharge, false);
    return {kResultOk};
}

SimBytes EnterInternal(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    if (ctx.options.refuseInternal)
        return {kResultRefused};
    ctx.unit.control.internalMode = true;
    return {kResultOk};
}

SimBytes LeaveInternal(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    ctx.unit.control.internalMode = false;
    return {kResultOk};
}

SimBytes History(const std::vector<std::uint16_t> &hours, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    SimBytes out{kResultOk};
    for (std::uint16_t h : hours) {
        out.push_back(static_cast<std::uint8_t>(h >> 8));
        out.push_back(static_cast<std::uint8_t>(h));
    }
    return out;
}

SimBytes BmsState(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return {kResultOk, ctx.unit.control.bmsState};
}

// Bit 0 a single pack, bit 1 the main pack of two, bit 2 the secondary pack.
SimBytes WorkingMode(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    std::uint8_t mode = !ctx.options.secondary ? 0x01 : ctx.unit.link == 0x53 ? 0x02 : 0x04;
    return {kResultOk, mode};
}

SimBytes TemperatureCalibrationWrite(SimContext &ctx, Data data)
{
    if (data.size() != 3)
        return {kResultBadLength};
    auto tenths = static_cast<std::int16_t>(*ReadBe16(data, 1));
    ctx.unit.control.temperatureCalibrations[data[0]] = tenths;
    return {kResultOk, data[0], data[1], data[2]};
}

SimBytes ParallelDiffRead(SimContext &ctx, Data data)
{
    if (!IsPlain(data))
        return {kResultBadLength};
    return Be16Answer(ctx.unit.control.parallelDiffMv);
}

SimBytes ParallelDiffWrite(SimContext &ctx, Data data)
{
    if (data.size() != 2)
        return {kResultBadLength};
    ctx.unit.control.parallelDiffMv = *ReadBe16(data, 0);
    return Be16Answer(ctx.unit.control.parallelDiffMv);
}

// Balancing of one cell for the given time (seconds of pack time).
SimBytes Balancing(SimContext &ctx, Data data)
{
    if (data.size() != 3)
        return {kResultBadLength};
    std::uint16_t seconds = *ReadBe16(data, 1);
    if (!ctx.unit.pack.StartBalancing(data[0], seconds))
        return {kResultBadValue};
    return {kResultOk, data[0], data[1], data[2]};
}

void Restart(BoardUnit &unit)
{
    unit.pack.ResetSwitches();
    unit.control.storageMode = false;
    unit.control.internalMode = false;
    ++unit.control.restarts;
}

void FactoryReset(BoardUnit &unit, int variant)
{
    unit.params = ParamStore();
    unit.control = ControlState(variant);
    unit.control.chargeHistory.assign(unit.control.chargeHistory.size(), kHistoryNone);
    unit.control.dischargeHistory.assign(unit.control.dischargeHistory.size(), kHistoryNone);
    ++unit.control.factoryResets;
    unit.pack.ResetSwitches();
    unit.pack.Evaluate(unit.params);
}

SimBytes ResetCommand(SimContext &ctx, Data data)
{
    if (data.size() != 1)
        return {kResultBadLength};
    BoardUnit &unit = ctx.unit;
    switch (static_cast<ResetKind>(data[0])) {
    case ResetKind::Factory: FactoryReset(unit, unit.link == 0x53 ? 0 : 1); break;
    case ResetKind::Extremes: unit.pack.ClearRecords(); break;
    case ResetKind::Restart: Restart(unit); break;
    default: return {kResultBadValue};
    }
    return {kResultOk};
}

SimCommand Command(CommandId id, std::function<SimBytes(SimContext &, Data)> handler)
{
    return {id.cls, id.code, false, std::move(handler)};
}
} // namespace

void AddControlCommands(SimCommandTable &table)
{
    table.push_back(Command(kCmdVoltageCalibration, VoltageCalibration));
    table.push_back(Command(kCmdCurrentCalibration, CurrentCalibrationWrite));
    table.push_back(Command(kCmdChargeMos, [](SimContext &c, Data d) { return SwitchMos(c, d, MosBit::Charge); }));
    table.push_back(
        Command(kCmdDischargeMos, [](SimContext &c, Data d) { return SwitchMos(c, d, MosBit::Discharge); }));
    table.push_back(
        Command(kCmdPreDischargeMos, [](SimContext &c, Data d) { return SwitchMos(c, d, MosBit::Precharge); }));
    table.push_back(Command(kCmdStorageMode, StorageMode));
    table.push_back(Command(kCmdEnterInternal, EnterInternal));
    table.push_back(Command(kCmdLeaveInternal, LeaveInternal));
    table.push_back(
        Command(kCmdChargeHistory, [](SimContext &c, Data d) { return History(c.unit.control.chargeHistory, d); }));
    table.push_back(Command(kCmdDischargeHistory,
                            [](SimContext &c, Data d) { return History(c.unit.control.dischargeHistory, d); }));
    table.push_back(Command(kCmdBmsState, BmsState));
    table.push_back(Command(kCmdWorkingMode, WorkingMode));
    table.push_back(Command(kCmdTemperatureCalibration, TemperatureCalibrationWrite));
    table.push_back(Command(kCmdParallelDiffRead, ParallelDiffRead));
    table.push_back(Command(kCmdParallelDiffWrite, ParallelDiffWrite));
    table.push_back(Command(kCmdBalancing, Balancing));
    table.push_back(Command(kCmdResetCommand, ResetCommand));
}
