// Requests to the simulated board and the data of its answers, checked for
// framing, with a clock the test drives by hand.
#pragma once

#include "protocol/frame.h"
#include "protocol/request.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace simtest {
using Bytes = std::vector<std::uint8_t>;

struct FakeClock {
    std::int64_t ms = 1700000000000; // 2023-11-14
    SimClock Fn()
    {
        return [this] { return ms; };
    }
};

// The frame of a request payload (link byte, class, code, N, data).
inline Bytes FrameOfPayload(const Payload &payload)
{
    return MakeFrame(payload.at(0), payload.at(1), payload.at(2), std::span(payload).subspan(4));
}

// The data of an answer, checked for framing, checksum, link byte, class and code.
inline Bytes AnswerData(const SimBytes &frame, CommandId command, std::uint8_t link = kLinkMain)
{
    EXPECT_GE(frame.size(), 10u);
    if (frame.size() < 10)
        return {};
    EXPECT_EQ(frame[0], kFrameHead);
    EXPECT_EQ(frame[1], link);
    EXPECT_EQ(frame[2], command.AnswerClass());
    EXPECT_EQ(frame[3], command.AnswerCode());
    EXPECT_EQ(frame.size(), frame[4] + 9u);
    EXPECT_TRUE(VerifyFrame(frame.data(), frame.size()));
    return Bytes(frame.begin() + 5, frame.begin() + 5 + frame[4]);
}

// Sends a request payload to the board and returns the main board's answer data.
inline Bytes Send(SimBoard &board, const Payload &payload)
{
    std::vector<SimBytes> answers = board.Handle(FrameOfPayload(payload));
    EXPECT_GE(answers.size(), 1u);
    if (answers.empty())
        return {};
    return AnswerData(answers[0], CommandId{payload[1], payload[2]});
}

// The bytes after the result code.
inline Bytes Body(const Bytes &data)
{
    return data.empty() ? Bytes{} : Bytes(data.begin() + 1, data.end());
}

inline Bytes Read(SimBoard &board, CommandId command)
{
    return Send(board, PlainRequest(command));
}

class SimBoardTest : public ::testing::Test {
protected:
    FakeClock clock;
    SimOptions options;
    SimBoard &Board()
    {
        if (!board)
            board = std::make_unique<SimBoard>(options, clock.Fn());
        return *board;
    }
    void Advance(double seconds) { clock.ms += static_cast<std::int64_t>(seconds * 1000); }
    std::unique_ptr<SimBoard> board;
};
} // namespace simtest
