// Stored battery records: the 22-byte layout, the thirteen column texts with
// the fault and MOS names exactly as the list shows them, and the answer
// lengths that hold whole records.
#include "protocol/battery_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes SampleRecord()
{
    return {0x00, 0x07,              // number 7
            0x0D, 0x7A,              // 3450 mV
            0x0C, 0xE4,              // 3300 mV
            0x00, 0x00, 0xD2, 0xF0,  // 54000 mV
            0xFF, 0xFF, 0xFF, 0xF6,  // -10 mA
            0x1E, 0x14, 0xC8, 0x57,  // 30, 20, 200 degrees, SOC 87
            0x00, 0x00, 0x00, 0x00}; // no faults, MOS off
}
} // namespace

TEST(BatteryRecord, RequestBytes)
{
    EXPECT_EQ(RecordReadPayload(), (Bytes{0x53, 0x05, 0x01, 0x01, 0x00}));
}

TEST(BatteryRecord, ColumnsOfOneRecord)
{
    std::optional<BatteryRecord> r = DecodeBatteryRecord(SampleRecord());
    ASSERT_TRUE(r);
    std::array<std::string, kRecordColumns> expected = {"7",     "3450", "3300", "54000", "-10", "30 ℃", "20 ℃",
                                                        "200 ℃", "87",   "",     "",      "",    ""};
    EXPECT_EQ(BatteryRecordTexts(*r), expected);
}

TEST(BatteryRecord, SignedAndUnsignedFields)
{
    Bytes b = SampleRecord();
    b[0] = b[1] = 0xFF;                         // number 65535
    b[2] = 0xFF, b[3] = 0xFE;                   // 65534 mV
    b[6] = 0x80, b[7] = b[8] = b[9] = 0x00;     // total -2147483648
    b[10] = 0x7F, b[11] = b[12] = b[13] = 0xFF; // current 2147483647
    b[17] = 0xFF;                               // SOC 255
    std::array<std::string, kRecordColumns> t = BatteryRecordTexts(*DecodeBatteryRecord(b));
    EXPECT_EQ(t[0], "65535");
    EXPECT_EQ(t[1], "65534");
    EXPECT_EQ(t[3], "-2147483648");
    EXPECT_EQ(t[4], "2147483647");
    EXPECT_EQ(t[8], "255");
}

TEST(BatteryRecord, FaultAndMosTexts)
{
    struct Case {
        int field;
        std::uint8_t bits;
        const char *text;
    };
    const Case cases[] = {
        {0, 0x03, "过充保护 过放保护"},
        {0, 0x80, "放电高温保护；"},
        {0, 0x01, "过充保护"},
        {0, 0x02, " 过放保护"},
        {0, 0x3C, "充电过流保护放电过流保护充电低温保护充电高温保护"},
        {0, 0xFF, "过充保护 过放保护充电过流保护放电过流保护充电低温保护充电高温保护放电低温保护放电高温保护；"},
        {1, 0x01, " 短路保护"},
        {1, 0x02, ""},
        {1, 0xFF, " 短路保护"},
        {2, 0x01, " 系统复位"},
        {2, 0xFE, ""},
        {3, 0x01, " 充电MOS"},
        {3, 0x06, ""},
        {0, 0x00, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " " << int(c.bits));
        EXPECT_EQ(RecordBitsText(c.field, c.bits), c.text);
        Bytes b = SampleRecord();
        b[18 + static_cast<std::size_t>(c.field)] = c.bits;
        EXPECT_EQ(BatteryRecordTexts(*DecodeBatteryRecord(b))[9 + static_cast<std::size_t>(c.field)], c.text);
    }
}

TEST(BatteryRecord, AnswerLengths)
{
    struct Case {
        std::size_t payload;
        std::optional<std::size_t> records;
    };
    const Case cases[] = {{0, std::nullopt}, {21, std::nullopt}, {22, 1},  {23, std::nullopt},
                          {44, 2},           {45, std::nullopt}, {242, 11}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.payload);
        Bytes p(c.payload, 0x00);
        auto records = DecodeBatteryRecords(p);
        ASSERT_EQ(records.has_value(), c.records.has_value());
        if (records) {
            EXPECT_EQ(records->size(), *c.records);
        }
    }
}

TEST(BatteryRecord, SecondRecordComesFromPayloadBytes22To43)
{
    Bytes p = SampleRecord();
    Bytes second = SampleRecord();
    second[1] = 8;
    second[18] = 0x80;
    p.insert(p.end(), second.begin(), second.end());
    auto records = DecodeBatteryRecords(p);
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ(BatteryRecordTexts((*records)[0])[0], "7");
    EXPECT_EQ(BatteryRecordTexts((*records)[1])[0], "8");
    EXPECT_EQ(BatteryRecordTexts((*records)[1])[9], "放电高温保护；");
}

TEST(BatteryRecord, ColumnNames)
{
    const char *expected[] = {"编号",         "最大单节电压", "最小单节电压", "总电压", "总电流",
                              "最高电芯温度", "最低电芯温度", "MOS温度",      "SOC",    "故障状态1",
                              "故障状态2",    "故障状态3",    "MOS状态"};
    for (std::size_t i = 0; i < kRecordColumns; ++i)
        EXPECT_STREQ(kRecordColumnNames[i], expected[i]);
}
