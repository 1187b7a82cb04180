// Big-endian values inside frame data. Readers never look past the span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

inline std::optional<std::uint16_t> ReadBe16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (at > bytes.size() || bytes.size() - at < 2)
        return std::nullopt;
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

inline std::optional<std::uint32_t> ReadBe32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (at > bytes.size() || bytes.size() - at < 4)
        return std::nullopt;
    return (static_cast<std::uint32_t>(bytes[at]) << 24) | (static_cast<std::uint32_t>(bytes[at + 1]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 8) | bytes[at + 3];
}

inline void WriteBe16(std::uint8_t *out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

inline void WriteBe32(std::uint8_t *out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}
