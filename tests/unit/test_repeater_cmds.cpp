// Repeater commands, the pass-through command and its hex text.
#include "protocol/repeater_cmds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;
}

TEST(RepeaterCmds, Requests)
{
    EXPECT_EQ(PlainRequest(kCmdRepeaterUpgrade), (Bytes{0x53, 0x01, 0x01, 0x01, 0x00}));
    EXPECT_EQ(PlainRequest(kCmdRepeaterLinks), (Bytes{0x53, 0x01, 0x02, 0x01, 0x00}));
    EXPECT_EQ(PlainRequest(kCmdRepeaterVersions), (Bytes{0x53, 0x01, 0x03, 0x01, 0x00}));
}

TEST(RepeaterCmds, LinkNames)
{
    struct Case {
        std::uint8_t b;
        const char *text;
    };
    const Case cases[] = {
        {0x13, "串口，CAN，485"}, {0x00, ""}, {0x1F, "串口，CAN，IIC，一线通，485"}, {0xE0, ""}, {0x0C, "IIC，一线通"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RepeaterLinkText(c.b), c.text) << int(c.b);
}

TEST(RepeaterCmds, HexTextChecks)
{
    struct Case {
        const char *text;
        std::size_t valid;
    };
    const Case cases[] = {
        {"01 2G", 4}, {"0A 0B C", 7}, {"", 0}, {"xyz", 0}, {"aBcDeF 09", 9}, {"12,34", 2}, {"1\t2", 1}, {"中", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ValidHexPrefix(c.text), c.valid) << c.text;
}

TEST(RepeaterCmds, HexTextBytes)
{
    struct Case {
        const char *text;
        Bytes bytes;
    };
    const Case cases[] = {
        {"0A 0B C", {0x0A, 0x0B}}, {"01 2", {0x01}}, {"ABC", {0xAB}},        {"A BC", {0xBC}}, {"", {}}, {"  ", {}},
        {"ff00", {0xFF, 0x00}},    {"1 2 3", {}},    {"aBcD", {0xAB, 0xCD}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HexTextBytes(c.text), c.bytes) << c.text;
}

TEST(RepeaterCmds, PassThroughPayload)
{
    EXPECT_EQ(PassThroughPayload(HexTextBytes("0A 0B C")), (Bytes{0x53, 0x03, 0x04, 0x02, 0x0A, 0x0B}));
    EXPECT_EQ(PassThroughPayload(Bytes{}), (Bytes{0x53, 0x03, 0x04, 0x00}));
    Bytes max(255, 0x5A);
    auto full = PassThroughPayload(max);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->size(), 4u + 255u);
    EXPECT_EQ((*full)[3], 0xFF);
    // More than 255 bytes are refused, not cut.
    EXPECT_FALSE(PassThroughPayload(Bytes(256, 0x5A)));
    EXPECT_FALSE(PassThroughPayload(Bytes(300, 0x5A)));
}
