// Cuts board frames out of a received byte stream: head 0x4D, link byte
// 0x53 with bit 7 ignored, length byte + 9, tail 0D 0A. The sum is not
// checked here. Each stored byte cuts every frame that is complete.
//
// A head with a false length byte would hold every later frame back until
// that many bytes have come; the owner therefore calls OnQuiet when no byte has
// arrived for a short quiet time: a frame's bytes come together, so what waits
// then is no frame still coming in, and the framer slides past it.
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

    // The tool looks at a head only with at least 10 bytes buffered (its
    // answers carry a result byte); the board takes 9-byte requests, so it
    // passes 9.
    static constexpr std::size_t kToolMinimum = 10;
    RxFramer(FrameSink onFrame, MissTailSink onMissTail, std::size_t minimum = kToolMinimum);

    // Stores one byte and runs the framer once. False when the byte was lost
    // because the buffer holds 4096 unread bytes.
    bool StoreByte(std::uint8_t byte);
    // The line has been quiet: what waits is slid past one byte at a time and
    // the frames behind it are cut. Afterwards nothing is left unread but a
    // complete frame: one shorter than the minimum (it waits for one more byte,
    // as always) or one the sink refused (it stays for the next try).
    void OnQuiet();
    void Reset();
    std::size_t Unread() const { return m_write - m_read; }

private:
    bool MakeRoom();
    void Cut();
    // The frame at the read position when it is complete with its tail; 0 otherwise.
    std::size_t CompleteFrameAtRead() const;

    FrameSink m_onFrame;
    MissTailSink m_onMissTail;
    std::array<std::uint8_t, kBufferSize> m_buf{};
    std::size_t m_read = 0;
    std::size_t m_write = 0;
    std::size_t m_minimum;
};
