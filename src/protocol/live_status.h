// The live state of a pack as the fifteen status items describe it: each
// item's answer (single or from a batch block) decoded with the item decoders
// into its part of one plain struct. Parts not received stay empty.
#pragma once

#include "protocol/batch_status.h"
#include "protocol/status_decode.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct LiveStatus {
    std::optional<std::string> sn;
    std::optional<Versions> versions;
    std::optional<CellSummary> cells;
    std::optional<PowerReading> power;
    std::optional<std::array<std::optional<double>, kExtremeRows>> extremes;
    std::array<std::optional<std::string>, kExtremeRows> extremeTexts; // as the page shows them
    std::optional<std::uint32_t> balancing;                            // bit r: cell r + 1
    std::optional<std::uint32_t> protectionBits;
    std::vector<std::string> protections; // names of the set bits; "无" when none
    std::optional<std::uint32_t> alarmBits;
    std::vector<std::string> alarms;
    std::optional<std::uint16_t> cycles;
    std::optional<MosState> mos;
    std::optional<std::uint8_t> probeCount;
    std::optional<SocSoh> soc;
    std::optional<ProductionDate> productionDate;
    std::optional<std::uint32_t> remainingMah;
    std::optional<std::uint32_t> fullMah;
    // Items whose answer could not be shown, with the text the page shows
    // instead ("Len:3, Need:4", "ErrorCode: 0x05", ...), by item code.
    std::map<std::uint8_t, std::string> problems;

    bool Has(std::uint8_t code) const;
};

// Decodes one item's payload (the data after the result byte) into its part.
// dataLength is the data length of a single-item answer (result byte included);
// batch selects the rules of a batch block (a full capacity without multiplier).
void ApplyStatusItem(LiveStatus &status, std::uint8_t code, StatusBytes payload, int dataLength, bool batch);

// Checks a single-item answer frame of class 0x83 (result code and the
// item's data length) and applies it; false when the frame is not a status
// item's answer or failed its checks (the problem is noted).
bool ApplyStatusFrame(LiveStatus &status, const std::uint8_t *frame, std::size_t length);

// Applies every block of an accepted batch answer; codes outside the item table are passed over.
void ApplyBatchStatus(LiveStatus &status, const BatchStatus &answer);
