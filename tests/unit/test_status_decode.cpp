// Decoders of the live status answers: texts, scales, ties and short payloads.
#include "protocol/status_decode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Vec = std::vector<std::uint8_t>;
StatusBytes B(const Vec &v)
{
    return StatusBytes(v.data(), v.size());
}
} // namespace

TEST(StatusDecode, SnText)
{
    struct Case {
        Vec bytes;
        std::string text;
    };
    Vec long16(16, 'A');
    Vec endAt16 = long16;
    endAt16.insert(endAt16.end(), {0x00, 'Z'});
    Vec zeroAt15(15, 'B');
    zeroAt15.insert(zeroAt15.end(), {0x00, 'Z'});
    const Case cases[] = {
        {{0x41, 0x42, 0x00, 0x43}, "AB0C"},
        {endAt16, std::string(16, 'A')},
        {zeroAt15, std::string(15, 'B') + "0Z"},
        {{0x20, 0x7F, 0x7E, 0x21}, "00~!"},
        {{}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeSnText(B(c.bytes)), c.text);
}

TEST(StatusDecode, Versions)
{
    Vec v{1, 2, 3, 255, 0, 10};
    auto r = DecodeVersions(B(v));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->software, "V1.2.3");
    EXPECT_EQ(r->hardware, "V255.0.10");
    Vec shortV{1, 2, 3, 4, 5};
    EXPECT_FALSE(DecodeVersions(B(shortV)));
}

TEST(StatusDecode, CellSummaryTiesGoToTheLaterCell)
{
    Vec v{0x0C, 0xE4, 0x0C, 0xEE, 0x0C, 0xEE, 0x0C, 0xDA}; // 3300 3310 3310 3290
    CellSummary s = DecodeCells(B(v));
    EXPECT_EQ(s.cells, (std::vector<std::uint16_t>{3300, 3310, 3310, 3290}));
    EXPECT_EQ(s.lowest, 3290);
    EXPECT_EQ(s.lowestCell, 4);
    EXPECT_EQ(s.highest, 3310);
    EXPECT_EQ(s.highestCell, 3);
    EXPECT_EQ(s.difference, 20);
    auto rows = CellSummaryRows(s);
    EXPECT_EQ(rows[0][0], "4");
    EXPECT_EQ(rows[0][1], "单节最小电压 3290");
    EXPECT_EQ(rows[1][0], "3");
    EXPECT_EQ(rows[1][1], "单节最大电压 3310");
    EXPECT_EQ(rows[2][0], "");
    EXPECT_EQ(rows[2][1], "单节最大压差 20");

    Vec equal{0x0C, 0xE4, 0x0C, 0xE4, 0x0C}; // two equal cells and an odd byte
    s = DecodeCells(B(equal));
    EXPECT_EQ(s.cells.size(), 2u);
    EXPECT_TRUE(s.oddTail);
    EXPECT_EQ(s.lowestCell, 2);
    EXPECT_EQ(s.highestCell, 2);

    s = DecodeCells(B(Vec{0x07}));
    EXPECT_TRUE(s.cells.empty());
    rows = CellSummaryRows(s);
    EXPECT_EQ(rows[0][0], "");
    EXPECT_EQ(rows[0][1], "单节最小电压 0");
    EXPECT_EQ(rows[2][1], "单节最大压差 0");
}

TEST(StatusDecode, CurrentSignAndState)
{
    struct Case {
        std::uint16_t raw;
        int ma;
        const char *state;
    };
    const Case cases[] = {
        {0xFFFF, -10, "放电"}, {0, 0, "待机"}, {21, 210, "充电"}, {20, 200, "充电"}, {0x8000, -327680, "放电"}};
    for (const Case &c : cases) {
        Vec v{0x14, 0x82, 0xAA, 0xBB, static_cast<std::uint8_t>(c.raw >> 8), static_cast<std::uint8_t>(c.raw)};
        PowerReading r = DecodePower(B(v));
        ASSERT_TRUE(r.voltageMv);
        EXPECT_EQ(*r.voltageMv, 52500u); // 0x1482 = 5250, in 10 mV
        ASSERT_TRUE(r.currentMa);
        EXPECT_EQ(*r.currentMa, c.ma);
        EXPECT_STREQ(CurrentStateText(*r.currentMa), c.state);
        EXPECT_TRUE(r.temps.empty());
    }
}

TEST(StatusDecode, PowerShortPayloads)
{
    PowerReading r = DecodePower(B(Vec{0x00}));
    EXPECT_FALSE(r.voltageMv);
    EXPECT_FALSE(r.currentMa);
    r = DecodePower(B(Vec{0x00, 0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(*r.voltageMv, 10u);
    EXPECT_FALSE(r.currentMa);
    EXPECT_TRUE(r.temps.empty());
}

TEST(StatusDecode, TemperaturesLeaveTheLastProbeOutOfTheHighest)
{
    // 25.0 24.5 24.5 40.0 and an odd byte
    Vec v{0, 0, 0, 0, 0, 0, 0x00, 0xFA, 0x00, 0xF5, 0x00, 0xF5, 0x01, 0x90, 0x33};
    PowerReading r = DecodePower(B(v));
    EXPECT_EQ(r.temps, (std::vector<std::int16_t>{250, 245, 245, 400}));
    EXPECT_TRUE(r.oddTail);
    EXPECT_EQ(r.lowest, 245);
    EXPECT_EQ(r.lowestProbe, 2);
    EXPECT_EQ(r.highest, 250);
    EXPECT_EQ(r.highestProbe, 1);
    EXPECT_EQ(TenthsText(r.highest - r.lowest), "0.5");
    EXPECT_EQ(TenthsText(r.temps[1]), "24.5");

    PowerReading one = DecodePower(B(Vec{0, 0, 0, 0, 0, 0, 0xFF, 0x9C}));
    EXPECT_EQ(one.highestProbe, 1);
    EXPECT_EQ(one.lowestProbe, 1);
    EXPECT_EQ(TenthsText(one.highest), "-10.0");
    PowerReading none = DecodePower(B(Vec{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(none.highestProbe, 0);
    EXPECT_EQ(none.lowestProbe, 0);
}

TEST(StatusDecode, ExtremesWithTheirScales)
{
    Vec v{0x0E, 0x10, 7,    0x0B, 0xB8, 12,   0x01, 0x2C, 0x00, 0x64,
          0x14, 0x82, 0xFF, 0x9C, 0xFF, 0x38, 0x00, 0x30, 0x12, 0x34};
    auto rows = DecodeExtremes(B(v));
    const char *want[] = {"3600", "7", "3000", "12", "3000", "1000", "52500", "-10.0", "-20.0", "48", "4660"};
    for (std::size_t i = 0; i < kExtremeRows; ++i) {
        ASSERT_TRUE(rows[i]) << i;
        EXPECT_EQ(*rows[i], want[i]) << kExtremeRowNames[i];
    }
    EXPECT_STREQ(kExtremeRowNames[7], "历史最高温度 (℃)");
    // A short block fills only the rows whose bytes are there.
    auto part = DecodeExtremes(B(Vec(v.begin(), v.begin() + 13)));
    EXPECT_TRUE(part[6]);
    EXPECT_FALSE(part[7]);
    EXPECT_FALSE(part[10]);
}

TEST(StatusDecode, BalancingRowsInWireOrder)
{
    std::uint32_t bits = DecodeBalancing(B(Vec{0x01, 0x00, 0x00, 0x00}));
    int rows = BalancingRowCount(19);
    ASSERT_EQ(rows, 19);
    EXPECT_STREQ(BalancingText(bits & 1), "开");
    for (int r = 1; r < rows; ++r)
        EXPECT_STREQ(BalancingText((bits >> r) & 1), "关") << r;
    EXPECT_EQ(DecodeBalancing(B(Vec{0x00, 0x80, 0x00, 0x01})), (1u << 15) | (1u << 24));
    EXPECT_EQ(DecodeBalancing(B(Vec{0x05})), 0x05u); // a one-byte block: cells 1 and 3
    EXPECT_EQ(BalancingRowCount(40), 32);
}

TEST(StatusDecode, ProtectionAndAlarmNames)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(ProtectionNames(B(Vec{0x00, 0x00, 0x20})), (Names{"N/A_n2a"}));
    EXPECT_EQ(ProtectionNames(B(Vec{0x00, 0x00, 0x00})), (Names{"无"}));
    EXPECT_EQ(ProtectionNames(B(Vec{0x81, 0x10, 0x10})),
              (Names{"过充保护", "放电高温保护", "放电过流保护（软件）", "总电压过放"}));
    EXPECT_EQ(AlarmNames(B(Vec{0x00, 0x08})), (Names{"放电过流报警"}));
    EXPECT_EQ(AlarmNames(B(Vec{0x01, 0x10})), (Names{"单节过充报警", "N/A_n2a"}));
    EXPECT_EQ(AlarmNames(B(Vec{})), (Names{"无"}));
}

TEST(StatusDecode, ProductionDateValidation)
{
    struct Case {
        Vec bytes;
        bool ok;
    };
    const Case cases[] = {{{24, 2, 29}, true},  {{23, 2, 29}, false}, {{25, 12, 31}, true},
                          {{25, 13, 1}, false}, {{25, 0, 1}, false},  {{25, 1, 0}, false},
                          {{25, 4, 31}, false}, {{25, 1, 32}, false}, {{25, 1}, false}};
    for (const Case &c : cases)
        EXPECT_EQ(DecodeProductionDate(B(c.bytes)).has_value(), c.ok) << int(c.bytes[0]) << "-" << int(c.bytes[1]);
    auto d = DecodeProductionDate(B(Vec{255, 6, 15}));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->year, 2255);
}

TEST(StatusDecode, CapacitiesByDataLength)
{
    struct Case {
        Vec payload;
        bool ok;
        const char *text;
    };
    const Case cases[] = {{{0x00, 0x64, 0x00, 0x0A}, true, "1000"},
                          {{0x00, 0x64}, true, "100"},
                          {{0x00, 0x64, 0x00}, false, "Len:4, Need:4"},
                          {{0xFF, 0xFF, 0x00, 0xFF}, true, "16711425"},
                          {{}, false, "Len:1, Need:4"}};
    for (const Case &c : cases) {
        CapacityText t = DecodeCapacity(B(c.payload), static_cast<int>(c.payload.size()) + 1);
        EXPECT_EQ(t.ok, c.ok);
        EXPECT_EQ(t.text, c.text);
    }
    EXPECT_EQ(DecodeFullCapacityBlock(B(Vec{0x4E, 0x20, 0x00, 0x0A})), 20000);
    EXPECT_FALSE(DecodeFullCapacityBlock(B(Vec{0x4E})));
}

TEST(StatusDecode, SmallItems)
{
    auto mos = DecodeMos(B(Vec{0x05}));
    ASSERT_TRUE(mos);
    EXPECT_TRUE(mos->charge);
    EXPECT_FALSE(mos->discharge);
    EXPECT_TRUE(mos->preDischarge);
    EXPECT_FALSE(DecodeMos(B(Vec{})));
    EXPECT_EQ(DecodeSoc(B(Vec{87, 99}))->soc, 87);
    EXPECT_EQ(DecodeSoc(B(Vec{87, 99}))->soh, 99);
    EXPECT_FALSE(DecodeSoc(B(Vec{87})));
    EXPECT_EQ(DecodeCycles(B(Vec{0x01, 0x2C})), 300);
    EXPECT_EQ(DecodeProbeCount(B(Vec{4})), 4);
    EXPECT_EQ(StatusNeededLength(0x87), 21);
    EXPECT_EQ(StatusNeededLength(0x85), 0);
    EXPECT_EQ(StatusNeededLength(0xA0), 4);
}

TEST(StatusDecode, SocImageIndexAndAnimationWrap)
{
    struct Case {
        int soc;
        int index;
    };
    const Case cases[] = {{100, 10}, {255, 10}, {9, 0}, {10, 1}, {0, 0}, {99, 9}, {19, 1}};
    for (const Case &c : cases)
        EXPECT_EQ(SocImageIndex(static_cast<std::uint8_t>(c.soc)), c.index) << c.soc;
    std::vector<int> frames;
    int next = 0;
    for (int i = 0; i < 13; ++i) {
        int k = AnimationImageIndex(next);
        frames.push_back(k);
        next = k + 1;
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1}));
}

TEST(StatusDecode, RequestOrder)
{
    const std::uint8_t want[] = {0x02, 0x22, 0x09, 0x18, 0x11, 0x19, 0x23, 0x24,
                                 0x06, 0x20, 0x01, 0x14, 0x05, 0x08, 0x07};
    EXPECT_TRUE(std::equal(std::begin(want), std::end(want), kStatusRequestOrder.begin()));
}
