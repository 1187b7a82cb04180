#include "protocol/control_cmds.h"

#include "protocol/tr_marker.h"

#include "protocol/bytes.h"

#include <cmath>
#include <cstdio>

namespace {
std::uint8_t Low8(std::int32_t v)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v));
}

Payload WithData(CommandId command, std::initializer_list<std::uint8_t> data)
{
    return CommandPayload(command, {data.begin(), data.size()});
}

const char *const kWorkingModeBits[] = {PYLVEX_TR_NOOP("BoardText", "单电"), PYLVEX_TR_NOOP("BoardText", "主电"),
                                        PYLVEX_TR_NOOP("BoardText", "副电")};
} // namespace

CommandId MosSwitchCommand(MosRow row)
{
    switch (row) {
    case MosRow::Charge: return kCmdChargeMos;
    case MosRow::Discharge: return kCmdDischargeMos;
    case MosRow::PreDischarge: return kCmdPreDischargeMos;
    }
    return kCmdChargeMos;
}

Payload MosSwitchPayload(MosRow row, bool on)
{
    return WithData(MosSwitchCommand(row), {static_cast<std::uint8_t>(on ? 1 : 0)});
}

std::optional<bool> MosRowOn(MosRow row, std::uint8_t code, std::uint8_t b)
{
    std::uint8_t plain = code & 0x7F;
    if (plain == kCmdMosState.code)
        return ((b >> static_cast<int>(row)) & 1u) != 0;
    if (plain == MosSwitchCommand(row).code)
        return (b & 1u) != 0;
    return std::nullopt;
}

const char *OnOffText(bool on)
{
    return on ? "开" : "关";
}

Payload ClockSetPayload(const BoardClock &t)
{
    return WithData(kCmdBoardClock, {0x01, Low8(t.year - 2000), Low8(t.month), Low8(t.day), Low8(t.hour),
                                     Low8(t.minute), Low8(t.second)});
}

bool IsCalendarDay(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

std::optional<BoardClock> DecodeBoardClock(DataBytes data)
{
    if (data.size() < static_cast<std::size_t>(kNeedClock))
        return std::nullopt;
    BoardClock t{2000 + data[1], data[2], data[3], data[4], data[5], data[6]};
    if (!IsCalendarDay(t.year, t.month, t.day)) {
        t.year = 2001;
        t.month = 1;
        t.day = 1;
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) {
        t.hour = 1;
        t.minute = 1;
        t.second = 1;
    }
    return t;
}

std::vector<std::string> DecodeHistory(DataBytes data)
{
    std::vector<std::string> texts;
    if (data.empty())
        return texts;
    std::size_t n = (data.size() - 1) / 2;
    for (std::size_t j = 0; j < n; ++j) {
        std::uint16_t v = ReadBe16(data, 1 + 2 * j).value_or(0);
        texts.push_back(v == 0xFFFF ? std::string("N/A") : std::to_string(v));
    }
    return texts;
}

std::string HistoryIndexText(int row)
{
    return std::to_string(row + 1);
}

std::vector<const char *> WorkingModeNames(std::uint8_t b)
{
    std::vector<const char *> names;
    for (int k = 0; k < 3; ++k)
        if (b & (1u << k))
            names.push_back(kWorkingModeBits[k]);
    return names;
}

std::string WorkingModeText(std::uint8_t b)
{
    return JoinNames(WorkingModeNames(b), ", ");
}

const char *BmsStateText(std::uint8_t b)
{
    return (b & 1u) ? PYLVEX_TR_NOOP("BoardText", "boot区") : PYLVEX_TR_NOOP("BoardText", "APP区");
}

std::string JoinNames(const std::vector<const char *> &names, const char *separator)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += separator;
        text += names[i];
    }
    return text;
}

Payload CurrentCalibrationPayload(std::uint16_t value, std::int16_t threshold)
{
    std::uint8_t data[4];
    WriteBe16(data, value);
    WriteBe16(data + 2, static_cast<std::uint16_t>(threshold));
    return CommandPayload(kCmdCurrentCalibration, data);
}

CurrentCalibration DecodeCurrentCalibration(DataBytes data)
{
    CurrentCalibration c;
    c.value = ReadBe16(data, 1);
    if (std::optional<std::uint16_t> t = ReadBe16(data, 3); t && c.value)
        c.threshold = static_cast<std::int16_t>(*t);
    return c;
}

CalibrationTemp ParseCalibrationTemp(std::string_view text)
{
    text = TrimText(text);
    if (text.empty())
        return {CalibrationTempCheck::Empty, 0};
    double v = ScanCDouble(text);
    if (!std::isfinite(v) || v < kCalibrationTempMin || v > kCalibrationTempMax)
        return {CalibrationTempCheck::OutOfRange, 0};
    return {CalibrationTempCheck::Ok, static_cast<std::int16_t>(TruncatedTenths(v))};
}

Payload TemperatureCalibrationPayload(std::int32_t index, std::int16_t tenths)
{
    std::uint8_t data[3] = {Low8(index), 0, 0};
    WriteBe16(data + 1, static_cast<std::uint16_t>(tenths));
    return CommandPayload(kCmdTemperatureCalibration, data);
}

std::optional<TemperatureCalibration> DecodeTemperatureCalibration(DataBytes data)
{
    std::optional<std::uint16_t> v = ReadBe16(data, 2);
    if (!v)
        return std::nullopt;
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", static_cast<std::int16_t>(*v) / 10.0);
    return TemperatureCalibration{data[1], text};
}

std::optional<std::uint16_t> ParseBalancingTime(std::string_view text)
{
    text = TrimText(text);
    if (text.empty())
        return std::nullopt;
    return TruncatedLow16(ScanCDouble(text));
}

Payload BalancingPayload(std::int32_t cell, std::uint16_t time)
{
    std::uint8_t data[3] = {Low8(cell), 0, 0};
    WriteBe16(data + 1, time);
    return CommandPayload(kCmdBalancing, data);
}

std::optional<BalancingStart> DecodeBalancingAnswer(DataBytes data)
{
    std::optional<std::uint16_t> t = ReadBe16(data, 2);
    if (!t)
        return std::nullopt;
    return BalancingStart{static_cast<std::int8_t>(data[1]), static_cast<std::int16_t>(*t)};
}

Payload ResetPayload(ResetKind kind)
{
    return WithData(kCmdResetCommand, {static_cast<std::uint8_t>(kind)});
}

const char *ResetResultText(bool ok)
{
    return ok ? "执行成功！" : "执行失败！";
}
