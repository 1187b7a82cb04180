// A simulated board on a hand-driven clock, and the pieces of its frames, for
// the tests that check the board's answers through the tool's own decoders.
#pragma once

#include "common/frame_bytes.h"
#include "protocol/frame.h"
#include "protocol/param_decode.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <vector>

struct FakeClock {
    std::int64_t ms = 1700000000000; // 2023-11-14
    SimClock Fn()
    {
        return [this] { return ms; };
    }
};

// One received frame taken apart, checked for framing and checksum.
struct SimFrame {
    std::uint8_t link = 0;
    std::uint8_t cls = 0;
    std::uint8_t code = 0;
    Bytes data; // result byte first
    std::span<const std::uint8_t> Payload() const
    {
        return data.empty() ? std::span<const std::uint8_t>() : std::span(data).subspan(1);
    }
};

inline SimFrame TakeApart(const SimBytes &frame)
{
    SimFrame f;
    EXPECT_GE(frame.size(), kFrameMinLen);
    if (frame.size() < kFrameMinLen)
        return f;
    EXPECT_TRUE(VerifyFrame(frame.data(), frame.size()));
    EXPECT_EQ(frame.size(), frame[4] + 9u);
    f.link = frame[1];
    f.cls = frame[2];
    f.code = frame[3];
    std::span<const std::uint8_t> d = FrameData(frame.data(), frame.size());
    f.data.assign(d.begin(), d.end());
    return f;
}

inline std::vector<SimFrame> TakeApart(const std::vector<SimBytes> &frames)
{
    std::vector<SimFrame> out;
    for (const SimBytes &f : frames)
        out.push_back(TakeApart(f));
    return out;
}

class SimBoardTest : public ::testing::Test {
protected:
    SimBoard &Board()
    {
        if (!m_board)
            m_board = std::make_unique<SimBoard>(options, clock.Fn());
        return *m_board;
    }
    // Every frame the board sends for a request payload (link byte on).
    std::vector<SimFrame> Ask(const Bytes &payload) { return TakeApart(Board().Handle(FrameOf(payload))); }
    // Lets time pass in steps, as a tool that asks now and then would see it.
    void Pass(std::int64_t ms, std::int64_t step = 1000)
    {
        for (std::int64_t done = 0; done < ms; done += step) {
            clock.ms += std::min(step, ms - done);
            Board().Poll();
        }
    }

    FakeClock clock;
    SimOptions options;
    std::unique_ptr<SimBoard> m_board;
};
