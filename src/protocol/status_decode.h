// Live status items of the board (command class 0x03) and the pure decoders
// of their answers. Every decoder takes the payload (the data bytes after the
// result byte) and never reads past it; texts are UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using StatusBytes = std::span<const std::uint8_t>;

// Item codes of the status requests; an answer carries code | 0x80.
enum StatusCode : std::uint8_t {
    kStatusSn = 0x01,
    kStatusVersions = 0x02,
    kStatusCells = 0x05,
    kStatusPower = 0x06,
    kStatusExtremes = 0x07,
    kStatusBalancing = 0x08,
    kStatusProtection = 0x09,
    kStatusCycles = 0x11,
    kStatusMos = 0x14,
    kStatusProbes = 0x18,
    kStatusSoc = 0x19,
    kStatusDate = 0x20,
    kStatusAlarm = 0x22,
    kStatusRemaining = 0x23,
    kStatusFull = 0x24,
};

// The fixed request order of a read of every item (and of the batch request).
inline constexpr std::array<std::uint8_t, 15> kStatusRequestOrder = {
    kStatusVersions, kStatusAlarm,     kStatusProtection, kStatusProbes,    kStatusCycles,
    kStatusSoc,      kStatusRemaining, kStatusFull,       kStatusPower,     kStatusDate,
    kStatusSn,       kStatusMos,       kStatusCells,      kStatusBalancing, kStatusExtremes,
};

// Data length (result byte included) a single-item answer must have; 0 = any.
int StatusNeededLength(std::uint8_t code);

// Printable ASCII kept, other bytes shown as '0' up to position 15; from
// position 16 on such a byte ends the text.
std::string DecodeSnText(StatusBytes payload);

struct Versions {
    std::string software; // "V%hhu.%hhu.%hhu"
    std::string hardware;
};
// StatusBytes 0-2 and 3-5; nullopt when fewer than 6 bytes.
std::optional<Versions> DecodeVersions(StatusBytes payload);

struct CellSummary {
    std::vector<std::uint16_t> cells; // mV, one per cell
    std::uint16_t highest = 0;
    int highestCell = 0; // 1-based; 0 = none
    std::uint16_t lowest = 0;
    int lowestCell = 0;
    std::uint16_t difference = 0;
    bool oddTail = false; // an odd last byte was ignored
};
// Two bytes per cell; ties go to the later cell. Without cells every summary
// value is 0 and no cell number is given.
CellSummary DecodeCells(StatusBytes payload);
// Texts of the three summary rows: {number, text} each.
std::array<std::array<std::string, 2>, 3> CellSummaryRows(const CellSummary &s);

struct PowerReading {
    std::optional<std::uint32_t> voltageMv; // total voltage
    std::optional<std::int32_t> currentMa;  // negative while discharging
    std::vector<std::int16_t> temps;        // tenths of a degree, one per probe
    bool oddTail = false;
    // Extremes over the probes: lowest of all, highest without the last probe
    // (a single probe counts for both). Probe numbers 1-based, 0 = none.
    std::int16_t highest = 0;
    int highestProbe = 0;
    std::int16_t lowest = 0;
    int lowestProbe = 0;
};
PowerReading DecodePower(StatusBytes payload);
// "放电", "待机" or "充电".
const char *CurrentStateText(std::int32_t currentMa);
// "%.1f" of tenths / 10.
std::string TenthsText(int tenths);

// The eleven rows of the extreme-value list; a row whose bytes are missing is nullopt.
inline constexpr std::size_t kExtremeRows = 11;
inline constexpr std::size_t kExtremeBytes = 20;
extern const std::array<const char *, kExtremeRows> kExtremeRowNames;
std::array<std::optional<std::string>, kExtremeRows> DecodeExtremes(StatusBytes payload);
// The same rows as numbers in the units of their names (mV, mA, degrees, hours,
// cell numbers): temperatures in tenths of a degree come out as 25.5.
std::array<std::optional<double>, kExtremeRows> DecodeExtremeValues(StatusBytes payload);

// Balancing bits: bytes in wire order, bit k of byte b is row 8b + k; at most
// 32 rows. Bit r of the result is row r.
std::uint32_t DecodeBalancing(StatusBytes payload);
// A bit field of up to 32 bits in the same byte order: bit 8b + k is bit k of byte b.
std::uint32_t DecodeBitField(StatusBytes payload);
// Rows that take a balancing text: the existing rows, at most 32.
int BalancingRowCount(int existingRows);
const char *BalancingText(bool on); // "开" / "关"

// Bit-field states: names of the set bits in bit order, "N/A_n2a" for a bit
// without a name, the single entry "无" when no bit is set.
std::vector<std::string> ProtectionNames(StatusBytes payload);
std::vector<std::string> AlarmNames(StatusBytes payload);

struct MosState {
    bool charge = false;
    bool discharge = false;
    bool preDischarge = false;
};
std::optional<MosState> DecodeMos(StatusBytes payload);

struct SocSoh {
    std::uint8_t soc = 0;
    std::uint8_t soh = 0;
};
std::optional<SocSoh> DecodeSoc(StatusBytes payload);
std::optional<std::uint16_t> DecodeCycles(StatusBytes payload);
std::optional<std::uint8_t> DecodeProbeCount(StatusBytes payload);

struct ProductionDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
// Year 2000 + byte 0, month byte 1, day byte 2; nullopt unless the three
// bytes are present and name a real calendar day.
std::optional<ProductionDate> DecodeProductionDate(StatusBytes payload);

// A capacity text: the value in mAH, or the length message.
struct CapacityText {
    bool ok = false;
    std::string text;
};
// Single-item answer: payload of 4 bytes (16-bit value times byte 3) or 2
// bytes (16-bit value); anything else "Len:%d, Need:%d" of dataLength and 4.
CapacityText DecodeCapacity(StatusBytes payload, int dataLength);
// The same as a number; nothing for a payload of any other length.
std::optional<std::uint32_t> DecodeCapacityValue(StatusBytes payload);
// Batch block of the full capacity: the 16-bit value of bytes 0-1.
std::optional<std::uint16_t> DecodeFullCapacityBlock(StatusBytes block);

// SOC picture index: 10 from 100 % on, else SOC / 10.
int SocImageIndex(std::uint8_t soc);
// Next frame of the charging animation: indexes above 10 start again at 0.
int AnimationImageIndex(int frame);
