// Event log answers: request bytes, record layout, the event names of the
// alarm and protection logs, the name and content limits, the single-record
// rules and the event time in the computer's time zone.
#include "protocol/battery_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

// A 52-byte record: time and flags little-endian, the bytes between them numbered.
Bytes Record(std::uint32_t time, std::uint32_t flags)
{
    Bytes r(kLogRecordBytes);
    for (std::size_t i = 4; i < 48; ++i)
        r[i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 4; ++i) {
        r[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(time >> (8 * i));
        r[48 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(flags >> (8 * i));
    }
    return r;
}

// Payload of a data answer: packet count, two bytes, the records.
Bytes Payload(std::uint8_t packets, const std::vector<Bytes> &records)
{
    Bytes p{packets, 0x00, 0x01};
    for (const Bytes &r : records)
        p.insert(p.end(), r.begin(), r.end());
    return p;
}

std::vector<std::string> Contents(int kind, const Bytes &payload)
{
    std::optional<BatteryLogData> data = DecodeBatteryLogData(payload);
    std::vector<std::string> out;
    if (!data)
        return out;
    for (const BatteryLogRow &row : BatteryLogRows(kind, *data))
        out.push_back(BatteryLogRowContent(row, kind));
    return out;
}

class ChinaTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *tz = std::getenv("TZ");
        m_saved = tz ? tz : "";
        m_had = tz != nullptr;
        setenv("TZ", "CST-8", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_had)
            setenv("TZ", m_saved.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string m_saved;
    bool m_had = false;
};
} // namespace

TEST(BatteryLog, RequestOfEachKind)
{
    for (std::uint8_t kind = 0; kind < 4; ++kind) {
        Bytes expected{0x53, 0x03, 0x50, 0x0A, kind, 0x10, 0, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(LogRequestPayload(kind), expected);
    }
}

TEST(BatteryLog, KindNames)
{
    const char *expected[] = {"休眠唤醒", "常规日志", "告警日志", "保护日志"};
    for (int k = 0; k < 4; ++k)
        EXPECT_STREQ(LogKindName(k), expected[k]);
    EXPECT_EQ(LogKindName(4), nullptr);
    EXPECT_EQ(LogKindName(-1), nullptr);
}

TEST(BatteryLog, PayloadLengthsThatHoldWholeRecords)
{
    struct Case {
        std::size_t payload;
        std::optional<std::size_t> records;
    };
    const Case cases[] = {{0, std::nullopt}, {2, std::nullopt},  {3, 0},   {4, std::nullopt}, {54, std::nullopt},
                          {55, 1},           {56, std::nullopt}, {107, 2}, {159, 3},          {211, 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.payload);
        Bytes p(c.payload, 0x00);
        std::optional<BatteryLogData> d = DecodeBatteryLogData(p);
        ASSERT_EQ(d.has_value(), c.records.has_value());
        if (d) {
            EXPECT_EQ(d->records.size(), *c.records);
        }
    }
}

TEST(BatteryLog, RecordTimeAndFlagsAreLittleEndian)
{
    Bytes p = Payload(1, {Record(0x60000000u, 0x80402001u)});
    std::optional<BatteryLogData> d = DecodeBatteryLogData(p);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->records.size(), 1u);
    EXPECT_EQ(d->records[0].time, 1610612736);
    EXPECT_EQ(d->records[0].flags, 0x80402001u);
    EXPECT_EQ(d->records[0].bytes.data(), p.data() + 3);
    // A time with the top bit set is negative.
    Bytes neg = Payload(2, {Record(0xFFFFFFF6u, 0)});
    EXPECT_EQ(DecodeBatteryLogData(neg)->records[0].time, -10);
}

TEST(BatteryLog, SingleRecordAnswerNeedsOnePacketAndOneRecord)
{
    EXPECT_TRUE(DecodeBatteryLogData(Payload(1, {Record(1, 0)}))->single);
    EXPECT_FALSE(DecodeBatteryLogData(Payload(2, {Record(1, 0)}))->single);
    EXPECT_FALSE(DecodeBatteryLogData(Payload(0, {Record(1, 0)}))->single);
    EXPECT_FALSE(DecodeBatteryLogData(Payload(1, {Record(1, 0), Record(2, 0)}))->single);
    EXPECT_FALSE(DecodeBatteryLogData(Payload(1, {}))->single);
}

TEST(BatteryLog, EveryNamedBitOfBothTables)
{
    // Bits 0-21 of the alarm log and 0-30 of the protection log carry names.
    for (int bit = 0; bit < 32; ++bit) {
        SCOPED_TRACE(bit);
        EXPECT_EQ(LogEventName(kLogAlarm, bit) != nullptr, bit <= 21);
        EXPECT_EQ(LogEventName(kLogProtection, bit) != nullptr, bit <= 30);
        EXPECT_EQ(LogEventName(kLogSleep, bit), nullptr);
    }
    struct Case {
        int kind, bit;
        const char *name;
    };
    const Case cases[] = {
        {2, 0, "单节过充报警"},
        {2, 12, "电芯不平衡(开启均衡)"},
        {2, 13, "温差过大"},
        {2, 18, "充电器电压过低 充电器最高电压 < 电池包过充电压"},
        {2, 21, "充电器电流过高 充电器最小电流 > 电池包充电过流"},
        {3, 2, "包充电过流保护"},
        {3, 4, "充电低温保护"},
        {3, 5, "充电高温保护"},
        {3, 11, "其他"},
        {3, 14, "系统校准中(电压、电流、稳定等)"},
        {3, 15, "SOC学习阶段 0非学习阶段 1学习阶段"},
        {3, 17, "电压低于 XX V"},
        {3, 24, "温差过大"},
        {3, 30, "并包错误 压差过大或者不满足并包条件"},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(LogEventName(c.kind, c.bit), c.name);
}

TEST(BatteryLog, ContentOfFlagsInBitOrder)
{
    struct Case {
        int kind;
        std::uint32_t flags;
        const char *content;
    };
    const Case cases[] = {
        {2, (1u << 0) | (1u << 13), "单节过充报警|温差过大"},
        {2, 1u << 11, "放电过流报警"},
        {3, (1u << 3) | (1u << 8), "包放电过流保护|短路保护"},
        {3, (1u << 19) | (1u << 20), "软件计算过充保护|软件计算过放保护"},
        // Bits without names are skipped.
        {2, (1u << 1) | (1u << 22) | (1u << 31), "单节过放报警"},
        {3, (1u << 31) | (1u << 30), "并包错误 压差过大或者不满足并包条件"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(Contents(c.kind, Payload(2, {Record(100, c.flags)})), std::vector<std::string>{c.content});
    }
}

TEST(BatteryLog, NameLimitDropsRecordsOfMultiRecordAnswers)
{
    // Three names make a row; a fourth drops the record; unnamed bits do not count.
    Bytes three = Record(10, 0x7);
    Bytes four = Record(20, 0xF);
    Bytes threeNamed = Record(30, 0x7u | (1u << 25) | (1u << 30));
    std::vector<std::string> rows = Contents(kLogAlarm, Payload(2, {three, four, threeNamed}));
    EXPECT_EQ(rows, (std::vector<std::string>{"单节过充报警|单节过放报警|总电压过充报警",
                                              "单节过充报警|单节过放报警|总电压过充报警"}));
    std::optional<BatteryLogData> d = DecodeBatteryLogData(Payload(2, {three, four, threeNamed}));
    std::vector<BatteryLogRow> r = BatteryLogRows(kLogAlarm, *d);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].record, 0u);
    EXPECT_EQ(r[1].record, 2u);
    EXPECT_EQ(r[1].time, 30);
}

TEST(BatteryLog, AllFlagsOfAnAlarmRecord)
{
    // FF FF FF FF counts 22 alarm names.
    EXPECT_EQ(LogEventNames(kLogAlarm, 0xFFFFFFFFu).counted, 22);
    EXPECT_EQ(LogEventNames(kLogProtection, 0xFFFFFFFFu).counted, 31);
    // Two records: such a record gives no row, the other one does.
    EXPECT_EQ(Contents(kLogAlarm, Payload(1, {Record(1, 0xFFFFFFFFu), Record(2, 1u << 16)})),
              std::vector<std::string>{"低电量报警"});
    // Alone in its answer it is shown as not valid, never as "all normal".
    std::optional<BatteryLogData> d = DecodeBatteryLogData(Payload(1, {Record(1, 0xFFFFFFFFu)}));
    std::vector<BatteryLogRow> rows = BatteryLogRows(kLogAlarm, *d);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].kind, BatteryLogRowKind::Invalid);
    EXPECT_EQ(BatteryLogRowContent(rows[0], kLogAlarm), "无效日志记录：事件标志 0xFFFFFFFF");
}

TEST(BatteryLog, RecordWithoutEvents)
{
    struct Case {
        int kind;
        std::uint8_t packets;
        int records;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {kLogAlarm, 1, 1, {"告警日志返回全部正常"}},
        {kLogProtection, 1, 1, {"保护日志返回全部正常"}},
        {kLogSleep, 1, 1, {}},
        {kLogRegular, 1, 1, {}},
        {kLogAlarm, 2, 1, {}},
        {kLogAlarm, 1, 2, {}},
        {kLogProtection, 3, 2, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << int(c.packets) << " " << c.records);
        std::vector<Bytes> records(static_cast<std::size_t>(c.records), Record(5, 0));
        EXPECT_EQ(Contents(c.kind, Payload(c.packets, records)), c.rows);
    }
}

TEST(BatteryLog, LogsWithoutTablesNameEveryBitUnknownWithoutCounting)
{
    for (int kind : {int(kLogSleep), int(kLogRegular), 7}) {
        BatteryLogEvents e = LogEventNames(kind, 0x8000000Fu);
        EXPECT_EQ(e.names.size(), 5u);
        EXPECT_EQ(e.counted, 0);
        // Five unknown events are not "more than three": the row stays.
        std::vector<std::string> rows = Contents(kind, Payload(2, {Record(1, 0x8000000Fu)}));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0], "未知告警信息|未知告警信息|未知告警信息|未知告警信息|未知告警信息");
    }
}

TEST(BatteryLog, ContentLimitStopsBeforeANameThatWouldReachIt)
{
    const std::string two = std::string("单节过充报警") + "|" + "单节过放报警";
    struct Case {
        std::size_t limit;
        std::size_t names;
    };
    const Case cases[] = {
        {two.size() + 1, 2},
        {two.size(), 1}, // would reach the limit exactly
        {std::string("单节过充报警").size() + 1, 1},
        {std::string("单节过充报警").size(), 0},
        {0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(LogEventNames(kLogAlarm, 0x3, c.limit).names.size(), c.names);
    }
    // The real limit is never near for the tables' names.
    EXPECT_EQ(LogEventNames(kLogProtection, 0xFFFFFFFFu).names.size(), 31u);
}

TEST_F(ChinaTime, EventTimeInLocalTime)
{
    struct Case {
        std::int64_t seconds;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {1610612736, "2021-01-14 16:25:36"}, {0, "1970-01-01 08:00:00"},
        {2147483647, "2038-01-19 11:14:07"}, {-1, std::nullopt},
        {-2147483648LL, std::nullopt},       {32503679999LL, "3000-01-01 07:59:59"},
        {32503680000LL, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(LogTimeText(c.seconds), c.text);
    }
}

TEST_F(ChinaTime, TraceOfAnAnswer)
{
    Bytes p = Payload(2, {Record(0x60000000u, 0x2001u), Record(7, 0xFFFFFFFFu)});
    std::string trace = LogDataTrace(p, kLogAlarm);
    const char *lines[] = {
        "contLen：108\n",
        "count：2\n",
        "index：0\n",
        "时间数据:60 00 00 00 \n",
        "时间数据:1610612736 \n",
        "北京时间：2021-01-14 16:25:36\n",
        "byte49-50的数据:01 20 \n",
        "byte51-52的数据:00 00 \n",
        "index：1\n",
        "byte51-52的数据:FF FF \n",
        "发生次数超过并且包个数不为1 \n",
    };
    std::size_t at = 0;
    for (const char *line : lines) {
        std::size_t found = trace.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        at = found;
    }
    // A payload that is not whole records traces only its length.
    EXPECT_EQ(LogDataTrace(Bytes(56, 0), kLogAlarm), "contLen：57\n");
}
