// The board's event logs (class 0x03, request 0x50): the request, the
// 52-byte log record, the event names of the alarm and protection logs and
// the rules that turn one data answer into list rows. Pure functions: bytes
// in, plain values out, nothing read past the bytes given. Texts are UTF-8
// sources of the translation context kLogTextContext.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr const char *kLogTextContext = "BatteryLog";

enum LogKind : int { kLogSleep = 0, kLogRegular = 1, kLogAlarm = 2, kLogProtection = 3 };
inline constexpr int kLogKinds = 4;

inline constexpr std::uint8_t kLogRequestCode = 0x50;
inline constexpr std::uint8_t kLogAckCode = 0xD0;  // the board took the request
inline constexpr std::uint8_t kLogDataCode = 0xD1; // records follow
inline constexpr std::size_t kLogRecordBytes = 52;
inline constexpr std::size_t kLogDataHead = 3;   // packet count, two bytes not shown
inline constexpr std::uint8_t kLogWanted = 0x10; // second data byte of every request
inline constexpr int kLogNameLimit = 3;          // a record naming more events is not believed
inline constexpr std::size_t kLogContentLimit = 5120;

// "休眠唤醒", "常规日志", "告警日志", "保护日志"; nullptr for any other kind.
const char *LogKindName(int kind);
// Name of a flag bit in the alarm (2) or protection (3) log; nullptr when the
// bit has none or the kind has no table.
const char *LogEventName(int kind, int bit);
// The name every set bit of a log without a table gets.
extern const char *const kLogUnknownEvent;
// The one row of a single-record answer without events: kinds 2 and 3 only.
const char *LogAllNormalText(int kind);
// printf format (one unsigned: the flags) of the row a single-record answer
// gets when its record names more events than the limit.
extern const char *const kLogInvalidRecordFormat;

// 53 03 50 0A, kind, 10, eight 00.
std::vector<std::uint8_t> LogRequestPayload(std::uint8_t kind);

struct BatteryLogRecord {
    std::int32_t time = 0;               // seconds since 1970-01-01 UTC, little-endian on the wire
    std::uint32_t flags = 0;             // bit 0 in byte 48 ... bit 31 in byte 51
    std::span<const std::uint8_t> bytes; // the 52 bytes, inside the answer
};
std::optional<BatteryLogRecord> DecodeBatteryLogRecord(std::span<const std::uint8_t> bytes);

// The payload of a data answer (the bytes after the result byte).
struct BatteryLogData {
    std::uint8_t packets = 0;
    std::vector<BatteryLogRecord> records;
    // One packet holding one record: the board's answer about its whole log.
    bool single = false;
};
// nullopt unless the payload holds the three head bytes and whole records.
std::optional<BatteryLogData> DecodeBatteryLogData(std::span<const std::uint8_t> payload);

// The named events of a record's flags, bit 0 first. With kind 2 or 3 a bit
// without a name is skipped and every name counts; with another kind every set
// bit gives kLogUnknownEvent, which does not count. The walk stops before a name
// that would bring the content ("|" between names) to contentLimit bytes.
struct BatteryLogEvents {
    std::vector<const char *> names;
    int counted = 0;
};
BatteryLogEvents LogEventNames(int kind, std::uint32_t flags, std::size_t contentLimit = kLogContentLimit);
// The names joined by "|".
std::string JoinLogNames(const std::vector<const char *> &names);

// What one record shows.
enum class BatteryLogRowKind {
    Events,    // the names
    AllNormal, // LogAllNormalText of the kind
    Invalid,   // more names than the limit in a single-record answer: kLogInvalidRecordFormat
};
struct BatteryLogRow {
    std::int32_t time = 0;
    std::uint32_t flags = 0;
    BatteryLogRowKind kind = BatteryLogRowKind::Events;
    std::vector<const char *> names; // Events only
    std::size_t record = 0;          // index of the record in the answer
};
// The rows of one data answer in record order. A record with more names than
// the limit gives no row in a multi-record answer; a record without names gives
// a row only in a single-record answer of kind 2 or 3.
std::vector<BatteryLogRow> BatteryLogRows(int kind, const BatteryLogData &data,
                                          std::size_t contentLimit = kLogContentLimit, int nameLimit = kLogNameLimit);
// The row's content from the untranslated texts.
std::string BatteryLogRowContent(const BatteryLogRow &row, int kind);

// An event time as local "%Y-%m-%d %H:%M:%S"; nullopt for a time before 1970
// or from the year 3000 on, and when the calendar conversion fails.
std::optional<std::string> LogTimeText(std::int64_t seconds);

// The standard-output trace of one data answer (one line per fact).
std::string LogDataTrace(std::span<const std::uint8_t> payload, int kind, std::size_t contentLimit = kLogContentLimit,
                         int nameLimit = kLogNameLimit);
