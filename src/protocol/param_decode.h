// Parameter rows of the wake-up and thresholds page and of the alarm and
// protection page, held as data, with the pure request builders and response
// decoders that the page code walks them with.
#pragma once

#include "protocol/param_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Bytes a value of the kind takes on the wire (1, 2 or 4); 0 for any other number.
int ValueKindBytes(ValueKind kind);

inline constexpr int kMaxRowEdits = 4;

// One parameter row: check-box with the label, edit boxes with their captions
// and units, and the lamp. Texts are UTF-8.
struct PageParamRow {
    int number; // position in the page's table, from 1
    const char *label;
    int chkId;
    std::array<int, kMaxRowEdits> editIds;           // 0 = unused; editIds[0] is the row's edit box
    std::array<const char *, kMaxRowEdits> captions; // text before each edit box of a multi-value row
    std::array<const char *, kMaxRowEdits> units;    // text after each edit box
    int ledId;
    std::uint8_t cls; // request class
    int readCode;     // kNoCode: the row is never read
    int writeCode;    // kNoCode: the row is read-only
    RowFormat format;
    ValueKind kind;   // of each written value (Value and Temperature rows use it with the framework)
    std::int64_t min; // inclusive range of every entered number of the row
    std::int64_t max;
    int writtenEdits; // how many edit boxes a write takes, from the first on
    ParamId id;       // the parameter whose wire facts the row carries

    int EditCount() const;
    bool ReadOnly() const { return writeCode == kNoCode; }
};

// A page's rows in table order plus the orders its read and write walks take
// (row numbers).
struct ParamPageRows {
    std::span<const PageParamRow> rows;
    std::span<const int> readOrder;
    std::span<const int> writeOrder;

    const PageParamRow *Row(int number) const;
    const PageParamRow *RowByChk(int chkId) const;
    // The row that a response of this class and code answers (bit 7 of both
    // may be set or not); nullptr when none does.
    const PageParamRow *RowByResponse(std::uint8_t cls, std::uint8_t code) const;
};

// "唤醒与门限": 21 rows.
const ParamPageRows &WakeupPageRows();
// "报警与保护": 28 rows.
const ParamPageRows &AlarmPageRows();

// Data length (result code included) a response to this row must carry;
// code is the response code (bit 7 may be set).
int ResponseNeed(const PageParamRow &row, std::uint8_t code);

// The data field of a received frame: bytes 5 .. 5+N-1, cut to what the frame
// really holds. Empty when the frame is shorter than a head.
std::span<const std::uint8_t> FrameData(const std::uint8_t *frame, std::size_t length);

// Decoders of the data field (data[0] is the result code). Each returns
// nothing when the data is too short; none reads past the span.
std::optional<std::array<std::uint16_t, 2>> DecodeTwoU16(std::span<const std::uint8_t> data);
struct CycleThresholds {
    std::uint8_t upper = 0;
    std::uint8_t lower = 0;
    std::optional<std::uint16_t> cycles; // in the read answer only
};
std::optional<CycleThresholds> DecodeCycleThresholds(std::span<const std::uint8_t> data, bool readAnswer);
std::optional<std::array<std::int16_t, 4>> DecodeCurrentThresholds(std::span<const std::uint8_t> data);
// The wake-up source's name; "N/A_n2a" for any value that is not one known code.
const char *WakeUpName(std::uint8_t code);
// A temperature on the wire (hundredths) shown in whole degrees, truncated toward zero.
int TemperatureShown(std::int16_t hundredths);
// Hundredths of a degree in one whole degree: a temperature row's entered value
// is multiplied by it before it is written.
inline constexpr int kTemperatureScale = 100;
// The factor a row's entered value is multiplied by on the wire: kTemperatureScale
// for a temperature row, 1 for any other.
int WireScale(const PageParamRow &row);

// A single value of the kind, big-endian, from the first bytes of the span;
// signed kinds sign-extended. Nothing when the span is too short.
std::optional<std::int64_t> DecodeKindValue(ValueKind kind, std::span<const std::uint8_t> bytes);

// The numbers of a response that passed its checks, as the page shows them:
// one per value the row carries (temperatures in whole degrees, the wake-up
// source as its code, the cycle-threshold read answer with the cycle count
// last). Nothing when the data is short.
std::optional<std::vector<std::int64_t>> DecodeRowValues(const PageParamRow &row, std::uint8_t code,
                                                         std::span<const std::uint8_t> data);

// Texts for the edit boxes of a TwoU16, CycleThresholds, CurrentThresholds or
// WakeUp row from a response that passed its checks, one per edit box from the
// first on (a cycle-threshold write answer fills two). Nothing for other
// formats or when the data is short.
std::optional<std::vector<std::string>> DecodeRowTexts(const PageParamRow &row, std::uint8_t code,
                                                       std::span<const std::uint8_t> data);

// Request payloads from the link byte on, as the send path takes them.
std::vector<std::uint8_t> ReadPayload(const PageParamRow &row);
// The write payload of a row from its entered values (one per written edit box,
// already range-checked; temperatures in whole degrees). Empty when the row
// cannot be written or the count of values is wrong.
std::vector<std::uint8_t> WritePayload(const PageParamRow &row, std::span<const std::int64_t> values);
