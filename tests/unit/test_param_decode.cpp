// Row tables, request payloads and response decoders of the wake-up and
// thresholds page and the alarm and protection page.
#include "protocol/param_decode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;
using Values = std::vector<std::int64_t>;

const PageParamRow &WakeRow(int n)
{
    const PageParamRow *row = WakeupPageRows().Row(n);
    EXPECT_NE(row, nullptr) << n;
    return *row;
}

const PageParamRow &AlarmRow(int n)
{
    const PageParamRow *row = AlarmPageRows().Row(n);
    EXPECT_NE(row, nullptr) << n;
    return *row;
}

std::vector<int> ReadCodes(const ParamPageRows &page)
{
    std::vector<int> codes;
    for (int n : page.readOrder)
        codes.push_back(page.Row(n)->readCode);
    return codes;
}
} // namespace

TEST(ParamRows, IdsAreUniqueAndDistinctPerPage)
{
    for (const ParamPageRows *page : {&WakeupPageRows(), &AlarmPageRows()}) {
        std::set<int> chks, leds, edits;
        for (const PageParamRow &row : page->rows) {
            SCOPED_TRACE(row.label);
            EXPECT_TRUE(chks.insert(row.chkId).second);
            EXPECT_TRUE(leds.insert(row.ledId).second);
            ASSERT_GE(row.EditCount(), 1);
            EXPECT_LE(row.writtenEdits, row.EditCount());
            for (int i = 0; i < row.EditCount(); ++i)
                EXPECT_TRUE(edits.insert(row.editIds[i]).second) << row.editIds[i];
        }
        for (int id : chks) {
            EXPECT_EQ(leds.count(id), 0u) << id;
            EXPECT_EQ(edits.count(id), 0u) << id;
        }
        for (int id : leds)
            EXPECT_EQ(edits.count(id), 0u) << id;
    }
    EXPECT_EQ(WakeupPageRows().rows.size(), 21u);
    EXPECT_EQ(AlarmPageRows().rows.size(), 28u);
}

TEST(ParamRows, WalkOrders)
{
    EXPECT_EQ(ReadCodes(AlarmPageRows()),
              (std::vector<int>{0x41, 0x57, 0x59, 0x63, 0x79, 0x67, 0x71, 0x75, 0x35, 0x51, 0x0D, 0x37, 0x53, 0x1B,
                                0x39, 0x55, 0x61, 0x65, 0x0B, 0x69, 0x73, 0x77, 0x31, 0x47, 0x0F, 0x33, 0x49, 0x1D}));
    EXPECT_EQ(ReadCodes(WakeupPageRows()),
              (std::vector<int>{0x5A, 0x13, 0x15, 0x17, 0x19, 0x21, 0x3F, 0x23, 0x4D, 0x4F,
                                0x4B, 0x25, 0x3D, 0x3B, 0x27, 0x43, 0x2B, 0x29, 0x45, 0x1F}));
    const ParamPageRows &two = WakeupPageRows();
    ASSERT_EQ(two.writeOrder.size(), 21u);
    EXPECT_EQ(two.writeOrder.back(), 12);
    EXPECT_TRUE(two.Row(1)->ReadOnly());
    EXPECT_EQ(two.Row(12)->readCode, kNoCode);
    for (const PageParamRow &row : AlarmPageRows().rows)
        EXPECT_FALSE(row.ReadOnly()) << row.label;
}

// Every response the main window's class 0x82 and 0x85 handlers route to the
// two pages reaches the row of that label, with the length it must carry.
TEST(ParamRows, ResponsesFindTheirRow)
{
    struct Case {
        std::uint8_t cls;
        std::vector<std::uint8_t> codes;
        const char *label;
        int need;
    };
    const Case wake[] = {
        {0x82, {0x92, 0x93}, "无操作等待时间：", 3},
        {0x82, {0x94, 0x95}, "耗电更新时间：", 3},
        {0x82, {0x96, 0x97}, "待机定时唤醒检测：", 3},
        {0x82, {0x98, 0x99}, "按键唤醒时间：", 3},
        {0x82, {0x9E, 0x9F}, "放电MOS高温恢复：", 3},
        {0x82, {0xA0, 0xA1}, "预放电电容充电：", 3},
        {0x82, {0xA2, 0xA3}, "进入待机模式电压：", 3},
        {0x82, {0xA4, 0xA5}, "充放电电流上下阀值：", 9},
        {0x82, {0xA6, 0xA7}, "充电MOS高温报警：", 3},
        {0x82, {0xA8, 0xA9}, "放电MOS高温报警：", 3},
        {0x82, {0xAA, 0xAB}, "充电MOS高温恢复：", 3},
        {0x82, {0xBA, 0xBB}, "短路保护：", 5},
        {0x82, {0xBC, 0xBD}, "预放电短路保护：", 5},
        {0x82, {0xBE, 0xBF}, "温度探头个数：", 2},
        {0x82, {0xC2, 0xC3}, "充电MOS高温保护：", 3},
        {0x82, {0xC4, 0xC5}, "放电MOS高温保护：", 3},
        {0x82, {0xCC, 0xCD}, "均衡开启电压值：", 3},
        {0x82, {0xCE, 0xCF}, "均衡开启压差值：", 5},
        {0x82, {0xDA}, "唤醒方式：", 3},
        {0x85, {0x82}, "记录清除：", 2},
    };
    const Case alarm[] = {
        {0x82, {0x8A, 0x8B}, "单节过放恢复：", 3},   {0x82, {0x8C, 0x8D}, "充电高温恢复：", 3},
        {0x82, {0x8E, 0x8F}, "放电高温恢复：", 3},   {0x82, {0x9A, 0x9B}, "充电低温恢复：", 3},
        {0x82, {0x9C, 0x9D}, "放电低温恢复：", 3},   {0x82, {0xB0, 0xB1}, "放电高温报警：", 3},
        {0x82, {0xB2, 0xB3}, "放电低温报警：", 3},   {0x82, {0xB4, 0xB5}, "充电高温报警：", 3},
        {0x82, {0xB6, 0xB7}, "充电低温报警：", 3},   {0x82, {0xB8, 0xB9}, "放电过流报警：", 5},
        {0x82, {0xC0, 0xC1}, "充电过流报警：", 5},   {0x82, {0xC6, 0xC7}, "放电高温保护：", 3},
        {0x82, {0xC8, 0xC9}, "放电低温保护：", 3},   {0x82, {0xD0, 0xD1}, "充电高温保护：", 3},
        {0x82, {0xD2, 0xD3}, "充电低温保护：", 3},   {0x82, {0xD4, 0xD5}, "放电过流保护：", 5},
        {0x82, {0xD6, 0xD7}, "充电过流保护：", 5},   {0x82, {0xD8, 0xD9}, "单节过充报警：", 3},
        {0x82, {0xE0, 0xE1}, "单节过放报警：", 3},   {0x82, {0xE2, 0xE3}, "单节过充保护：", 3},
        {0x82, {0xE4, 0xE5}, "单节过放保护：", 3},   {0x82, {0xE6, 0xE7}, "总电压过充报警：", 5},
        {0x82, {0xE8, 0xE9}, "总电压过放报警：", 5}, {0x82, {0xF0, 0xF1}, "总电压过充保护：", 5},
        {0x82, {0xF2, 0xF3}, "总电压过放保护：", 5}, {0x82, {0xF4, 0xF5}, "总电压过充恢复：", 5},
        {0x82, {0xF6, 0xF7}, "总电压过放恢复：", 5}, {0x82, {0xF8, 0xF9}, "单节过充恢复：", 3},
    };
    auto check = [](const ParamPageRows &page, std::span<const Case> cases, std::size_t rowsRouted) {
        std::set<int> seen;
        for (const Case &c : cases)
            for (std::uint8_t code : c.codes) {
                SCOPED_TRACE(testing::Message() << std::hex << int(c.cls) << " " << int(code));
                const PageParamRow *row = page.RowByResponse(c.cls, code);
                ASSERT_NE(row, nullptr);
                EXPECT_STREQ(row->label, c.label);
                EXPECT_EQ(ResponseNeed(*row, code), c.need);
                seen.insert(row->number);
            }
        EXPECT_EQ(seen.size(), rowsRouted);
    };
    check(WakeupPageRows(), wake, 20);
    check(AlarmPageRows(), alarm, 28);
    // Row 11 tells its read answer from its write answer.
    EXPECT_EQ(ResponseNeed(WakeRow(11), 0xCB), 5);
    EXPECT_EQ(ResponseNeed(WakeRow(11), 0xCA), 3);
    // Neighbouring codes belong to no row of these pages.
    for (std::uint8_t code : {0xADu, 0xAEu, 0xAFu, 0xEDu, 0xEEu, 0xEFu, 0x81u, 0xDBu}) {
        EXPECT_EQ(WakeupPageRows().RowByResponse(0x82, code), nullptr) << int(code);
        EXPECT_EQ(AlarmPageRows().RowByResponse(0x82, code), nullptr) << int(code);
    }
    EXPECT_EQ(WakeupPageRows().RowByResponse(0x82, 0x82), nullptr); // record clearing is class 0x05
}

TEST(ParamPayload, GoldenRequests)
{
    struct Case {
        const char *name;
        const PageParamRow &row;
        Values values;
        Bytes payload;
    };
    const Case cases[] = {
        {"charge MOS alarm 150", WakeRow(16), {150}, {0x53, 0x02, 0x26, 0x02, 0x3A, 0x98}},
        {"charge over-current alarm 60000", AlarmRow(1), {60000}, {0x53, 0x02, 0x40, 0x04, 0x00, 0x00, 0xEA, 0x60}},
        {"discharge over-current alarm -5000", AlarmRow(15), {-5000}, {0x53, 0x02, 0x38, 0x04, 0xFF, 0xFF, 0xEC, 0x78}},
        {"cell over-voltage alarm 4200", AlarmRow(3), {4200}, {0x53, 0x02, 0x58, 0x02, 0x10, 0x68}},
        {"charge low-temperature protection -20", AlarmRow(13), {-20}, {0x53, 0x02, 0x52, 0x02, 0xF8, 0x30}},
        {"pack over-voltage alarm max", AlarmRow(6), {4294967295LL}, {0x53, 0x02, 0x66, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"probes 255", WakeRow(7), {255}, {0x53, 0x02, 0x3E, 0x01, 0xFF}},
        {"balancing difference", WakeRow(10), {30, 65535}, {0x53, 0x02, 0x4E, 0x04, 0x00, 0x1E, 0xFF, 0xFF}},
        {"cycle thresholds", WakeRow(11), {80, 20}, {0x53, 0x02, 0x4A, 0x02, 0x50, 0x14}},
        {"record clearing", WakeRow(12), {}, {0x53, 0x05, 0x02, 0x01, 0x00}},
        {"current thresholds",
         WakeRow(13),
         {1000, -1, -32768, 32767},
         {0x53, 0x02, 0x24, 0x08, 0x03, 0xE8, 0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF}},
        {"pre-discharge short circuit", WakeRow(14), {500, 300}, {0x53, 0x02, 0x3C, 0x04, 0x01, 0xF4, 0x01, 0x2C}},
        {"short circuit", WakeRow(15), {200, 250}, {0x53, 0x02, 0x3A, 0x04, 0x00, 0xC8, 0x00, 0xFA}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WritePayload(c.row, c.values), c.payload);
    }
    EXPECT_EQ(ReadPayload(WakeRow(1)), (Bytes{0x53, 0x02, 0x5A, 0x01, 0x00}));
    EXPECT_EQ(ReadPayload(AlarmRow(28)), (Bytes{0x53, 0x02, 0x1D, 0x01, 0x00}));
    EXPECT_TRUE(ReadPayload(WakeRow(12)).empty());
}

TEST(ParamPayload, RefusedValues)
{
    struct Case {
        const char *name;
        const PageParamRow &row;
        Values values;
    };
    const Case cases[] = {
        {"read-only wake-up", WakeRow(1), {1}},
        {"40000 as a signed 16-bit cell voltage", AlarmRow(3), {40000}},
        {"cycle threshold 101", WakeRow(11), {101, 20}},
        {"zero idle time", WakeRow(2), {0}},
        {"one value for a two-value row", WakeRow(10), {5}},
        {"negative pack voltage", AlarmRow(6), {-1}},
        // 400 degrees would travel as 40000 hundredths, which a signed 16-bit value cannot carry.
        {"temperature beyond the wire's range", AlarmRow(9), {400}},
        {"temperature below the wire's range", WakeRow(21), {-328}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(WritePayload(c.row, c.values).empty());
    }
    EXPECT_EQ(AlarmRow(9).min, -327);
    EXPECT_EQ(AlarmRow(9).max, 327);
    EXPECT_EQ(WritePayload(AlarmRow(9), Values{327}), (Bytes{0x53, 0x02, 0x34, 0x02, 0x7F, 0xBC}));
    EXPECT_EQ(WritePayload(AlarmRow(9), Values{-327}), (Bytes{0x53, 0x02, 0x34, 0x02, 0x80, 0x44}));
}

TEST(ParamDecode, RowTexts)
{
    using Texts = std::vector<std::string>;
    struct Case {
        const char *name;
        const PageParamRow &row;
        std::uint8_t code;
        Bytes data;
        std::optional<Texts> texts;
    };
    const Case cases[] = {
        {"cycle read", WakeRow(11), 0xCB, {0x00, 0x50, 0x14, 0x01, 0xF4}, Texts{"80", "20", "500"}},
        {"cycle write", WakeRow(11), 0xCA, {0x00, 0x50, 0x14}, Texts{"80", "20"}},
        {"cycle read cut short", WakeRow(11), 0xCB, {0x00, 0x50, 0x14}, std::nullopt},
        {"two values", WakeRow(10), 0xCF, {0x00, 0x00, 0x1E, 0xFF, 0xFF}, Texts{"30", "65535"}},
        {"two values short", WakeRow(15), 0xBB, {0x00, 0x00, 0x1E, 0xFF}, std::nullopt},
        {"currents",
         WakeRow(13),
         0xA5,
         {0x00, 0x03, 0xE8, 0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF},
         Texts{"1000", "-1", "-32768", "32767"}},
        {"currents short", WakeRow(13), 0xA4, {0x00, 0x03, 0xE8, 0xFF, 0xFF, 0x80, 0x00, 0x7F}, std::nullopt},
        {"wake-up by key", WakeRow(1), 0xDA, {0x00, 0x02, 0x00}, Texts{"按键唤醒"}},
        {"wake-up with two bits", WakeRow(1), 0xDA, {0x00, 0x03, 0x00}, Texts{"N/A_n2a"}},
        {"wake-up without value", WakeRow(1), 0xDA, {0x00}, std::nullopt},
        {"single value rows are the framework's", AlarmRow(1), 0xC1, {0x00, 0, 0, 0, 1}, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeRowTexts(c.row, c.code, c.data), c.texts);
    }
}

TEST(ParamDecode, WakeUpNamesAndTemperatures)
{
    const std::pair<std::uint8_t, const char *> names[] = {
        {0x01, "预放电唤醒"}, {0x02, "按键唤醒"}, {0x04, "充电器唤醒"}, {0x08, "通讯唤醒"},
        {0x10, "锁控唤醒"},   {0x20, "其他唤醒"}, {0x40, "充电电流"},   {0x80, "放电电流"},
        {0x00, "N/A_n2a"},    {0x03, "N/A_n2a"},  {0xFF, "N/A_n2a"},
    };
    for (auto [code, name] : names)
        EXPECT_STREQ(WakeUpName(code), name) << int(code);
    const std::pair<std::int16_t, int> temps[] = {
        {static_cast<std::int16_t>(0xF830), -20},
        {static_cast<std::int16_t>(0xFF6A), -1},
        {15000, 150},
        {199, 1},
        {-32768, -327},
        {0, 0},
    };
    for (auto [raw, shown] : temps)
        EXPECT_EQ(TemperatureShown(raw), shown) << raw;
}

// The factor an entered value takes on the wire follows the row's format: the
// temperature rows of both pages (wake-up 16..21, alarm 9..14 and 23..28) travel
// in hundredths, every other row as entered.
TEST(ParamRows, WireScaleFollowsTheFormat)
{
    const std::set<int> wakeTemps = {16, 17, 18, 19, 20, 21};
    const std::set<int> alarmTemps = {9, 10, 11, 12, 13, 14, 23, 24, 25, 26, 27, 28};
    const std::pair<const ParamPageRows *, const std::set<int> *> pages[] = {{&WakeupPageRows(), &wakeTemps},
                                                                             {&AlarmPageRows(), &alarmTemps}};
    for (auto [page, temps] : pages)
        for (const PageParamRow &row : page->rows)
            EXPECT_EQ(WireScale(row), temps->count(row.number) ? 100 : 1) << row.label;
}

TEST(ParamDecode, ValueKindWidths)
{
    const std::pair<std::uint16_t, int> widths[] = {
        {16, 1}, {17, 1}, {2, 2}, {18, 2}, {22, 4}, {23, 4}, {0, 0}, {3, 0}, {19, 0}, {0xFFFF, 0},
    };
    for (auto [kind, bytes] : widths)
        EXPECT_EQ(ValueKindBytes(static_cast<ValueKind>(kind)), bytes) << kind;
}

TEST(ParamDecode, FrameDataNeverPassesTheFrame)
{
    const Bytes frame = {0x4D, 0x53, 0x82, 0xCB, 0x05, 0x00, 0x50, 0x14, 0x01, 0xF4, 0x00, 0x00, 0x0D, 0x0A};
    EXPECT_EQ(FrameData(frame.data(), frame.size()).size(), 5u);
    // A length byte that promises more than the frame holds is cut to what is there.
    Bytes lying = frame;
    lying[4] = 0xFF;
    auto data = FrameData(lying.data(), 8);
    EXPECT_EQ(data.size(), 3u);
    EXPECT_FALSE(DecodeCycleThresholds(data, true).has_value());
    EXPECT_TRUE(FrameData(frame.data(), 4).empty());
    EXPECT_TRUE(FrameData(nullptr, 14).empty());
}

TEST(ParamRows, RowValuesAsTheRowsCarryThem)
{
    struct Case {
        const char *name;
        const PageParamRow &row;
        std::uint8_t code;
        Bytes data;
        std::optional<Values> values;
    };
    const Case cases[] = {
        {"VT_UI2", WakeRow(2), 0x93, {0, 0x12, 0x34}, Values{0x1234}},
        {"VT_UI1", WakeRow(7), 0xBF, {0, 0xC8}, Values{200}},
        {"VT_INT negative", AlarmRow(15), 0xB9, {0, 0xFF, 0xFF, 0xEC, 0x78}, Values{-5000}},
        {"VT_UINT top", AlarmRow(6), 0xE7, {0, 0xFF, 0xFF, 0xFF, 0xFF}, Values{4294967295LL}},
        {"VT_I2 negative", AlarmRow(3), 0xD9, {0, 0xFF, 0x38}, Values{-200}},
        {"temperature truncates", AlarmRow(13), 0xD3, {0, 0xFF, 0x6A}, Values{-1}},
        {"temperature", WakeRow(16), 0xA7, {0, 0x3A, 0x98}, Values{150}},
        {"two values", WakeRow(10), 0xCF, {0, 0, 20, 0, 8}, Values{20, 8}},
        {"cycle read", WakeRow(11), 0xCB, {0, 0x50, 0x14, 0x01, 0xF4}, Values{80, 20, 500}},
        {"cycle write", WakeRow(11), 0xCA, {0, 0x50, 0x14}, Values{80, 20}},
        {"currents", WakeRow(13), 0xA5, {0, 0, 1, 0xFF, 0xFF, 0, 3, 0x80, 0}, Values{1, -1, 3, -32768}},
        {"wake-up code", WakeRow(1), 0xDA, {0, 0x04, 0}, Values{4}},
        {"record clear", WakeRow(12), 0x82, {0, 1}, Values{1}},
        {"short value", AlarmRow(1), 0xC1, {0, 0, 0, 1}, std::nullopt},
        {"short pair", WakeRow(14), 0xBD, {0, 0, 1, 0}, std::nullopt},
        {"result code only", WakeRow(2), 0x93, {0}, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeRowValues(c.row, c.code, c.data), c.values);
    }
}
