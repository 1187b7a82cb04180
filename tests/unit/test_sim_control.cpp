// The simulated board answers the customer control page statefully: the
// answers are read with the page's own decoders and the live status items.
#include "common/sim_requests.h"
#include "protocol/control_cmds.h"
#include "protocol/status_decode.h"
#include "sim/sim_options_parse.h"

#include <QStringList>

#include <set>

using namespace simtest;

namespace {
constexpr CommandId kMosStatus{0x03, 0x14};
constexpr CommandId kExtremesStatus{0x03, 0x07};
constexpr CommandId kCellsStatus{0x03, 0x05};
constexpr CommandId kBalanceStatus{0x03, 0x08};
constexpr CommandId kPowerStatus{0x03, 0x06};

MosState Mos(SimBoard &board)
{
    Bytes d = Read(board, kMosStatus);
    std::optional<MosState> mos = DecodeMos(Body(d));
    EXPECT_TRUE(mos);
    return mos.value_or(MosState{});
}

std::int32_t CurrentMa(SimBoard &board)
{
    Bytes d = Read(board, kPowerStatus);
    return DecodePower(Body(d)).currentMa.value_or(0) * 10;
}
} // namespace

class SimControl : public SimBoardTest {};

TEST_F(SimControl, NoTwoCommandsShareAClassAndCode)
{
    SimCommandTable table;
    AddParamCommands(table);
    AddStatusCommands(table);
    AddClockCommands(table);
    AddControlCommands(table);
    AddDebugCommands(table);
    AddRepeaterCommands(table);
    std::set<std::pair<int, int>> seen;
    for (const SimCommand &c : table)
        EXPECT_TRUE(seen.insert({c.cls, c.code}).second) << int(c.cls) << " " << int(c.code);
}

TEST_F(SimControl, ChargeMosSwitchedOffStopsCharging)
{
    SimBoard &b = Board();
    Bytes off = Send(b, MosSwitchPayload(MosRow::Charge, false));
    ASSERT_EQ(off.size(), static_cast<std::size_t>(kNeedMos));
    EXPECT_EQ(off[0], 0x00);
    EXPECT_EQ(MosRowOn(MosRow::Charge, 0x95, off[1]), false);
    EXPECT_FALSE(Mos(b).charge);
    EXPECT_TRUE(Mos(b).discharge);
    // A whole routine of the pack (charging included): never a charging current.
    for (int s = 0; s < 200; s += 5) {
        Advance(5);
        EXPECT_LE(CurrentMa(b), 0) << s;
    }
    Bytes on = Send(b, MosSwitchPayload(MosRow::Charge, true));
    EXPECT_EQ(MosRowOn(MosRow::Charge, 0x95, on.at(1)), true);
    EXPECT_TRUE(Mos(b).charge);
    bool charged = false;
    for (int s = 0; s < 200 && !charged; s += 5) {
        Advance(5);
        charged = CurrentMa(b) > 0;
    }
    EXPECT_TRUE(charged);
}

TEST_F(SimControl, DischargeMosSwitchedOffStopsDischarging)
{
    SimBoard &b = Board();
    Bytes off = Send(b, MosSwitchPayload(MosRow::Discharge, false));
    EXPECT_EQ(MosRowOn(MosRow::Discharge, 0x96, off.at(1)), false);
    Bytes state = Read(b, kCmdMosState);
    EXPECT_EQ(MosRowOn(MosRow::Discharge, 0x94, state.at(1)), false);
    EXPECT_EQ(MosRowOn(MosRow::Charge, 0x94, state.at(1)), true);
    for (int s = 0; s < 200; s += 5) {
        Advance(5);
        EXPECT_GE(CurrentMa(b), 0) << s;
    }
}

TEST_F(SimControl, PreDischargeMosFollowsItsSwitch)
{
    SimBoard &b = Board();
    Bytes on = Send(b, MosSwitchPayload(MosRow::PreDischarge, true));
    EXPECT_EQ(MosRowOn(MosRow::PreDischarge, 0x97, on.at(1)), true);
    EXPECT_TRUE(Mos(b).preDischarge);
    Bytes off = Send(b, MosSwitchPayload(MosRow::PreDischarge, false));
    EXPECT_EQ(MosRowOn(MosRow::PreDischarge, 0x97, off.at(1)), false);
    EXPECT_FALSE(Mos(b).preDischarge);
    EXPECT_NE(Send(b, {0x53, 0x03, 0x15, 0x01, 0x02}).at(0), 0x00); // neither on nor off
}

TEST_F(SimControl, StorageModeOpensBothSwitchesUntilRestart)
{
    SimBoard &b = Board();
    EXPECT_EQ(Read(b, kCmdStorageMode), Bytes{0x00});
    EXPECT_TRUE(b.Main().control.storageMode);
    MosState mos = Mos(b);
    EXPECT_FALSE(mos.charge);
    EXPECT_FALSE(mos.discharge);
    EXPECT_EQ(Send(b, ResetPayload(ResetKind::Restart)), Bytes{0x00});
    EXPECT_FALSE(b.Main().control.storageMode);
    EXPECT_TRUE(Mos(b).charge);
    EXPECT_TRUE(Mos(b).discharge);
}

TEST_F(SimControl, InternalModeEnterAndLeave)
{
    SimBoard &b = Board();
    EXPECT_EQ(Read(b, kCmdEnterInternal), Bytes{0x00});
    EXPECT_TRUE(b.Main().control.internalMode);
    EXPECT_EQ(Read(b, kCmdLeaveInternal), Bytes{0x00});
    EXPECT_FALSE(b.Main().control.internalMode);
}

TEST_F(SimControl, InternalModeRefusedWhenAsked)
{
    options.refuseInternal = true;
    Bytes answer = Read(Board(), kCmdEnterInternal);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_NE(answer[0], 0x00);
    EXPECT_FALSE(Board().Main().control.internalMode);
}

TEST_F(SimControl, HistoriesCarryUnrecordedHours)
{
    SimBoard &b = Board();
    std::vector<std::string> charge = DecodeHistory(Read(b, kCmdChargeHistory));
    std::vector<std::string> discharge = DecodeHistory(Read(b, kCmdDischargeHistory));
    EXPECT_EQ(charge.size(), 8u);
    EXPECT_EQ(discharge.size(), 8u);
    EXPECT_NE(std::find(charge.begin(), charge.end(), "N/A"), charge.end());
    EXPECT_NE(std::find(discharge.begin(), discharge.end(), "N/A"), discharge.end());
    EXPECT_EQ(charge[0], "12");
    EXPECT_NE(Send(b, {0x53, 0x03, 0x03, 0x02, 0x00, 0x00}).at(0), 0x00);
}

TEST_F(SimControl, BmsStateAndWorkingMode)
{
    Bytes bms = Read(Board(), kCmdBmsState);
    ASSERT_EQ(bms.size(), static_cast<std::size_t>(kNeedBmsState));
    EXPECT_STREQ(BmsStateText(bms[1]), "APP区");
    Bytes mode = Read(Board(), kCmdWorkingMode);
    ASSERT_EQ(mode.size(), static_cast<std::size_t>(kNeedWorkingMode));
    EXPECT_EQ(WorkingModeText(mode[1]), "单电");
}

TEST_F(SimControl, WorkingModeOfTwoPacks)
{
    options.secondary = true;
    std::vector<SimBytes> answers = Board().Handle(FrameOfPayload(PlainRequest(kCmdWorkingMode)));
    ASSERT_EQ(answers.size(), 2u); // each board answers with its own mode
    EXPECT_EQ(WorkingModeText(AnswerData(answers[0], kCmdWorkingMode).at(1)), "主电");
    EXPECT_EQ(answers[1].at(1), 0xD3);
}

TEST_F(SimControl, CalibrationsEchoWhatWasSet)
{
    SimBoard &b = Board();
    Bytes voltage = Send(b, {0x53, 0x03, 0x12, 0x04, 0x00, 0x00, 0xD2, 0xF0});
    EXPECT_EQ(voltage, (Bytes{0x00, 0x00, 0x00, 0xD2, 0xF0}));
    EXPECT_EQ(b.Main().control.voltageCalibrationMv, 54000u);

    CurrentCalibration current = DecodeCurrentCalibration(Send(b, CurrentCalibrationPayload(1234, -56)));
    EXPECT_EQ(current.value, 1234);
    EXPECT_EQ(current.threshold, -56);

    auto temp = DecodeTemperatureCalibration(Send(b, TemperatureCalibrationPayload(3, -253)));
    ASSERT_TRUE(temp);
    EXPECT_EQ(temp->index, 3);
    EXPECT_EQ(temp->value, "-25.3");
    EXPECT_EQ(b.Main().control.temperatureCalibrations.at(3), -253);

    Bytes diff = Send(b, {0x53, 0x03, 0x29, 0x02, 0x01, 0xF4});
    EXPECT_EQ(diff, (Bytes{0x00, 0x01, 0xF4}));
    EXPECT_EQ(Read(b, kCmdParallelDiffRead), (Bytes{0x00, 0x01, 0xF4}));
    EXPECT_EQ(Send(b, {0x53, 0x03, 0x12, 0x02, 0x00, 0x01}).at(0), kResultBadLength);
}

TEST_F(SimControl, ClockSetMovesTheBoardClock)
{
    SimBoard &b = Board();
    Bytes set = Send(b, ClockSetPayload({2024, 3, 5, 14, 7, 9}));
    auto echoed = DecodeBoardClock(set);
    ASSERT_TRUE(echoed);
    EXPECT_EQ(echoed->second, 9);
    Advance(2);
    auto t = DecodeBoardClock(Read(b, kCmdBoardClock));
    ASSERT_TRUE(t);
    EXPECT_EQ(std::vector<int>({t->year, t->month, t->day, t->hour, t->minute, t->second}),
              std::vector<int>({2024, 3, 5, 14, 7, 11}));
}

TEST_F(SimControl, ResetExtremesRestartsThemFromTheLiveValues)
{
    SimBoard &b = Board();
    auto before = DecodeExtremes(Body(Read(b, kExtremesStatus)));
    ASSERT_TRUE(before[0]);
    EXPECT_EQ(*before[0], "3452"); // the stored historic highest cell
    EXPECT_EQ(Send(b, ResetPayload(ResetKind::Extremes)), Bytes{0x00});
    Bytes cells = Read(b, kCellsStatus);
    CellSummary live = DecodeCells(Body(cells));
    auto after = DecodeExtremes(Body(Read(b, kExtremesStatus)));
    ASSERT_TRUE(after[0]);
    EXPECT_EQ(*after[0], std::to_string(live.highest));
    EXPECT_EQ(*after[9], "0"); // hours without charging start again
}

TEST_F(SimControl, BalancingStartShowsInTheBalancingStatus)
{
    SimBoard &b = Board();
    auto balancing = [&] { return DecodeBalancing(Body(Read(b, kBalanceStatus))); };
    EXPECT_FALSE(balancing() & (1u << 2));
    auto started = DecodeBalancingAnswer(Send(b, BalancingPayload(3, 60)));
    ASSERT_TRUE(started);
    EXPECT_EQ(started->cell, 3);
    EXPECT_EQ(started->time, 60);
    EXPECT_TRUE(balancing() & (1u << 2));
    Advance(30);
    EXPECT_TRUE(balancing() & (1u << 2));
    Advance(31);
    EXPECT_FALSE(balancing() & (1u << 2));
    EXPECT_EQ(Send(b, BalancingPayload(17, 60)).at(0), kResultBadValue);
    EXPECT_EQ(Send(b, BalancingPayload(0, 60)).at(0), kResultBadValue);
}

TEST_F(SimControl, FactoryResetRestoresParametersAndClearsHistories)
{
    SimBoard &b = Board();
    // "无操作等待时间" (read 0x13, write 0x12), default 60 s.
    EXPECT_EQ(Send(b, {0x53, 0x02, 0x12, 0x02, 0x00, 0x05}), (Bytes{0x00, 0x00, 0x05}));
    Send(b, MosSwitchPayload(MosRow::Charge, false));
    EXPECT_EQ(Send(b, ResetPayload(ResetKind::Factory)), Bytes{0x00});
    EXPECT_EQ(Read(b, CommandId{0x02, 0x13}), (Bytes{0x00, 0x00, 0x3C}));
    EXPECT_TRUE(Mos(b).charge);
    for (const std::string &h : DecodeHistory(Read(b, kCmdChargeHistory)))
        EXPECT_EQ(h, "N/A");
    EXPECT_EQ(Send(b, {0x53, 0x03, 0x65, 0x01, 0x02}).at(0), kResultBadValue);
}

TEST(SimControlOptions, SwitchesOfTheProgram)
{
    SimCommandLine plain = ParseSimCommandLine({QStringLiteral("pylvex-sim")});
    EXPECT_FALSE(plain.options.repeater);
    EXPECT_FALSE(plain.options.refuseInternal);
    SimCommandLine cmd = ParseSimCommandLine(
        {QStringLiteral("pylvex-sim"), QStringLiteral("--repeater"), QStringLiteral("--refuse-internal")});
    EXPECT_TRUE(cmd.error.isEmpty());
    EXPECT_TRUE(cmd.options.repeater);
    EXPECT_TRUE(cmd.options.refuseInternal);
    EXPECT_TRUE(cmd.helpText.contains(QStringLiteral("--repeater")));
}
