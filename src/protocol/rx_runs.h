// Cuts received bytes, as they come in reads of any size, into the runs a
// capture records: each whole frame (head 0x4D, link byte 0x53 with bit 7
// ignored, length byte + 9, tail 0D 0A; the sum is not checked) on its own,
// and the bytes between frames as stray runs. A frame split over several
// reads comes out whole; bytes that may still begin a frame wait until more
// bytes come or the owner gives them up (a write, a quiet line, the end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class RxRunCutter {
public:
    // A run with the time its first byte came and whether it is a whole frame.
    using RunSink = std::function<void(std::span<const std::uint8_t> bytes, std::int64_t timeUs, bool frame)>;
    // Bytes waiting for the rest of a frame beyond this are given up as stray.
    static constexpr std::size_t kMaxWaiting = 264;

    explicit RxRunCutter(RunSink sink) : m_sink(std::move(sink)) {}

    // Bytes of one read that came at timeUs.
    void Feed(std::span<const std::uint8_t> bytes, std::int64_t timeUs);
    // Whatever waits is a stray run now.
    void Flush();
    std::size_t Waiting() const { return m_waiting.size(); }
    // The time the first waiting byte came (meaningful while bytes wait).
    std::int64_t WaitingSinceUs() const { return m_waitingSinceUs; }

private:
    void Cut();
    void EmitStray();

    RunSink m_sink;
    std::vector<std::uint8_t> m_waiting; // bytes not yet given out, oldest first
    std::vector<std::int64_t> m_times;   // the time each waiting byte came
    std::vector<std::uint8_t> m_stray;
    std::int64_t m_strayUs = 0;
    std::int64_t m_waitingSinceUs = 0;
};
