// The pcapng capture format as this system writes and reads it: a section
// header, interface descriptions and enhanced packet blocks, little-endian,
// every block whole on its own. Writing builds each block as bytes; reading
// walks the blocks of any bytes and stops at the first one that is cut off
// or malformed, keeping what came before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The user link type 0: board frames as they go over the wire, head to tail.
inline constexpr std::uint16_t kLinkTypeUser0 = 147;
inline constexpr std::uint32_t kPcapngSnapLen = 65535;

using PcapngBytes = std::vector<std::uint8_t>;

enum class PcapngDirection : std::uint8_t { Unknown = 0, Inbound = 1, Outbound = 2 };

// The section header with a comment.
PcapngBytes PcapngSectionHeader(std::string_view comment);
// An interface of the given link type with microsecond timestamps, its name,
// description and comment (each left out when empty).
PcapngBytes PcapngInterface(std::uint16_t linkType, std::string_view name, std::string_view description,
                            std::string_view comment);
// A packet of the interface at a time in microseconds since 1970 with its
// direction; bytes beyond the snap length are not kept.
PcapngBytes PcapngPacket(std::uint32_t interfaceId, std::uint64_t timeUs, PcapngDirection direction,
                         std::span<const std::uint8_t> bytes);

struct PcapngInterfaceInfo {
    std::uint16_t linkType = 0;
    std::string name;
    std::string description;
    std::uint64_t unitsPerSecond = 1000000; // of the packets' timestamps
};

struct PcapngRecord {
    std::uint32_t interfaceId = 0;
    std::uint64_t time = 0; // in the interface's units
    PcapngDirection direction = PcapngDirection::Unknown;
    std::vector<std::uint8_t> bytes;
};

struct PcapngContents {
    std::vector<PcapngInterfaceInfo> interfaces;
    std::vector<PcapngRecord> records;
    // Bytes of whole blocks read; less than the input when reading stopped early.
    std::size_t wholeBytes = 0;
    // Empty when every byte was read; otherwise why reading stopped.
    std::string problem;
};

// Reads every whole block up to the first problem. Packets of an unknown
// interface and blocks of other types are passed over.
PcapngContents ReadPcapng(std::span<const std::uint8_t> bytes);
