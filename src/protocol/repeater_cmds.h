// Commands of the repeater that may sit between the tool and the board
// (class 0x01), the pass-through command, and the hex text the user types
// for it. Decoders take the frame's data field (data[0] is the result code)
// and never read past it. Texts are UTF-8.
#pragma once

#include "protocol/request.h"
#include "protocol/status_decode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using DataBytes = std::span<const std::uint8_t>;

inline constexpr CommandId kCmdRepeaterUpgrade{0x01, 0x01};  // plain; the repeater starts its YModem loader
inline constexpr CommandId kCmdRepeaterLinks{0x01, 0x02};    // plain; one byte of link bits
inline constexpr CommandId kCmdRepeaterVersions{0x01, 0x03}; // plain; software x.y.z, hardware x.y.z
inline constexpr CommandId kCmdPassThrough{0x03, 0x04};      // the typed bytes

inline constexpr int kNeedRepeaterLinks = 2;
inline constexpr int kNeedRepeaterVersions = 7;

// Names of the set link bits, bit 0 first: "串口", "CAN", "IIC", "一线通",
// "485"; bits 5 to 7 are ignored.
std::vector<const char *> RepeaterLinkNames(std::uint8_t b);
// The names joined by the full-width comma "，".
std::string RepeaterLinkText(std::uint8_t b);

// ---- the pass-through hex text
// Length of the valid start of a text whose characters must be 0-9, A-F,
// a-f or a blank. Equal to the text's length when every character is valid.
// Every valid character is one byte, so the length also counts characters.
std::size_t ValidHexPrefix(std::string_view text);
// Bytes of a valid hex text: two adjacent hex digits make one byte (high
// nibble first); a digit not directly followed by another is ignored;
// blanks are skipped.
std::vector<std::uint8_t> HexTextBytes(std::string_view text);
// A command carries at most 255 data bytes.
inline constexpr std::size_t kPassThroughMax = 255;
// 03 04 n and the bytes; nothing when there are more than 255 of them
// (they are refused, never cut).
std::optional<Payload> PassThroughPayload(std::span<const std::uint8_t> bytes);
