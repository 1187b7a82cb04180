// SOC learning: request bytes, the configuration's 25 bytes and the ranges
// of its fields, configuration answers of every length, learning records and
// the texts of stages and error codes.
#include "protocol/soc_learning.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

const SocConfigField *Field(int editId)
{
    for (const SocConfigField &f : SocConfigFields())
        if (f.editId == editId)
            return &f;
    return nullptr;
}
} // namespace

TEST(SocLearning, RequestBytes)
{
    EXPECT_EQ(SocConfigReadPayload(), (Bytes{0x53, 0x02, 0x2C, 0x01, 0x00}));
    EXPECT_EQ(SocStartPayload(), (Bytes{0x53, 0x02, 0x05, 0x01, 0x00}));
    EXPECT_EQ(SocStopPayload(), (Bytes{0x53, 0x02, 0x05, 0x01, 0x01}));
}

TEST(SocLearning, ConfigurationBytes)
{
    SocConfig c;
    c.startMv = 70000; // low 16 bits: 4464
    c.endMv = 2900;
    c.startStage = 2;
    c.endStage = 9;
    c.uploadSec = 3600;
    c.precision = 100;
    c.fullCurrentMa = 65535;
    c.standardMa = 5000;
    c.allowedErrorMv = -1;
    c.irStep = 0x1234;
    c.irIndex = 7;
    c.chargeMa = 20000;
    c.dischargeMa = -20000;
    Bytes expected = {0x53, 0x02, 0x04, 0x19, 0x11, 0x70, 0x0B, 0x54, 0x02, 0x09, 0x0E, 0x10, 0x64, 0xFF, 0xFF,
                      0x13, 0x88, 0xFF, 0xFF, 0x34, 0x07, 0x00, 0x00, 0x4E, 0x20, 0xFF, 0xFF, 0xB1, 0xE0};
    EXPECT_EQ(SocConfigWritePayload(c), expected);
    EXPECT_EQ((0x11 << 8) | 0x70, 4464);
}

TEST(SocLearning, FieldRangesAndWriteOrder)
{
    struct Case {
        int editId;
        std::int64_t min, max;
        std::size_t offset, width;
    };
    const std::int64_t lo = -2147483648LL, hi = 2147483647LL;
    const Case cases[] = {
        {1322, lo, hi, 0, 2},    {1327, lo, hi, 2, 2},  {1331, 0, 100, 8, 1},  {1325, 0, 65535, 9, 2},
        {1324, 0, 65535, 11, 2}, {1420, lo, hi, 13, 2}, {1419, lo, hi, 15, 1}, {1435, lo, hi, 16, 1},
        {1433, lo, hi, 17, 4},   {1434, lo, hi, 21, 4}, {1330, 1, 3600, 6, 2},
    };
    ASSERT_EQ(SocConfigFields().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const SocConfigField &f = SocConfigFields()[i];
        SCOPED_TRACE(f.editId);
        EXPECT_EQ(f.editId, cases[i].editId); // the order a write checks the edits in
        EXPECT_EQ(f.min, cases[i].min);
        EXPECT_EQ(f.max, cases[i].max);
        EXPECT_EQ(f.offset, cases[i].offset);
        EXPECT_EQ(f.width, cases[i].width);
    }
    EXPECT_STREQ(Field(1330)->label, "上传间隔");
    EXPECT_STREQ(Field(1330)->unit, "秒");
}

TEST(SocLearning, ConfigurationAnswersOfEveryLength)
{
    const Bytes full = {0x0D, 0x48, 0x0B, 0x54, 0x01, 0x0A, 0x00, 0x3C, 0x05, 0x01, 0xF4, 0x13, 0x88,
                        0x00, 0x32, 0x05, 0x03, 0x00, 0x00, 0x4E, 0x20, 0xFF, 0xFF, 0xB1, 0xE0};
    struct Case {
        std::size_t length;
        bool fixed;
        std::optional<std::uint16_t> allowed;
        std::optional<std::uint8_t> step, index;
        std::optional<std::int32_t> charge, discharge;
    };
    const Case cases[] = {
        {0, false, {}, {}, {}, {}, {}},      {12, false, {}, {}, {}, {}, {}}, {13, true, {}, {}, {}, {}, {}},
        {14, true, {}, 0x00, {}, {}, {}}, // byte 13 is the calibration step
        {15, true, 50, {}, {}, {}, {}},      {16, true, 50, 5, {}, {}, {}},   {17, true, 50, 5, 3, {}, {}},
        {20, true, 50, 5, 3, {}, {}},        {21, true, 50, 5, 3, 20000, {}}, {24, true, 50, 5, 3, 20000, {}},
        {25, true, 50, 5, 3, 20000, -20000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.length);
        std::optional<SocConfigAnswer> a = DecodeSocConfig(std::span(full).first(c.length));
        ASSERT_EQ(a.has_value(), c.fixed);
        if (!a)
            continue;
        EXPECT_EQ(a->startMv, 3400);
        EXPECT_EQ(a->endMv, 2900);
        EXPECT_EQ(a->startStage, 1);
        EXPECT_EQ(a->endStage, 10);
        EXPECT_EQ(a->uploadSec, 60);
        EXPECT_EQ(a->precision, 5);
        EXPECT_EQ(a->fullCurrentMa, 500);
        EXPECT_EQ(a->standardMa, 5000);
        EXPECT_EQ(a->allowedErrorMv, c.allowed);
        EXPECT_EQ(a->irStep, c.step);
        EXPECT_EQ(a->irIndex, c.index);
        EXPECT_EQ(a->chargeMa, c.charge);
        EXPECT_EQ(a->dischargeMa, c.discharge);
    }
}

TEST(SocLearning, FourteenPayloadBytesPutByte13IntoTheStep)
{
    Bytes p(14, 0x00);
    p[13] = 0x2A;
    EXPECT_EQ(DecodeSocConfig(p)->irStep, 0x2A);
    EXPECT_FALSE(DecodeSocConfig(p)->allowedErrorMv);
}

TEST(SocLearning, StageNames)
{
    const char *names[] = {"电池补电阶段",     "容量实测阶段",     "电池充满阶段",    "学习开路电压阶段",
                           "学习充电内阻阶段", "学习放电内阻阶段", "验证充电SOC阶段", "验证放电SOC阶段",
                           "SOC学习完毕",      "实测阶段"};
    for (int s = 1; s <= 10; ++s)
        EXPECT_STREQ(SocStageName(s), names[s - 1]);
    for (int s : {0, 11, 255, -1})
        EXPECT_STREQ(SocStageName(s), "N/A_n2a");
}

TEST(SocLearning, ErrorTexts)
{
    struct Case {
        std::uint8_t code;
        const char *text;
    };
    const Case cases[] = {{0x00, "无"},
                          {0x01, "电池补电阶段充电中断错误"},
                          {0x23, "电池容量测试初始电压不对"},
                          {0x51, "充满后SOC未到100"},
                          {0x72, "放到截止电压后积分SOC未到0"},
                          {0x82, "放到截止电压后积分SOC未到0"},
                          {0x83, "验证放电SOC初始电压错误"},
                          {0x99, "0x99"},
                          {0x09, "0x9"},
                          {0xFF, "0xFF"}};
    for (const Case &c : cases)
        EXPECT_EQ(SocErrorText(c.code), c.text);
    EXPECT_EQ(SocErrorCodes().size(), 25u);
    for (std::uint8_t code : SocErrorCodes())
        EXPECT_NE(SocErrorText(code).rfind("0x", 0), 0u) << int(code);
}

TEST(SocLearning, RecordTexts)
{
    const Bytes payload = {0x04, 0xCE, 0x8C, 0xFF, 0xFF, 0xB1, 0xE0, 0x50, 0x4F, 0x4E, 0xC0, 0x30, 0x01};
    struct Case {
        std::size_t length;
        bool decoded;
        const char *test;
    };
    const Case cases[] = {{11, false, ""}, {12, true, ""}, {13, true, "1"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.length);
        std::optional<SocRecord> r = DecodeSocRecord(std::span(payload).first(c.length));
        ASSERT_EQ(r.has_value(), c.decoded);
        if (!r)
            continue;
        std::array<std::string, kSocColumns> t = SocRecordTexts(*r, SocBoard::None, 4);
        std::array<std::string, kSocColumns> expected = {
            "学习开路电压阶段", "52876", "-20000", "80", "79", "78", "49200", c.test, "", "4"};
        EXPECT_EQ(t, expected);
    }
    std::optional<SocRecord> r = DecodeSocRecord(payload);
    EXPECT_EQ(SocRecordTexts(*r, SocBoard::Main, 0)[8], "主电");
    EXPECT_EQ(SocRecordTexts(*r, SocBoard::Secondary, 0)[8], "副电");
    SocRecord odd = *r;
    odd.stage = 11;
    odd.test = 255;
    EXPECT_EQ(SocRecordTexts(odd, SocBoard::None, 0)[0], "N/A_n2a");
    EXPECT_EQ(SocRecordTexts(odd, SocBoard::None, 0)[7], "255");
}

TEST(SocLearning, ColumnNames)
{
    const char *list[] = {"状态",  "电压(mV)",  "电流(mA)", "V-SOC",  "SOC",
                          "SOC-A", "容量(maH)", "测试",     "主副电", "序号"};
    const char *file[] = {"状态", "电压", "电流", "V_SOC", "SOC", "SOC_A", "电池容量", "测试", "主副电", "序号"};
    for (std::size_t i = 0; i < kSocColumns; ++i) {
        EXPECT_STREQ(kSocListColumns[i], list[i]);
        EXPECT_STREQ(kSocExportColumns[i], file[i]);
    }
}
