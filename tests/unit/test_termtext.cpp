// Text rules of the terminal: the hex send box, AT lines, received-data
// lines, the receive rate and the stored panel settings.
#include "protocol/termtext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct HexCase {
    const char *text;
    bool valid;
    std::size_t validLength;
    Bytes bytes;
};

const HexCase kHexCases[] = {
    {"01 02 0A", true, 8, {0x01, 0x02, 0x0A}},
    {"ABC", true, 3, {0xAB}},
    {"1 2", true, 3, {}},
    {"abcd", true, 4, {0xAB, 0xCD}},
    {"A BC", true, 4, {0xBC}},
    {"  ff  ", true, 6, {0xFF}},
    {"", true, 0, {}},
    {"01G", false, 2, {0x01}},
    {"01 2G", false, 4, {0x01}},
    {"G", false, 0, {}},
    {"0A\n", false, 2, {0x0A}},
    {"0x12", false, 1, {}},
};

TEST(TermText, HexSendBox)
{
    for (const HexCase &c : kHexCases) {
        term::HexSendText r = term::ParseHexSend(c.text);
        EXPECT_EQ(r.valid, c.valid) << c.text;
        EXPECT_EQ(r.validLength, c.validLength) << c.text;
        EXPECT_EQ(r.bytes, c.bytes) << c.text;
    }
}

struct AtCase {
    const char *text;
    bool sends;
    const char *command;
};

const AtCase kAtCases[] = {
    {"AT", false, ""},      {"\n", false, ""},        {"AT\r\n", true, "AT"}, {"AT+CSQ\n", true, "AT+CSQ"},
    {"\nAT\n", true, "AT"}, {"A\r\nT\n", true, "AT"}, {"\r\n", true, ""},
};

TEST(TermText, AtModeLines)
{
    for (const AtCase &c : kAtCases) {
        std::optional<std::string> command = term::AtCommand(c.text);
        EXPECT_EQ(command.has_value(), c.sends) << c.text;
        if (command) {
            EXPECT_EQ(*command, c.command);
        }
    }
}

TEST(TermText, LineBreakAppendsCrLf)
{
    EXPECT_EQ(term::SendBytes({0x01, 0x02}, true), (Bytes{0x01, 0x02, 0x0D, 0x0A}));
    EXPECT_EQ(term::SendBytes({0x01, 0x02}, false), (Bytes{0x01, 0x02}));
    EXPECT_EQ(term::SendBytes({}, true), (Bytes{0x0D, 0x0A}));
}

TEST(TermText, TimeStampAndHexDisplay)
{
    EXPECT_EQ(term::TimeStamp(9, 5, 3, 7), "[09:05:03:007] ");
    EXPECT_EQ(term::TimeStamp(23, 59, 59, 999), "[23:59:59:999] ");
    const std::uint8_t bytes[] = {0x41, 0x0D, 0x3A, 0x00, 0xFF};
    EXPECT_EQ(term::HexDisplay(bytes, 2), " 41 0D");
    EXPECT_EQ(term::HexDisplay(bytes + 2, 3), " 3A 00 FF");
    EXPECT_EQ(term::HexDisplay(bytes, 0), "");
    EXPECT_EQ(term::FromHeader("127.0.0.1:5000"), "\n【From: 127.0.0.1:5000】\n");
}

TEST(TermText, RateOverTenRefreshes)
{
    term::RxRate rate(40);
    const std::int64_t bank[] = {100, 0, 0, 200, 0, 0, 0, 0, 0, 100};
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(rate.Tick(bank[i]).has_value());
    // 400 bytes over 400 ms
    EXPECT_EQ(rate.Tick(bank[9]), std::optional<std::int64_t>(1000));
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(rate.Tick(0).has_value());
    EXPECT_EQ(rate.Tick(0), std::optional<std::int64_t>(0));
}

struct PortCase {
    long long typed;
    int port;
};

const PortCase kPorts[] = {{70000, 65535}, {65536, 65535}, {65535, 65535}, {0, 0}, {8000, 8000}, {-1, 65535}};

TEST(TermText, PortEditsClamp)
{
    for (const PortCase &c : kPorts)
        EXPECT_EQ(term::ClampPort(c.typed), c.port) << c.typed;
}

struct DashCase {
    const char *text;
    std::vector<long long> numbers;
};

const DashCase kDash[] = {
    {"3-1-0-2", {3, 1, 0, 2}},   {"NULL", {}}, {"3-x-1-2", {3}},  {"1--5-2", {1, -5, 2}}, {"12", {12}},
    {"1-2-3-4-5", {1, 2, 3, 4}}, {"", {}},     {" 7- 8", {7, 8}},
};

TEST(TermText, DashNumbersReadFromTheLeft)
{
    for (const DashCase &c : kDash)
        EXPECT_EQ(term::ReadDashNumbers(c.text, 4), c.numbers) << c.text;
}

TEST(TermText, StoredNetworkSettings)
{
    EXPECT_FALSE(term::ParseNetConfig("NULL").has_value());
    std::optional<term::NetConfig> c = term::ParseNetConfig("-1062731519-2-6000-7000");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(term::AddressText(c->address), "192.168.1.1");
    EXPECT_EQ(c->protocol, 2);
    EXPECT_EQ(c->targetPort, 6000);
    EXPECT_EQ(c->localPort, 7000);
    c = term::ParseNetConfig("2130706433-7-70000");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(term::AddressText(c->address), "127.0.0.1");
    EXPECT_EQ(c->protocol, 0);
    EXPECT_EQ(c->targetPort, 65535);
    EXPECT_EQ(c->localPort, 9000);
    EXPECT_EQ(term::AddressText(term::NetConfig{}.address), "127.0.0.1");
}

} // namespace
