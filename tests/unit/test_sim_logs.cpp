// The simulated board's event logs read through the tool's log decoders: the
// acknowledgement and the data frames, the seeded history, events the pack
// raises with the board clock's time, the paging of a long log, the empty log
// of the secondary board and the fault switches.
#include "protocol/battery_log.h"
#include "sim_board_fixture.h"

#include <algorithm>

namespace {
struct LogAnswer {
    SimFrame ack;
    std::vector<SimFrame> data;
    std::vector<BatteryLogRecord> records;
    std::vector<BatteryLogRow> rows; // from every data frame, in order
    bool allSingle = true;
};

class SimLogs : public SimBoardTest {
protected:
    LogAnswer Read(std::uint8_t kind, std::uint8_t link = kLinkMain)
    {
        LogAnswer a;
        std::vector<SimFrame> frames = Ask(LogRequestPayload(kind));
        std::erase_if(frames, [&](const SimFrame &f) { return f.link != link; });
        EXPECT_FALSE(frames.empty());
        if (frames.empty())
            return a;
        a.ack = frames[0];
        EXPECT_EQ(a.ack.cls, 0x83);
        EXPECT_EQ(a.ack.code, kLogAckCode);
        m_payloads.clear();
        for (std::size_t i = 1; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].cls, 0x83);
            EXPECT_EQ(frames[i].code, kLogDataCode);
            EXPECT_EQ(frames[i].data.at(0), 0);
            a.data.push_back(frames[i]);
            m_payloads.emplace_back(frames[i].Payload().begin(), frames[i].Payload().end());
        }
        for (const Bytes &payload : m_payloads) {
            std::optional<BatteryLogData> d = DecodeBatteryLogData(payload);
            EXPECT_TRUE(d);
            if (!d)
                continue;
            a.allSingle = a.allSingle && d->single;
            for (const BatteryLogRow &row : BatteryLogRows(kind, *d))
                a.rows.push_back(row);
            a.records.insert(a.records.end(), d->records.begin(), d->records.end());
        }
        return a;
    }

    std::vector<Bytes> m_payloads; // keeps the records' bytes alive
};
} // namespace

TEST_F(SimLogs, MainBoardStartsWithAMonthOfHistory)
{
    std::int64_t now = clock.ms / 1000 + options.clockOffsetSec;
    struct Case {
        int kind;
        std::size_t records;
    };
    for (Case c : {Case{2, 6}, Case{3, 4}, Case{0, 4}, Case{1, 3}}) {
        SCOPED_TRACE(c.kind);
        LogAnswer a = Read(static_cast<std::uint8_t>(c.kind));
        EXPECT_EQ(a.ack.data, Bytes{0x00});
        ASSERT_EQ(a.records.size(), c.records);
        EXPECT_TRUE(
            std::is_sorted(a.records.begin(), a.records.end(),
                           [](const BatteryLogRecord &x, const BatteryLogRecord &y) { return x.time < y.time; }));
        for (const BatteryLogRecord &r : a.records) {
            EXPECT_LE(r.time, now - 86400);
            EXPECT_GE(r.time, now - 30 * 86400);
            EXPECT_NE(r.flags, 0u);
        }
        // Every record of the alarm and protection logs names its events.
        if (c.kind >= 2) {
            EXPECT_EQ(a.rows.size(), c.records);
            for (const BatteryLogRow &row : a.rows)
                EXPECT_FALSE(row.names.empty());
        }
    }
}

TEST_F(SimLogs, SurgesAddAlarmRecordsAtTheBoardClock)
{
    options.clockOffsetSec = -660;
    std::size_t before = Read(kLogAlarm).records.size();
    std::int64_t start = clock.ms;
    Pass(400 * 1000); // two and a half rounds of charge and discharge
    LogAnswer a = Read(kLogAlarm);
    ASSERT_GE(a.records.size(), before + 2);
    std::vector<const BatteryLogRow *> fresh;
    for (const BatteryLogRow &row : a.rows)
        if (row.time >= start / 1000 - 660)
            fresh.push_back(&row);
    ASSERT_GE(fresh.size(), 2u);
    for (const BatteryLogRow *row : fresh) {
        EXPECT_LE(row->time, clock.ms / 1000 - 660);
        EXPECT_EQ(JoinLogNames(row->names), "放电过流报警");
        EXPECT_EQ(row->flags, 1u << 11);
    }
    // The discharge surges come one routine of a filling pack (180 s) apart.
    EXPECT_NEAR(static_cast<double>(fresh[1]->time - fresh[0]->time), 180.0, 2.0);
}

TEST_F(SimLogs, StandbyChangesGoToTheSleepLog)
{
    std::size_t before = Read(kLogSleep).records.size();
    Pass(170 * 1000);
    LogAnswer a = Read(kLogSleep);
    ASSERT_GE(a.records.size(), before + 3);
    for (std::size_t i = before; i < a.records.size(); ++i)
        EXPECT_TRUE(a.records[i].flags == 1u || a.records[i].flags == 2u);
}

TEST_F(SimLogs, LongLogComesInFramesOfFourRecords)
{
    Pass(2200 * 1000, 2000);
    LogAnswer a = Read(kLogAlarm);
    ASSERT_EQ(a.records.size(), 16u); // the request asks for sixteen
    ASSERT_EQ(a.data.size(), 4u);
    for (std::size_t i = 0; i < a.data.size(); ++i) {
        EXPECT_EQ(a.data[i].data.size(), 4u + 4 * kLogRecordBytes);
        EXPECT_EQ(a.data[i].data[1], 4);     // packets
        EXPECT_EQ(a.data[i].data[2], i + 1); // this packet
        EXPECT_EQ(a.data[i].data[3], 4);     // records in it
    }
    EXPECT_FALSE(a.allSingle);
    // Asking for every record gives more.
    Bytes all = LogRequestPayload(kLogAlarm);
    all[5] = 0;
    std::vector<SimFrame> frames = Ask(all);
    EXPECT_GT(frames.size(), 5u);
}

TEST_F(SimLogs, EmptyLogAnswersOneRecordWithoutEvents)
{
    options.secondary = true;
    options.clockOffsetSec = 0;
    LogAnswer a = Read(kLogAlarm, kLinkSecondary);
    ASSERT_EQ(a.records.size(), 1u);
    EXPECT_TRUE(a.allSingle);
    ASSERT_EQ(a.rows.size(), 1u);
    EXPECT_EQ(BatteryLogRowContent(a.rows[0], kLogAlarm), "告警日志返回全部正常");
    EXPECT_NEAR(a.rows[0].time, clock.ms / 1000, 1);
    // The main board answers the same request first, from its own log.
    EXPECT_EQ(Read(kLogAlarm, kLinkMain).records.size(), 6u);
}

TEST_F(SimLogs, SwitchesAndBadRequests)
{
    {
        options.noLog = true;
        std::vector<SimFrame> frames = Ask(LogRequestPayload(kLogAlarm));
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].code, kLogAckCode);
        EXPECT_EQ(frames[0].data, Bytes{0x00});
    }
    m_board.reset();
    options = {};
    options.logResultCode = 0x07;
    std::vector<SimFrame> refused = Ask(LogRequestPayload(kLogProtection));
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].data, Bytes{0x07});

    m_board.reset();
    options = {};
    EXPECT_EQ(Ask(LogRequestPayload(4)).at(0).data, Bytes{kResultBadValue});
    EXPECT_EQ(Ask({0x53, 0x03, 0x50, 0x01, 0x02}).at(0).data, Bytes{kResultBadLength});
}
