#include "protocol/command_table.h"

#include "protocol/batch_status.h"
#include "protocol/battery_log.h"
#include "protocol/battery_record.h"
#include "protocol/board_clock.h"
#include "protocol/control_cmds.h"
#include "protocol/debug_cmds.h"
#include "protocol/param_decode.h"
#include "protocol/param_table.h"
#include "protocol/repeater_cmds.h"
#include "protocol/soc_learning.h"
#include "protocol/status_decode.h"
#include "protocol/ymodem.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr std::uint8_t kParamClass = 0x02;
constexpr std::uint8_t kStatusClass = 0x03;

// A parameter's name: the label of its row on the threshold pages, without the colon.
std::string ParamName(ParamId id)
{
    for (const ParamPageRows *page : {&WakeupPageRows(), &AlarmPageRows()})
        for (const PageParamRow &row : page->rows)
            if (row.id == id && row.label) {
                std::string label = row.label;
                for (const std::string colon : {"：", ":"})
                    if (label.size() >= colon.size() &&
                        label.compare(label.size() - colon.size(), colon.size(), colon) == 0)
                        label.erase(label.size() - colon.size());
                return label;
            }
    return "参数";
}

struct StatusName {
    std::uint8_t code;
    const char *name;
};
constexpr StatusName kStatusNames[] = {
    {kStatusSn, "读序列号"},           {kStatusVersions, "读版本"},      {kStatusCells, "读单体电压"},
    {kStatusPower, "读电压电流温度"},  {kStatusExtremes, "读极值"},      {kStatusBalancing, "读均衡状态"},
    {kStatusProtection, "读保护状态"}, {kStatusCycles, "读循环次数"},    {kStatusMos, "读MOS状态"},
    {kStatusProbes, "读温度探头数"},   {kStatusSoc, "读SOC/SOH"},        {kStatusDate, "读生产日期"},
    {kStatusAlarm, "读告警状态"},      {kStatusRemaining, "读剩余容量"}, {kStatusFull, "读满充容量"},
};

struct Named {
    CommandId id;
    const char *name;
};
const Named kCommands[] = {
    {kCmdVoltageCalibration, "电压校准"},
    {kCmdCurrentCalibration, "电流校准"},
    {kCmdMosState, "读MOS开关"},
    {kCmdChargeMos, "充电MOS开关"},
    {kCmdDischargeMos, "放电MOS开关"},
    {kCmdPreDischargeMos, "预放电MOS开关"},
    {kCmdStorageMode, "进入存储模式"},
    {kCmdEnterInternal, "进入内部模式"},
    {kCmdLeaveInternal, "退出内部模式"},
    {kCmdChargeHistory, "充电历史"},
    {kCmdDischargeHistory, "放电历史/透传"},
    {kCmdBmsState, "读BMS运行区"},
    {kCmdBoardClock, "板卡时钟"},
    {kCmdTemperatureCalibration, "温度校准"},
    {kCmdParallelDiffRead, "读并联压差"},
    {kCmdParallelDiffWrite, "写并联压差"},
    {kCmdWorkingMode, "读工作模式"},
    {kCmdResetCommand, "复位"},
    {kCmdBalancing, "均衡控制"},
    {kCmdFirmwarePacket, "固件升级包"},
    {kCmdBoardUpgrade, "板卡升级/YModem数据"},
    {kCmdProductionDateWrite, "写生产日期"},
    {kCmdVersionsRead, "读软硬件版本"},
    {kCmdArrangementRead, "读排列"},
    {kCmdArrangementWrite, "写排列"},
    {kCmdSnWrite, "写序列号"},
    {kCmdMeasuredCapacityRead, "读实测容量"},
    {kCmdMeasuredCapacityWrite, "写实测容量"},
    {kCmdOcvRead, "读OCV表"},
    {kCmdOcvWrite, "写OCV表"},
    {kCmdChargeResistanceRead, "读充电内阻"},
    {kCmdChargeResistanceWrite, "写充电内阻"},
    {kCmdDischargeResistanceRead, "读放电内阻"},
    {kCmdDischargeResistanceWrite, "写放电内阻"},
    {kCmdRegisterRead, "读寄存器"},
    {kCmdRegisterWrite, "写寄存器"},
    {kCmdRepeaterUpgrade, "中继器升级"},
    {kCmdRepeaterLinks, "中继器链路"},
    {kCmdRepeaterVersions, "中继器版本"},
    {{kStatusClass, kBatchCode}, "批量读状态"},
    {{kStatusClass, kLogRequestCode}, "读事件日志"},
    {{kRecordClass, kRecordCode}, "读存储记录"},
    {{kParamClass, kSocConfigReadCode}, "读SOC学习配置"},
    {{kParamClass, kSocConfigWriteCode}, "写SOC学习配置"},
    {{kParamClass, kSocLearnCode}, "SOC学习启停"},
};

std::vector<CommandName> Build()
{
    std::vector<CommandName> out;
    // The first name given for a class and code stays.
    auto add = [&out](std::uint8_t cls, std::uint8_t code, std::string name, bool board = false) {
        for (const CommandName &c : out)
            if (c.cls == cls && c.code == code && c.boardFrame == board)
                return;
        out.push_back({cls, code, std::move(name), board});
    };
    for (const Named &c : kCommands)
        add(c.id.cls, c.id.code, c.name);
    for (const StatusName &s : kStatusNames)
        add(kStatusClass, s.code, s.name);
    for (const ParamWire &p : kParamTable) {
        const std::string name = ParamName(p.id);
        if (p.readCode != kNoCode)
            add(p.cls, static_cast<std::uint8_t>(p.readCode), "读" + name);
        if (p.writeCode != kNoCode)
            add(p.cls, static_cast<std::uint8_t>(p.writeCode), p.id == ParamId::RecordClear ? name : "写" + name);
    }
    add(0x83, kLogDataCode, "事件日志数据", true);
    return out;
}

} // namespace

std::span<const CommandName> CommandNames()
{
    static const std::vector<CommandName> table = Build();
    return table;
}

std::string CommandNameOf(std::uint8_t cls, std::uint8_t code)
{
    const auto table = CommandNames();
    for (const CommandName &c : table)
        if (c.boardFrame && c.cls == cls && c.code == code)
            return c.name;
    for (const CommandName &c : table)
        if (!c.boardFrame && c.cls == (cls & 0x7F) && c.code == (code & 0x7F))
            return c.name;
    return {};
}

std::span<const ResultCodeText> ResultCodeTexts()
{
    static constexpr ResultCodeText kTexts[] = {
        {0x00, "成功"},
        {0x01, "不支持的命令"},
        {0x02, "数据长度错误"},
        {0x03, "数值无效"},
    };
    return kTexts;
}
