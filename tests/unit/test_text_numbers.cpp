// Numbers read from edit box texts: the C conversions with their leftover
// test, the strict form, decimal fractions and split texts.
#include "protocol/text_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

TEST(TextNumbers, TrimTakesBlanksAtBothEndsOnly)
{
    EXPECT_EQ(TrimText("  12 3\t\r\n"), "12 3");
    EXPECT_EQ(TrimText(" \t "), "");
    EXPECT_EQ(TrimText(""), "");
}

TEST(TextNumbers, EditIntFollowsTheCConversions)
{
    struct Case {
        const char *text;
        std::int64_t min, max;
        bool isSigned;
        int base;
        EditIntCheck check;
        std::int64_t value;
    };
    const Case cases[] = {
        {"", 0, 10, true, 10, EditIntCheck::Empty, 0},
        {"   ", 0, 10, true, 10, EditIntCheck::Empty, 0},
        {" 7 ", 0, 10, true, 10, EditIntCheck::Ok, 7},
        {"+7", 0, 10, true, 10, EditIntCheck::Ok, 7},
        {"-3", -5, 10, true, 10, EditIntCheck::Ok, -3},
        {"12x", 0, 100, true, 10, EditIntCheck::Leftover, 0},
        {"x", 0, 100, true, 10, EditIntCheck::Leftover, 0},
        {"-", 0, 100, true, 10, EditIntCheck::Leftover, 0},
        {"1 2", 0, 100, true, 10, EditIntCheck::Leftover, 0},
        {"101", 0, 100, true, 10, EditIntCheck::OutOfRange, 101},
        // strtol saturates at the int range
        {"99999999999", INT32_MIN, INT32_MAX, true, 10, EditIntCheck::Ok, INT32_MAX},
        {"-99999999999", INT32_MIN, INT32_MAX, true, 10, EditIntCheck::Ok, INT32_MIN},
        // strtoul: saturates, and a minus sign negates modulo 2^32
        {"99999999999", 0, 4294967295LL, false, 10, EditIntCheck::Ok, 4294967295LL},
        {"-1", 0, 4294967295LL, false, 10, EditIntCheck::Ok, 4294967295LL},
        {"-1", 0, 255, false, 16, EditIntCheck::OutOfRange, 4294967295LL},
        // hexadecimal
        {"ff", 0, 255, false, 16, EditIntCheck::Ok, 255},
        {"0A", 0, 255, false, 16, EditIntCheck::Ok, 10},
        {"G1", 0, 255, false, 16, EditIntCheck::Leftover, 0},
        {"0x", 0, 255, false, 16, EditIntCheck::Leftover, 0},
        {"0x1F", 0, 255, false, 16, EditIntCheck::Ok, 31},
        {"100", 0, 255, false, 16, EditIntCheck::OutOfRange, 256},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EditInt v = ParseEditInt(c.text, c.min, c.max, c.isSigned, c.base);
        EXPECT_EQ(v.check, c.check);
        if (c.check == EditIntCheck::Ok || c.check == EditIntCheck::OutOfRange) {
            EXPECT_EQ(v.value, c.value);
        }
    }
}

TEST(TextNumbers, StrictIntAcceptsOnlySignAndDigits)
{
    struct Case {
        const char *text;
        StrictIntCheck check;
        std::int64_t value;
    };
    const Case cases[] = {
        {"", StrictIntCheck::Empty, 0},
        {" ", StrictIntCheck::Empty, 0},
        {"12x", StrictIntCheck::Invalid, 0},
        {"+", StrictIntCheck::Invalid, 0},
        {"1 2", StrictIntCheck::Invalid, 0},
        {"0x10", StrictIntCheck::Invalid, 0},
        {"2147483648", StrictIntCheck::Invalid, 0},
        {"-2147483649", StrictIntCheck::Invalid, 0},
        {"70000", StrictIntCheck::OutOfRange, 70000},
        {"-1", StrictIntCheck::OutOfRange, -1},
        {" 65535 ", StrictIntCheck::Ok, 65535},
        {"+0", StrictIntCheck::Ok, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        StrictInt v = ParseStrictInt(c.text, 0, 65535);
        EXPECT_EQ(v.check, c.check);
        if (c.check != StrictIntCheck::Empty && c.check != StrictIntCheck::Invalid) {
            EXPECT_EQ(v.value, c.value);
        }
    }
    std::int32_t v = 0;
    EXPECT_TRUE(IsStrictInt32("-2147483648", &v));
    EXPECT_EQ(v, INT32_MIN);
}

TEST(TextNumbers, DoubleReadsTheLeadingNumberLikeAtof)
{
    struct Case {
        const char *text;
        double value;
    };
    const Case cases[] = {
        {"25.37", 25.37}, {"  -100", -100.0}, {"+1.5", 1.5}, {"12abc", 12.0}, {"abc", 0.0},
        {"", 0.0},        {"+-5", 0.0},       {".5", 0.5},   {"5.", 5.0},     {"1e2", 100.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ScanCDouble(c.text), c.value);
    }
    EXPECT_TRUE(std::isinf(ScanCDouble("1e999")));
    EXPECT_EQ(ScanCDouble("1e-999"), 0.0);
}

TEST(TextNumbers, TenthsTruncateTowardZeroWithoutBinaryArtefacts)
{
    struct Case {
        double value;
        std::int64_t tenths;
    };
    const Case cases[] = {{25.37, 253}, {-100.0, -1000}, {100.1, 1001}, {2.3, 23}, {-2.3, -23},
                          {0.29, 2},    {-0.05, 0},      {4.35, 43},    {0.0, 0},  {99.99, 999}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(TruncatedTenths(c.value), c.tenths);
    }
    EXPECT_EQ(TruncatedTenths(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(TextNumbers, Low16OfTheIntegerPart)
{
    EXPECT_EQ(TruncatedLow16(300.9), 300);
    EXPECT_EQ(TruncatedLow16(65536.0 + 5), 5);
    EXPECT_EQ(TruncatedLow16(-1.5), 0xFFFF);
    EXPECT_EQ(TruncatedLow16(1e30), static_cast<std::uint16_t>(std::fmod(1e30, 65536.0)));
    EXPECT_EQ(TruncatedLow16(std::numeric_limits<double>::infinity()), 0);
}

TEST(TextNumbers, SplitAtBlanksTabsAndLineEnds)
{
    auto pieces = SplitNumbers(" 1\t22\r\n333  4 ");
    std::vector<std::string> got(pieces.begin(), pieces.end());
    EXPECT_EQ(got, (std::vector<std::string>{"1", "22", "333", "4"}));
    EXPECT_TRUE(SplitNumbers(" \t\r\n").empty());
}
