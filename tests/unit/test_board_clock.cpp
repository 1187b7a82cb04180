// The board clock: requests, the decoder with its substitutes for impossible
// fields, and local time both ways.
#include "protocol/board_clock.h"

#include <gtest/gtest.h>

#include <vector>

TEST(BoardClock, Requests)
{
    auto read = ClockReadPayload();
    EXPECT_EQ(std::vector<std::uint8_t>(read.begin(), read.end()),
              (std::vector<std::uint8_t>{0x53, 0x03, 0x25, 0x01, 0x00}));
    auto set = ClockSetPayload({2024, 5, 17, 13, 4, 59});
    EXPECT_EQ(std::vector<std::uint8_t>(set.begin(), set.end()),
              (std::vector<std::uint8_t>{0x53, 0x03, 0x25, 0x07, 0x01, 24, 5, 17, 13, 4, 59}));
}

TEST(BoardClock, Decoder)
{
    struct Case {
        const char *name;
        std::vector<std::uint8_t> payload;
        std::optional<BoardTime> time;
    };
    const Case cases[] = {
        {"plain", {24, 5, 17, 13, 4, 59}, BoardTime{2024, 5, 17, 13, 4, 59}},
        {"month 13", {24, 13, 17, 13, 4, 59}, BoardTime{2001, 1, 1, 13, 4, 59}},
        {"day 0", {24, 5, 0, 13, 4, 59}, BoardTime{2001, 1, 1, 13, 4, 59}},
        {"hour 24", {24, 5, 17, 24, 4, 59}, BoardTime{2024, 5, 17, 1, 1, 1}},
        {"second 60", {24, 5, 17, 13, 4, 60}, BoardTime{2024, 5, 17, 1, 1, 1}},
        {"longer", {24, 5, 17, 13, 4, 59, 7}, BoardTime{2024, 5, 17, 13, 4, 59}},
        {"short", {24, 5, 17, 13, 4}, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeBoardTime(c.payload), c.time);
    }
}

TEST(BoardClock, LocalTimeBothWays)
{
    for (std::time_t t : {std::time_t{1700000000}, std::time_t{1719900000}, std::time_t{946684800}})
        EXPECT_EQ(BoardTimeToEpoch(BoardTimeFromEpoch(t)), t);
}
