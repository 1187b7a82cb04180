// Commands of the internal debug page and the pure decoders of their
// answers: production date, versions, cell arrangement and capacity, serial
// number, measured capacity, open-circuit voltages, the two internal
// resistance tables, the register block and the upgrade request; and the
// checks of the fill-in dialog that edits the fourteen-value rows and the
// register block. Decoders take the frame's data field (data[0] is the
// result code) and never read past it. Texts are UTF-8.
#pragma once

#include "protocol/request.h"
#include "protocol/status_decode.h"
#include "protocol/text_numbers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using DataBytes = std::span<const std::uint8_t>;

// ---- commands (request class and code)
inline constexpr CommandId kCmdBoardUpgrade{0x02, 0x01};       // plain; the board starts its YModem loader
inline constexpr CommandId kCmdProductionDateRead{0x03, 0x20}; // plain (a live status item)
inline constexpr CommandId kCmdProductionDateWrite{0x02, 0x6A};
inline constexpr CommandId kCmdVersionsRead{0x02, 0x03};    // plain
inline constexpr CommandId kCmdArrangementRead{0x02, 0x5F}; // plain
inline constexpr CommandId kCmdArrangementWrite{0x02, 0x5E};
inline constexpr CommandId kCmdSnRead{0x03, 0x01}; // plain (a live status item)
inline constexpr CommandId kCmdSnWrite{0x02, 0x5B};
inline constexpr CommandId kCmdMeasuredCapacityRead{0x02, 0x6B};  // plain
inline constexpr CommandId kCmdMeasuredCapacityWrite{0x02, 0x6C}; // signed 16-bit mAh
inline constexpr CommandId kCmdOcvRead{0x02, 0x11};               // plain
inline constexpr CommandId kCmdOcvWrite{0x02, 0x08};
inline constexpr CommandId kCmdChargeResistanceRead{0x02, 0x10}; // data: measurement index
inline constexpr CommandId kCmdChargeResistanceWrite{0x02, 0x07};
inline constexpr CommandId kCmdDischargeResistanceRead{0x02, 0x09};
inline constexpr CommandId kCmdDischargeResistanceWrite{0x02, 0x06};
inline constexpr CommandId kCmdRegisterRead{0x02, 0x02}; // data 00 00 00
inline constexpr CommandId kCmdRegisterWrite{0x02, 0x5D};

// Data lengths (result code included) the answers must carry; 0 = any.
inline constexpr int kNeedProductionDate = 4;
inline constexpr int kNeedVersions = 7;
inline constexpr int kNeedArrangement = 5;
inline constexpr int kNeedSn = 0;
inline constexpr int kNeedMeasuredCapacity = 3;
inline constexpr int kNeedOcv = 29;
inline constexpr int kNeedResistance = 0;
inline constexpr int kNeedRegister = 0;

// ---- production date
// 02 6A 03, year - 2000 (low 8 bits), month, day.
Payload ProductionDatePayload(int year, int month, int day);
// The date answer (need 4): a real calendar day, or nothing (the picker stays).
std::optional<ProductionDate> DecodeProductionDateAnswer(DataBytes data);

// ---- versions: "V%hhu.%hhu.%hhu" of data[1..3] and data[4..6]
std::optional<Versions> DecodeVersionsAnswer(DataBytes data);

// ---- cells in series, in parallel, nominal capacity
struct Arrangement {
    std::uint8_t series = 0;
    std::uint8_t parallel = 0;
    std::uint16_t capacity = 0; // mAh
};
Payload ArrangementPayload(const Arrangement &a);
std::optional<Arrangement> DecodeArrangement(DataBytes data);

// ---- serial number
inline constexpr std::size_t kSnFieldBytes = 32;
// The first 32 bytes of the text padded with 0x00 to 32 bytes.
std::array<std::uint8_t, kSnFieldBytes> SnField(std::string_view text);
Payload SnWritePayload(std::string_view text);
// At most 32 bytes after the result code, read by the rule the live page
// uses for the serial number.
std::string DecodeSnAnswer(DataBytes data);

// ---- fourteen-value rows: open-circuit voltages and internal resistances
inline constexpr std::size_t kMeasuredValues = 14;
using FourteenValues = std::array<std::uint16_t, kMeasuredValues>;
// "%u " for each value, one after the other.
std::string ValuesText(std::span<const std::uint16_t> values);
Payload OcvPayload(const FourteenValues &values);
// The voltages of an answer of exactly 29 bytes; nothing otherwise.
std::optional<FourteenValues> DecodeOcv(DataBytes data);

// A box text of fourteen numbers, checked piece by piece as an edit box is.
struct FourteenParse {
    enum Status { Ok, WrongCount, Refused } status = WrongCount;
    std::size_t pieces = 0;                // how many numbers the text holds
    std::size_t refusedPiece = 0;          // when Refused: which one (from 0)
    EditIntCheck check = EditIntCheck::Ok; // when Refused: why
    FourteenValues values{};
};
FourteenParse ParseFourteen(std::string_view text);
// Values to prefill the fill-in dialog with: piece i as atoi reads it (a
// text that is not a number gives 0), 0 where the text has no piece.
std::array<std::int32_t, kMeasuredValues> FillInPrefill(std::string_view text);

// One internal resistance measurement: 14 values, the test current and the
// measurement index (0 or 1), 33 bytes on the wire.
inline constexpr std::size_t kMeasurementBytes = 33;
struct Measurement {
    FourteenValues values{};
    std::int32_t current = 0;
    std::uint8_t index = 0;
};
enum class ResistanceTable { Charge, Discharge };
CommandId ResistanceReadCommand(ResistanceTable table);
CommandId ResistanceWriteCommand(ResistanceTable table);
// Which table an answer code belongs to (bit 7 set or not); nothing for others.
std::optional<ResistanceTable> ResistanceTableOf(std::uint8_t code);
Payload ResistanceReadPayload(ResistanceTable table, std::uint8_t index);
Payload ResistanceWritePayload(ResistanceTable table, const Measurement &m);
std::array<std::uint8_t, kMeasurementBytes> EncodeMeasurement(const Measurement &m);
struct ResistanceAnswer {
    FourteenValues values{};
    std::optional<std::int32_t> current; // with the full measurement only
    std::uint8_t index = 0;              // 0 when the answer carries only the values
};
// Nothing when fewer than 28 value bytes follow the result code.
std::optional<ResistanceAnswer> DecodeResistance(DataBytes data);
// A list row of a table as bulk writes take it: the current must be an
// optional sign and digits inside the signed 32-bit range, the resistance
// text exactly 14 such numbers. Each value must also lie in 0 to 65535: a
// value the board cannot hold is not cut to 16 bits, the row is skipped.
std::optional<Measurement> ParseTableRow(std::string_view current, std::string_view resistances, std::uint8_t index);
// The acknowledgement count of a table: a bulk write starts it at the number
// of frames queued, each answer adds its index + 1, and exactly 5 means both
// measurements were written and acknowledged.
inline constexpr int kTableAcksComplete = 5;
// The list row (0 to 3) of a table's measurement; nothing for an index other than 0 or 1.
std::optional<int> TableListRow(ResistanceTable table, std::uint8_t index);

// ---- register block
inline constexpr std::size_t kRegisterBytes = 20;
using RegisterBlock = std::array<std::uint8_t, kRegisterBytes>;
Payload RegisterReadPayload();
Payload RegisterWritePayload(const RegisterBlock &block);
// "%02X " for each byte after the result code.
std::string RegisterHexText(DataBytes data);
// Copies the first min(length - 1, 20) bytes after the result code into the
// block; the other bytes keep their values. Returns how many were copied.
std::size_t MergeRegisterAnswer(DataBytes data, RegisterBlock &block);

// ---- upgrade request
// The repeater's answer after it left its upgrade mode: length 1, result 0xFF.
bool IsRepeaterExitAnswer(DataBytes data);

// ---- the fill-in dialog
struct FillInKind {
    int fieldId;      // the box the dialog edits
    const char *name; // "充电内阻", "放电内阻", "开路电压", "寄存器" (translation context "FillInKind")
    int count;        // 14, or 20 register bytes
    bool hex;         // two hexadecimal digits per box
    int max;          // 65535, or 255 for the register bytes
    int rowChkId;     // the row written after OK; 0 for the register block
};
inline constexpr int kFillInBoxes = 20;
const FillInKind *FillInKindOf(int fieldId);
std::span<const FillInKind> FillInKinds();
std::string FillInTitle(const FillInKind &kind);          // "设置" + name
std::string FillInLabel(const FillInKind &kind, int box); // name + " " + box (from 1)
std::string FillInValueText(const FillInKind &kind, std::int32_t value);
enum class FillInCheck {
    Ok,
    Empty,      // "参数不能为空！"
    NotNumber,  // "请输入有效的十六进制字符串！" (for every kind)
    OutOfRange, // "参数的有效范围是 %d 至 %d 之间的整数！" with 0 and max
};
struct FillInValue {
    FillInCheck check = FillInCheck::Empty;
    std::int32_t value = 0;
};
FillInValue ParseFillInValue(const FillInKind &kind, std::string_view text);
