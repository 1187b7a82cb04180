// The records the board stores (class 0x05, code 0x01): 22-byte snapshots of
// the pack, big-endian, and the texts of the thirteen list columns. Pure
// decoders that never read past the bytes given; texts are UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr const char *kRecordTextContext = "BatteryRecord";
inline constexpr std::uint8_t kRecordClass = 0x05;
inline constexpr std::uint8_t kRecordCode = 0x01;
inline constexpr std::size_t kRecordBytes = 22;
inline constexpr std::size_t kRecordColumns = 13;

// "编号", "最大单节电压" ... "MOS状态".
extern const std::array<const char *, kRecordColumns> kRecordColumnNames;

// 53 05 01 01 00.
std::vector<std::uint8_t> RecordReadPayload();

struct BatteryRecord {
    std::uint16_t number = 0;
    std::uint16_t maxCellMv = 0;
    std::uint16_t minCellMv = 0;
    std::int32_t totalMv = 0;
    std::int32_t currentMa = 0;
    std::uint8_t maxCellTemp = 0; // whole degrees
    std::uint8_t minCellTemp = 0;
    std::uint8_t mosTemp = 0;
    std::uint8_t soc = 0;
    std::array<std::uint8_t, 3> faults{}; // protection bits 0-23
    std::uint8_t mos = 0;
};
std::optional<BatteryRecord> DecodeBatteryRecord(std::span<const std::uint8_t> bytes);

// The records of an answer's payload (the bytes after the result byte);
// nullopt unless the payload is one or more whole records.
std::optional<std::vector<BatteryRecord>> DecodeBatteryRecords(std::span<const std::uint8_t> payload);

// The names of the set bits of fault byte 0-2 or the MOS byte (index 3),
// joined with nothing between them.
std::string RecordBitsText(int field, std::uint8_t bits);

// The thirteen column texts.
std::array<std::string, kRecordColumns> BatteryRecordTexts(const BatteryRecord &r);
