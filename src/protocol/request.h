// Request payloads as the send path takes them: link byte 0x53, class, code,
// data length and the data (the head, the sum and the tail are added when the
// frame is built).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

using Payload = std::vector<std::uint8_t>;

// A command named by its request class and code; its answer carries both
// with bit 7 set.
struct CommandId {
    std::uint8_t cls;
    std::uint8_t code;

    constexpr std::uint8_t AnswerClass() const { return static_cast<std::uint8_t>(cls | 0x80); }
    constexpr std::uint8_t AnswerCode() const { return static_cast<std::uint8_t>(code | 0x80); }
    // Whether a received frame's class and code (bit 7 set or not) name this command.
    constexpr bool Answers(std::uint8_t answerCls, std::uint8_t answerCode) const
    {
        return (answerCls & 0x7F) == cls && (answerCode & 0x7F) == code;
    }
};

// The command with the given data; data beyond 255 bytes is not sent (the
// caller refuses such data before).
Payload CommandPayload(CommandId command, std::span<const std::uint8_t> data);
// The plain request: one data byte 0x00.
Payload PlainRequest(CommandId command);
