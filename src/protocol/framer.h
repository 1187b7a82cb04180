// Cuts board frames out of a received byte stream: head 0x4D, link byte
// 0x53 with bit 7 ignored, length byte + 9, tail 0D 0A. The sum is not
// checked here. Each stored byte cuts every frame that is complete.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class RxFramer {
public:
    static constexpr std::size_t kBufferSize = 4096;

    // Called with a complete frame; returns false when it could not be queued
    // (the bytes then stay in the buffer and the next byte retries).
    using FrameSink = std::function<bool(const std::uint8_t *, std::size_t)>;
    // Called with a supposed frame whose last two bytes are not 0D 0A.
    using MissTailSink = std::function<void(const std::uint8_t *, std::size_t)>;

    RxFramer(FrameSink onFrame, MissTailSink onMissTail);

    // Stores one byte and runs the framer once. False when the byte was lost
    // because the buffer holds 4096 unread bytes.
    bool StoreByte(std::uint8_t byte);
    void Reset();
    std::size_t Unread() const { return m_write - m_read; }

private:
    bool MakeRoom();
    void Cut();

    FrameSink m_onFrame;
    MissTailSink m_onMissTail;
    std::array<std::uint8_t, kBufferSize> m_buf{};
    std::size_t m_read = 0;
    std::size_t m_write = 0;
};
