// The simulated board fed with requests of every class and code and every
// data length, random data included: each answer is a well-formed frame of
// the request's class and code, and the board keeps answering normally.
#include "protocol/frame.h"
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <random>

namespace {
using Bytes = std::vector<std::uint8_t>;

void ExpectWellFormed(const Bytes &answer, std::uint8_t cls, std::uint8_t code)
{
    ASSERT_GE(answer.size(), kFrameMinLen);
    ASSERT_EQ(answer.size(), answer[4] + 9u);
    EXPECT_EQ(answer[0], kFrameHead);
    EXPECT_TRUE(answer[1] == kLinkMain || answer[1] == kLinkSecondary);
    EXPECT_EQ(answer[2], cls | 0x80);
    EXPECT_EQ(answer[3], code | 0x80);
    EXPECT_TRUE(VerifyFrame(answer.data(), answer.size()));
    EXPECT_EQ(answer[answer.size() - 2], 0x0D);
    EXPECT_EQ(answer[answer.size() - 1], 0x0A);
}

class SimRobust : public ::testing::Test {
protected:
    SimOptions options = [] {
        SimOptions o;
        o.secondary = true;
        return o;
    }();
    std::int64_t nowMs = 1700000000000;
    SimBoard board{options, [this] { return nowMs; }};
    std::mt19937 rng{7};

    Bytes Random(int count)
    {
        Bytes b(static_cast<std::size_t>(count));
        for (auto &x : b)
            x = static_cast<std::uint8_t>(rng());
        return b;
    }
    // The number of answers.
    std::size_t Feed(std::uint8_t link, std::uint8_t cls, std::uint8_t code, const Bytes &data)
    {
        Bytes frame = MakeFrame(link, cls, code, data);
        std::vector<Bytes> answers = board.Handle(frame);
        for (const Bytes &answer : answers) {
            ExpectWellFormed(answer, cls, code);
            if (::testing::Test::HasFailure())
                break;
        }
        nowMs += 37;
        return answers.size();
    }
    // A status read still answers with its fixed data length.
    void ExpectStillAnswers()
    {
        std::vector<Bytes> answers = board.Handle(MakeFrame(kLinkMain, 0x03, 0x02, Bytes{0x00}));
        ASSERT_FALSE(answers.empty());
        ExpectWellFormed(answers[0], 0x03, 0x02);
        EXPECT_EQ(answers[0][4], 7);
    }
};

TEST_F(SimRobust, EveryClassAndCode)
{
    for (int cls = 0; cls <= 0xFF; ++cls)
        for (int code = 0; code <= 0xFF; ++code)
            for (int n : {0, 1, 5})
                Feed(code & 1 ? kLinkMain : kLinkSecondary, static_cast<std::uint8_t>(cls),
                     static_cast<std::uint8_t>(code), Random(n));
    ExpectStillAnswers();
}

TEST_F(SimRobust, EveryDataLengthOfEveryCommand)
{
    int commands = 0;
    for (int cls = 0; cls < 0x80; ++cls) {
        for (int code = 0; code < 0x80; ++code) {
            const auto c = static_cast<std::uint8_t>(cls), k = static_cast<std::uint8_t>(code);
            if (!board.Find(c, k))
                continue;
            ++commands;
            std::size_t answered = 0;
            for (int n = 0; n <= 255; ++n)
                answered += Feed(kLinkMain, c, k, Random(n));
            EXPECT_GT(answered, 0u) << cls << " " << code;
        }
    }
    EXPECT_GT(commands, 20);
    ExpectStillAnswers();
}
} // namespace
