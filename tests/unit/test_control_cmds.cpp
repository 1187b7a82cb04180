// Requests and answer decoders of the customer control page.
#include "protocol/control_cmds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes Data(std::initializer_list<std::uint8_t> b)
{
    return Bytes(b);
}
} // namespace

TEST(ControlCmds, FixedRequestsArePlainPayloads)
{
    struct Case {
        CommandId command;
        Bytes payload;
    };
    const Case cases[] = {
        {kCmdStorageMode, {0x53, 0x03, 0x10, 0x01, 0x00}},   {kCmdMosState, {0x53, 0x03, 0x14, 0x01, 0x00}},
        {kCmdEnterInternal, {0x53, 0x03, 0x21, 0x01, 0x00}}, {kCmdLeaveInternal, {0x53, 0x02, 0x5C, 0x01, 0x00}},
        {kCmdChargeHistory, {0x53, 0x03, 0x03, 0x01, 0x00}}, {kCmdDischargeHistory, {0x53, 0x03, 0x04, 0x01, 0x00}},
        {kCmdBmsState, {0x53, 0x05, 0x04, 0x01, 0x00}},      {kCmdWorkingMode, {0x53, 0x03, 0x30, 0x01, 0x00}},
        {kCmdBoardClock, {0x53, 0x03, 0x25, 0x01, 0x00}},    {kCmdParallelDiffRead, {0x53, 0x03, 0x28, 0x01, 0x00}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command.code);
        EXPECT_EQ(PlainRequest(c.command), c.payload);
    }
}

TEST(ControlCmds, MosSwitchPayloads)
{
    struct Case {
        MosRow row;
        bool on;
        Bytes payload;
    };
    const Case cases[] = {
        {MosRow::Charge, true, {0x53, 0x03, 0x15, 0x01, 0x01}},
        {MosRow::Charge, false, {0x53, 0x03, 0x15, 0x01, 0x00}},
        {MosRow::Discharge, true, {0x53, 0x03, 0x16, 0x01, 0x01}},
        {MosRow::Discharge, false, {0x53, 0x03, 0x16, 0x01, 0x00}},
        {MosRow::PreDischarge, true, {0x53, 0x03, 0x17, 0x01, 0x01}},
        {MosRow::PreDischarge, false, {0x53, 0x03, 0x17, 0x01, 0x00}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MosSwitchPayload(c.row, c.on), c.payload);
}

TEST(ControlCmds, MosDecodersTakeTheirOwnBit)
{
    struct Case {
        MosRow row;
        std::uint8_t code;
        std::uint8_t b;
        std::optional<bool> on;
    };
    const Case cases[] = {
        // the state answer 00 05: charge on, discharge off, pre-discharge on
        {MosRow::Charge, 0x94, 0x05, true},
        {MosRow::Discharge, 0x94, 0x05, false},
        {MosRow::PreDischarge, 0x94, 0x05, true},
        // a switch answer carries its state in bit 0
        {MosRow::Charge, 0x95, 0x01, true},
        {MosRow::Charge, 0x95, 0x02, false},
        {MosRow::Discharge, 0x96, 0x01, true},
        {MosRow::PreDischarge, 0x97, 0x00, false},
        {MosRow::PreDischarge, 0x17, 0x01, true},
        // each decoder ignores the other rows' switch answers
        {MosRow::Charge, 0x96, 0x01, std::nullopt},
        {MosRow::Discharge, 0x95, 0x01, std::nullopt},
        {MosRow::PreDischarge, 0x90, 0x01, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.row) << " " << int(c.code));
        EXPECT_EQ(MosRowOn(c.row, c.code, c.b), c.on);
    }
    EXPECT_STREQ(OnOffText(true), "开");
    EXPECT_STREQ(OnOffText(false), "关");
}

TEST(ControlCmds, ClockSetCarriesTheLocalFields)
{
    EXPECT_EQ(ClockSetPayload({2024, 3, 5, 14, 7, 9}),
              (Bytes{0x53, 0x03, 0x25, 0x07, 0x01, 0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}));
    EXPECT_EQ(ClockSetPayload({2000, 12, 31, 23, 59, 59}),
              (Bytes{0x53, 0x03, 0x25, 0x07, 0x01, 0x00, 0x0C, 0x1F, 0x17, 0x3B, 0x3B}));
}

TEST(ControlCmds, ClockAnswerFallsBackPerHalf)
{
    struct Case {
        Bytes data;
        BoardClock t;
    };
    const Case cases[] = {
        {{0x00, 0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}, {2024, 3, 5, 14, 7, 9}},
        // month 13: the date becomes 2001-01-01, the time stays
        {{0x00, 0x18, 0x0D, 0x05, 0x0E, 0x07, 0x09}, {2001, 1, 1, 14, 7, 9}},
        {{0x00, 0x18, 0x00, 0x05, 0x0E, 0x07, 0x09}, {2001, 1, 1, 14, 7, 9}},
        {{0x00, 0x18, 0x03, 0x20, 0x0E, 0x07, 0x09}, {2001, 1, 1, 14, 7, 9}},
        {{0x00, 0x18, 0x03, 0x00, 0x0E, 0x07, 0x09}, {2001, 1, 1, 14, 7, 9}},
        // a day the month does not have
        {{0x00, 0x18, 0x04, 0x1F, 0x0E, 0x07, 0x09}, {2001, 1, 1, 14, 7, 9}},
        {{0x00, 0x17, 0x02, 0x1D, 0x0E, 0x07, 0x09}, {2001, 1, 1, 14, 7, 9}},
        {{0x00, 0x18, 0x02, 0x1D, 0x0E, 0x07, 0x09}, {2024, 2, 29, 14, 7, 9}},
        // hour 24, minute 60, second 60: the time becomes 01:01:01
        {{0x00, 0x18, 0x03, 0x05, 0x18, 0x07, 0x09}, {2024, 3, 5, 1, 1, 1}},
        {{0x00, 0x18, 0x03, 0x05, 0x0E, 0x3C, 0x09}, {2024, 3, 5, 1, 1, 1}},
        {{0x00, 0x18, 0x03, 0x05, 0x0E, 0x07, 0x3C}, {2024, 3, 5, 1, 1, 1}},
        {{0x00, 0xFF, 0x0D, 0x05, 0xFF, 0x07, 0x09}, {2001, 1, 1, 1, 1, 1}},
    };
    for (const Case &c : cases) {
        std::optional<BoardClock> t = DecodeBoardClock(c.data);
        ASSERT_TRUE(t);
        EXPECT_EQ(std::vector<int>({t->year, t->month, t->day, t->hour, t->minute, t->second}),
                  std::vector<int>({c.t.year, c.t.month, c.t.day, c.t.hour, c.t.minute, c.t.second}));
    }
    EXPECT_FALSE(DecodeBoardClock(Data({0x00, 0x18, 0x03, 0x05, 0x0E, 0x07})));
    EXPECT_FALSE(DecodeBoardClock({}));
}

TEST(ControlCmds, HistoryValuesWithNotAvailable)
{
    struct Case {
        Bytes data;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x0A, 0xFF, 0xFF, 0x00, 0x03}, {"10", "N/A", "3"}},
        {{0x00}, {}},
        {{}, {}},
        {{0x00, 0x01}, {}}, // an odd last byte is no value
        {{0x00, 0xFF, 0xFE, 0x12}, {"65534"}},
        {{0x00, 0x00, 0x00}, {"0"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeHistory(c.data), c.texts);
    EXPECT_EQ(HistoryIndexText(0), "1");
    EXPECT_EQ(HistoryIndexText(9), "10");
}

TEST(ControlCmds, WorkingModeAndBmsStateNames)
{
    struct Case {
        std::uint8_t b;
        const char *text;
    };
    const Case modes[] = {
        {0x00, ""}, {0x01, "单电"}, {0x02, "主电"}, {0x06, "主电, 副电"}, {0x07, "单电, 主电, 副电"}, {0xF8, ""},
    };
    for (const Case &c : modes)
        EXPECT_EQ(WorkingModeText(c.b), c.text) << int(c.b);
    EXPECT_STREQ(BmsStateText(0x01), "boot区");
    EXPECT_STREQ(BmsStateText(0xFF), "boot区");
    EXPECT_STREQ(BmsStateText(0x00), "APP区");
    EXPECT_STREQ(BmsStateText(0xFE), "APP区");
}

TEST(ControlCmds, CurrentCalibration)
{
    EXPECT_EQ(CurrentCalibrationPayload(65535, -32768), (Bytes{0x53, 0x03, 0x13, 0x04, 0xFF, 0xFF, 0x80, 0x00}));
    EXPECT_EQ(CurrentCalibrationPayload(1000, 50), (Bytes{0x53, 0x03, 0x13, 0x04, 0x03, 0xE8, 0x00, 0x32}));

    CurrentCalibration full = DecodeCurrentCalibration(Data({0x00, 0x03, 0xE8, 0xFF, 0xCE}));
    EXPECT_EQ(full.value, 1000);
    EXPECT_EQ(full.threshold, -50);
    CurrentCalibration half = DecodeCurrentCalibration(Data({0x00, 0x03, 0xE8, 0xFF}));
    EXPECT_EQ(half.value, 1000);
    EXPECT_FALSE(half.threshold);
    CurrentCalibration none = DecodeCurrentCalibration(Data({0x00, 0x03}));
    EXPECT_FALSE(none.value);
    EXPECT_FALSE(none.threshold);
}

TEST(ControlCmds, CurrentCalibrationInputIsStrict)
{
    // The value box takes 0 to 65535, the threshold box -32768 to 32767.
    EXPECT_EQ(ParseStrictInt("70000", 0, 65535).check, StrictIntCheck::OutOfRange);
    EXPECT_EQ(ParseStrictInt("12x", 0, 65535).check, StrictIntCheck::Invalid);
    EXPECT_EQ(ParseStrictInt("-32768", -32768, 32767).check, StrictIntCheck::Ok);
}

TEST(ControlCmds, TemperatureCalibrationValue)
{
    struct Case {
        const char *text;
        CalibrationTempCheck check;
        std::int16_t tenths;
        Bytes data; // after 03 27 03 and the index
    };
    const Case cases[] = {
        {"25.37", CalibrationTempCheck::Ok, 253, {0x00, 0xFD}},
        {"-100", CalibrationTempCheck::Ok, -1000, {0xFC, 0x18}},
        {"100.1", CalibrationTempCheck::Ok, 1001, {0x03, 0xE9}},
        {"100.2", CalibrationTempCheck::OutOfRange, 0, {}},
        {"-100.01", CalibrationTempCheck::OutOfRange, 0, {}},
        {"abc", CalibrationTempCheck::Ok, 0, {0x00, 0x00}}, // not a number converts to 0
        {"", CalibrationTempCheck::Empty, 0, {}},
        {"   ", CalibrationTempCheck::Empty, 0, {}},
        {"nan", CalibrationTempCheck::OutOfRange, 0, {}},
        {"inf", CalibrationTempCheck::OutOfRange, 0, {}},
        {"2.3", CalibrationTempCheck::Ok, 23, {0x00, 0x17}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        CalibrationTemp t = ParseCalibrationTemp(c.text);
        EXPECT_EQ(t.check, c.check);
        if (c.check != CalibrationTempCheck::Ok)
            continue;
        EXPECT_EQ(t.tenths, c.tenths);
        Bytes expected{0x53, 0x03, 0x27, 0x03, 0x02};
        expected.insert(expected.end(), c.data.begin(), c.data.end());
        EXPECT_EQ(TemperatureCalibrationPayload(2, t.tenths), expected);
    }
    // Only the low 8 bits of the index travel.
    EXPECT_EQ(TemperatureCalibrationPayload(258, 0)[4], 0x02);
    EXPECT_EQ(TemperatureCalibrationPayload(-1, 0)[4], 0xFF);
}

TEST(ControlCmds, TemperatureCalibrationAnswer)
{
    struct Case {
        Bytes data;
        std::uint8_t index;
        const char *text;
    };
    const Case cases[] = {
        {{0x00, 0x02, 0x00, 0xFD}, 2, "25.3"},
        {{0x00, 0xC8, 0xFC, 0x18}, 200, "-100.0"},
        {{0x00, 0x01, 0xFF, 0xFB}, 1, "-0.5"},
    };
    for (const Case &c : cases) {
        auto a = DecodeTemperatureCalibration(c.data);
        ASSERT_TRUE(a);
        EXPECT_EQ(a->index, c.index);
        EXPECT_EQ(a->value, c.text);
    }
    EXPECT_FALSE(DecodeTemperatureCalibration(Data({0x00, 0x02, 0x00})));
}

TEST(ControlCmds, Balancing)
{
    struct Case {
        const char *text;
        std::optional<std::uint16_t> time;
    };
    const Case times[] = {{"300", 300}, {"12.9", 12},       {"-1", 0xFFFF},      {"65537", 1},
                          {"x", 0},     {"", std::nullopt}, {"  ", std::nullopt}};
    for (const Case &c : times)
        EXPECT_EQ(ParseBalancingTime(c.text), c.time) << c.text;
    EXPECT_EQ(BalancingPayload(5, 300), (Bytes{0x53, 0x05, 0x03, 0x03, 0x05, 0x01, 0x2C}));
    EXPECT_EQ(BalancingPayload(261, 1), (Bytes{0x53, 0x05, 0x03, 0x03, 0x05, 0x00, 0x01}));

    auto b = DecodeBalancingAnswer(Data({0x00, 0x05, 0x01, 0x2C}));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->cell, 5);
    EXPECT_EQ(b->time, 300);
    auto negative = DecodeBalancingAnswer(Data({0x00, 0xFF, 0xFF, 0xFE}));
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->cell, -1);
    EXPECT_EQ(negative->time, -2);
    EXPECT_FALSE(DecodeBalancingAnswer(Data({0x00, 0x05, 0x01})));
}

TEST(ControlCmds, ResetCommands)
{
    EXPECT_EQ(ResetPayload(ResetKind::Factory), (Bytes{0x53, 0x03, 0x65, 0x01, 0x00}));
    EXPECT_EQ(ResetPayload(ResetKind::Extremes), (Bytes{0x53, 0x03, 0x65, 0x01, 0x01}));
    EXPECT_EQ(ResetPayload(ResetKind::Restart), (Bytes{0x53, 0x03, 0x65, 0x01, 0xFF}));
    EXPECT_STREQ(ResetResultText(true), "执行成功！");
    EXPECT_STREQ(ResetResultText(false), "执行失败！");
    EXPECT_TRUE(kCmdResetCommand.Answers(0x83, 0xE5));
    EXPECT_FALSE(kCmdResetCommand.Answers(0x83, 0xE6));
}

TEST(ControlCmds, CommandIntervalBounds)
{
    EXPECT_EQ(ParseEditInt("5", kMinCommandInterval, kMaxCommandInterval, true).check, EditIntCheck::OutOfRange);
    EXPECT_EQ(ParseEditInt("2000", kMinCommandInterval, kMaxCommandInterval, true).value, 2000);
    EXPECT_EQ(ParseEditInt("2001", kMinCommandInterval, kMaxCommandInterval, true).check, EditIntCheck::OutOfRange);
    EXPECT_EQ(ParseEditInt("10ms", kMinCommandInterval, kMaxCommandInterval, true).check, EditIntCheck::Leftover);
}
