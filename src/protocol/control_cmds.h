// Commands of the customer control page and the pure decoders of their
// answers: calibrations, MOS switches, storage mode, the internal debugging
// mode, histories, BMS state, working mode, the board clock, balancing and
// the reset commands. Decoders take the frame's data field (data[0] is the
// result code) and never read past it. Texts are UTF-8.
#pragma once

#include "protocol/request.h"
#include "protocol/text_numbers.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using DataBytes = std::span<const std::uint8_t>;

// ---- commands (request class and code)
inline constexpr CommandId kCmdVoltageCalibration{0x03, 0x12}; // unsigned 32-bit millivolts
inline constexpr CommandId kCmdCurrentCalibration{0x03, 0x13}; // unsigned 16-bit, signed 16-bit threshold
inline constexpr CommandId kCmdMosState{0x03, 0x14};           // plain; answers the three MOS bits
inline constexpr CommandId kCmdChargeMos{0x03, 0x15};          // data: 1 on, 0 off
inline constexpr CommandId kCmdDischargeMos{0x03, 0x16};
inline constexpr CommandId kCmdPreDischargeMos{0x03, 0x17};
inline constexpr CommandId kCmdStorageMode{0x03, 0x10};      // plain
inline constexpr CommandId kCmdEnterInternal{0x03, 0x21};    // plain
inline constexpr CommandId kCmdLeaveInternal{0x02, 0x5C};    // plain
inline constexpr CommandId kCmdChargeHistory{0x03, 0x03};    // plain
inline constexpr CommandId kCmdDischargeHistory{0x03, 0x04}; // plain
inline constexpr CommandId kCmdBmsState{0x05, 0x04};         // plain
inline constexpr CommandId kCmdBoardClock{0x03, 0x25};       // plain reads; 01 + six fields sets
inline constexpr CommandId kCmdTemperatureCalibration{0x03, 0x27};
inline constexpr CommandId kCmdParallelDiffRead{0x03, 0x28};  // plain
inline constexpr CommandId kCmdParallelDiffWrite{0x03, 0x29}; // unsigned 16-bit millivolts
inline constexpr CommandId kCmdWorkingMode{0x03, 0x30};       // plain
inline constexpr CommandId kCmdResetCommand{0x03, 0x65};      // one byte: what to reset
inline constexpr CommandId kCmdBalancing{0x05, 0x03};         // cell byte, 16-bit time
inline constexpr CommandId kCmdFirmwarePacket{0x03, 0x26};    // the command-protocol upgrade

// Data lengths (result code included) the answers must carry.
inline constexpr int kNeedVoltageCalibration = 5;
inline constexpr int kNeedMos = 2;
inline constexpr int kNeedClock = 7;
inline constexpr int kNeedTemperatureCalibration = 4;
inline constexpr int kNeedParallelDiff = 3;
inline constexpr int kNeedWorkingMode = 2;
inline constexpr int kNeedBmsState = 2;
inline constexpr int kNeedBalancing = 4;

// The command send interval the user may set, in milliseconds.
inline constexpr int kMinCommandInterval = 10;
inline constexpr int kMaxCommandInterval = 2000;

// ---- MOS switches
enum class MosRow : std::uint8_t { Charge = 0, Discharge = 1, PreDischarge = 2 };
CommandId MosSwitchCommand(MosRow row);
// Switches one MOS on or off.
Payload MosSwitchPayload(MosRow row, bool on);
// Whether the row's MOS is on after an answer with the byte b: bit 0 in the
// row's own switch answer, the row's bit (0, 1, 2) in the state answer 0x94.
// Nothing for an answer of any other code (bit 7 of code may be set or not).
std::optional<bool> MosRowOn(MosRow row, std::uint8_t code, std::uint8_t b);
const char *OnOffText(bool on); // "开" / "关"

// ---- board clock
struct BoardClock {
    int year = 2000; // full year
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
// 03 25 07 01, year - 2000 (low 8 bits), month, day, hour, minute, second.
Payload ClockSetPayload(const BoardClock &time);
// The clock answer (need 7): the fields of data[1..6]. An impossible date
// (month outside 1 to 12, a day the month does not have) becomes 2001-01-01;
// an impossible time (hour above 23, minute or second above 59) 01:01:01.
// Nothing when the data is short.
std::optional<BoardClock> DecodeBoardClock(DataBytes data);
bool IsCalendarDay(int year, int month, int day);

// ---- histories
// The value texts of a history answer: (length - 1) / 2 big-endian unsigned
// 16-bit values after the result code, "N/A" for 0xFFFF, else the number.
std::vector<std::string> DecodeHistory(DataBytes data);
// Index column text of history row j (from 0): j + 1.
std::string HistoryIndexText(int row);

// ---- working mode and BMS state
// Names of the set bits, bit 0 first: "单电", "主电", "副电"; other bits ignored.
std::vector<const char *> WorkingModeNames(std::uint8_t b);
// The names joined by ", " (empty when none is set).
std::string WorkingModeText(std::uint8_t b);
// "boot区" when bit 0 is set, else "APP区".
const char *BmsStateText(std::uint8_t b);
// The names joined with the separator.
std::string JoinNames(const std::vector<const char *> &names, const char *separator);

// ---- calibrations
Payload CurrentCalibrationPayload(std::uint16_t value, std::int16_t threshold);
struct CurrentCalibration {
    std::optional<std::uint16_t> value;    // data[1..2] when present
    std::optional<std::int16_t> threshold; // data[3..4] when present
};
CurrentCalibration DecodeCurrentCalibration(DataBytes data);

// Temperature calibration value entered in degrees, sent in tenths.
enum class CalibrationTempCheck {
    Ok,
    Empty,      // "参数不能为空！"
    OutOfRange, // "无效温度范围": below -100.0, above 100.1, or not a finite number
};
inline constexpr double kCalibrationTempMin = -100.0;
inline constexpr double kCalibrationTempMax = 100.1;
struct CalibrationTemp {
    CalibrationTempCheck check = CalibrationTempCheck::Empty;
    std::int16_t tenths = 0;
};
// Converted as atof converts (a text that is not a number is 0), truncated toward zero.
CalibrationTemp ParseCalibrationTemp(std::string_view text);
// 03 27 03, index (low 8 bits of the entered number), tenths as 2 bytes.
Payload TemperatureCalibrationPayload(std::int32_t index, std::int16_t tenths);
struct TemperatureCalibration {
    std::uint8_t index = 0;
    std::string value; // "%.1f" of tenths / 10
};
std::optional<TemperatureCalibration> DecodeTemperatureCalibration(DataBytes data);

// ---- balancing
// The balancing time: atof, truncated toward zero, low 16 bits; no range
// test. Nothing when the trimmed text is empty ("参数不能为空！").
std::optional<std::uint16_t> ParseBalancingTime(std::string_view text);
// 05 03 03, cell (low 8 bits of the entered number), time as 2 bytes.
Payload BalancingPayload(std::int32_t cell, std::uint16_t time);
struct BalancingStart {
    std::int8_t cell = 0; // data[1] as a signed number
    std::int16_t time = 0;
};
std::optional<BalancingStart> DecodeBalancingAnswer(DataBytes data);

// ---- reset commands
enum class ResetKind : std::uint8_t { Factory = 0x00, Extremes = 0x01, Restart = 0xFF };
Payload ResetPayload(ResetKind kind);
// "执行成功！" / "执行失败！".
const char *ResetResultText(bool ok);
