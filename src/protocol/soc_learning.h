// SOC learning (class 0x02): the learning configuration (25 bytes on the
// wire), the start and stop requests, and the progress records the board
// sends while it learns. Pure: bytes in, plain values out, nothing read past
// the bytes given. Texts are UTF-8 sources of the context kSocTextContext.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr const char *kSocTextContext = "SocLearning";
inline constexpr std::uint8_t kSocConfigReadCode = 0x2C;  // answered with 0xAC
inline constexpr std::uint8_t kSocConfigWriteCode = 0x04; // answered with 0x84
inline constexpr std::uint8_t kSocLearnCode = 0x05;       // start, stop; records come as 0x85
inline constexpr std::size_t kSocConfigBytes = 25;
inline constexpr std::size_t kSocConfigFixed = 13; // payload bytes of the fields every answer carries
inline constexpr int kSocRecordNeed = 13;          // least data length of a record, result byte included
inline constexpr int kSocStages = 10;
inline constexpr int kSocFinishedStage = 9;

// Stage 1-10 ("电池补电阶段" ... "实测阶段"); "N/A_n2a" for any other value.
const char *SocStageName(int stage);
// "无", the text of a known learning error, otherwise "0x%X" of the code.
std::string SocErrorText(std::uint8_t code);
// The known error codes in table order (for tests and the simulated board).
std::span<const std::uint8_t> SocErrorCodes();

// The configuration as entered. Each field keeps what its edit box accepts;
// the wire takes the low bytes of the wider ones.
struct SocConfig {
    std::int32_t startMv = 0;
    std::int32_t endMv = 0;
    std::uint8_t startStage = 1;
    std::uint8_t endStage = 10;
    std::int32_t uploadSec = 1; // 1-3600
    std::int32_t precision = 0; // 0-100 %
    std::int32_t fullCurrentMa = 0;
    std::int32_t standardMa = 0;
    std::int32_t allowedErrorMv = 0;
    std::int32_t irStep = 0; // milliohm
    std::int32_t irIndex = 0;
    std::int32_t chargeMa = 0;
    std::int32_t dischargeMa = 0;
};

// One entered field: its edit box, label, unit, where it goes on the wire and
// the range an entry must lie in. Listed in the order a write checks them.
struct SocConfigField {
    int editId;
    const char *label;
    const char *unit;
    std::int32_t SocConfig::*value;
    std::size_t offset; // in the 25 bytes
    std::size_t width;  // 1, 2 or 4 bytes, big-endian, the low bytes of the value
    std::int64_t min;
    std::int64_t max;
};
std::span<const SocConfigField> SocConfigFields();
inline constexpr std::size_t kSocStartStageOffset = 4;
inline constexpr std::size_t kSocEndStageOffset = 5;

std::array<std::uint8_t, kSocConfigBytes> EncodeSocConfig(const SocConfig &config);

// 53 02 2C 01 00 / 53 02 04 19 + 25 bytes / 53 02 05 01 00 / 53 02 05 01 01.
std::vector<std::uint8_t> SocConfigReadPayload();
std::vector<std::uint8_t> SocConfigWritePayload(const SocConfig &config);
std::vector<std::uint8_t> SocStartPayload();
std::vector<std::uint8_t> SocStopPayload();

// A configuration answer: the fixed fields and the optional tail, each tail
// field present only when the payload holds it.
struct SocConfigAnswer {
    std::uint16_t startMv = 0;
    std::uint16_t endMv = 0;
    std::uint8_t startStage = 0;
    std::uint8_t endStage = 0;
    std::uint16_t uploadSec = 0;
    std::uint8_t precision = 0;
    std::uint16_t fullCurrentMa = 0;
    std::uint16_t standardMa = 0;
    std::optional<std::uint16_t> allowedErrorMv; // only with 15 payload bytes or more
    std::optional<std::uint8_t> irStep;
    std::optional<std::uint8_t> irIndex;
    std::optional<std::int32_t> chargeMa;
    std::optional<std::int32_t> dischargeMa;
};
// nullopt with fewer than 13 payload bytes (a write acknowledgement may carry none).
std::optional<SocConfigAnswer> DecodeSocConfig(std::span<const std::uint8_t> payload);

// A learning record: the payload of a 0x85 answer whose data length is 13 or more.
struct SocRecord {
    std::uint8_t stage = 0;
    std::uint16_t mv = 0;
    std::int32_t ma = 0;
    std::uint8_t vSoc = 0;
    std::uint8_t soc = 0;
    std::uint8_t socA = 0;
    std::uint16_t capacityMah = 0;
    std::optional<std::uint8_t> test; // only when the data length is above 13
};
std::optional<SocRecord> DecodeSocRecord(std::span<const std::uint8_t> payload);

inline constexpr std::size_t kSocColumns = 10;
// List headers ("状态", "电压(mV)" ...) and the names the export writes ("状态", "电压" ...).
extern const std::array<const char *, kSocColumns> kSocListColumns;
extern const std::array<const char *, kSocColumns> kSocExportColumns;
// Which board sent a record; None on a link with one board only.
enum class SocBoard { None, Main, Secondary };
// The ten texts of a record row; the board column is "主电", "副电" or empty.
std::array<std::string, kSocColumns> SocRecordTexts(const SocRecord &record, SocBoard board, int index);
