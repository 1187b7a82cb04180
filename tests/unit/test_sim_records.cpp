// The simulated board's stored records read through the tool's record
// decoder: a few older records at the start, a snapshot a minute of pack
// time, eleven records to a frame, values that agree with the pack.
#include "protocol/battery_record.h"
#include "sim_board_fixture.h"

namespace {
class SimRecords : public SimBoardTest {
protected:
    std::vector<BatteryRecord> Read(std::size_t *frames = nullptr)
    {
        std::vector<SimFrame> answer = Ask(RecordReadPayload());
        std::vector<BatteryRecord> records;
        for (const SimFrame &f : answer) {
            EXPECT_EQ(f.cls, 0x85);
            EXPECT_EQ(f.code, 0x81);
            EXPECT_EQ(f.data.at(0), 0);
            if (f.data.size() == 1)
                continue;
            auto decoded = DecodeBatteryRecords(f.Payload());
            EXPECT_TRUE(decoded);
            if (decoded) {
                EXPECT_LE(decoded->size(), 11u);
                records.insert(records.end(), decoded->begin(), decoded->end());
            }
        }
        if (frames)
            *frames = answer.size();
        return records;
    }
};
} // namespace

TEST_F(SimRecords, OlderRecordsAtTheStart)
{
    std::vector<BatteryRecord> r = Read();
    ASSERT_EQ(r.size(), 5u);
    for (std::size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].number, i + 1);
        EXPECT_GE(r[i].maxCellMv, r[i].minCellMv);
        EXPECT_LE(r[i].soc, 100);
        EXPECT_GT(r[i].totalMv, 16 * 2500);
    }
}

TEST_F(SimRecords, ASnapshotEveryMinuteOfPackTimeAndFramesOfEleven)
{
    options.speed = 10;
    Pass(70 * 1000); // 700 s of pack time
    std::size_t frames = 0;
    std::vector<BatteryRecord> r = Read(&frames);
    ASSERT_GE(r.size(), 5u + 11u);
    EXPECT_EQ(frames, (r.size() + 10) / 11);
    for (std::size_t i = 1; i < r.size(); ++i)
        EXPECT_EQ(r[i].number, r[i - 1].number + 1);
    // The texts of a live snapshot: temperatures in whole degrees, the MOS state.
    std::array<std::string, kRecordColumns> t = BatteryRecordTexts(r.back());
    EXPECT_NE(t[5].find(" ℃"), std::string::npos);
    const PackModel &pack = Board().Main().pack;
    EXPECT_NEAR(r.back().soc, pack.Soc(), 2);
}

TEST_F(SimRecords, SecondaryBoardAnswersFromItsOwnEmptyStore)
{
    options.secondary = true;
    std::vector<SimFrame> answer = Ask(RecordReadPayload());
    ASSERT_GE(answer.size(), 2u);
    EXPECT_EQ(answer.front().link, kLinkMain);
    const SimFrame &second = answer.back();
    EXPECT_EQ(second.link, kLinkSecondary);
    EXPECT_EQ(second.data, Bytes{0x00}); // nothing stored yet
    EXPECT_EQ(Ask({0x53, 0x05, 0x01, 0x02, 0x00, 0x00}).at(0).data, Bytes{kResultBadLength});
}
