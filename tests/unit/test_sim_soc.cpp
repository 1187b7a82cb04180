// The simulated board's SOC learning read through the tool's decoders: the
// configuration it stores and answers, the start and stop acknowledgements,
// learning records sent by themselves every upload interval through the
// configured stages to "SOC学习完毕", and the failure switch.
#include "protocol/soc_learning.h"
#include "sim_board_fixture.h"

namespace {
class SimSoc : public SimBoardTest {
protected:
    SocConfig Config(int start, int end, int upload)
    {
        SocConfig c;
        c.startMv = 3400;
        c.endMv = 2900;
        c.startStage = static_cast<std::uint8_t>(start);
        c.endStage = static_cast<std::uint8_t>(end);
        c.uploadSec = upload;
        c.precision = 5;
        c.fullCurrentMa = 500;
        c.standardMa = 5000;
        c.allowedErrorMv = 50;
        c.irStep = 5;
        c.irIndex = 2;
        c.chargeMa = 20000;
        c.dischargeMa = 20000;
        return c;
    }

    // Records sent by the board until it stops sending, polled every step.
    std::vector<SimFrame> Collect(std::int64_t step, int limit = 200)
    {
        std::vector<SimFrame> records;
        for (int i = 0; i < limit && Board().NextDueMs(); ++i) {
            clock.ms = *Board().NextDueMs();
            for (const SimFrame &f : TakeApart(Board().Poll()))
                records.push_back(f);
            clock.ms += step;
        }
        return records;
    }
};
} // namespace

TEST_F(SimSoc, ConfigurationReadsBackWhatWasWritten)
{
    std::vector<SimFrame> first = Ask(SocConfigReadPayload());
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].code, 0xAC);
    std::optional<SocConfigAnswer> d = DecodeSocConfig(first[0].Payload());
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->dischargeMa); // the whole tail

    SocConfig c = Config(2, 7, 30);
    c.startMv = 70000; // goes as 4464
    std::vector<SimFrame> written = Ask(SocConfigWritePayload(c));
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].code, 0x84);
    EXPECT_EQ(written[0].data.at(0), 0);
    for (const std::vector<SimFrame> &answer : {written, Ask(SocConfigReadPayload())}) {
        std::optional<SocConfigAnswer> a = DecodeSocConfig(answer.at(0).Payload());
        ASSERT_TRUE(a);
        EXPECT_EQ(a->startMv, 4464);
        EXPECT_EQ(a->endMv, 2900);
        EXPECT_EQ(a->startStage, 2);
        EXPECT_EQ(a->endStage, 7);
        EXPECT_EQ(a->uploadSec, 30);
        EXPECT_EQ(a->precision, 5);
        EXPECT_EQ(a->fullCurrentMa, 500);
        EXPECT_EQ(a->standardMa, 5000);
        EXPECT_EQ(a->allowedErrorMv, 50);
        EXPECT_EQ(a->irStep, 5);
        EXPECT_EQ(a->irIndex, 2);
        EXPECT_EQ(a->chargeMa, 20000);
        EXPECT_EQ(a->dischargeMa, 20000);
    }
}

TEST_F(SimSoc, RefusedConfigurationsChangeNothing)
{
    Bytes before = Ask(SocConfigReadPayload()).at(0).data;
    struct Case {
        int start, end, upload;
    };
    for (Case c : {Case{0, 8, 5}, Case{1, 11, 5}, Case{5, 3, 5}, Case{1, 8, 0}, Case{1, 8, 3601}}) {
        EXPECT_EQ(Ask(SocConfigWritePayload(Config(c.start, c.end, c.upload))).at(0).data, Bytes{kResultBadValue});
    }
    Bytes shortWrite = SocConfigWritePayload(Config(1, 8, 5));
    shortWrite.pop_back();
    shortWrite[3] = 24;
    EXPECT_EQ(Ask(shortWrite).at(0).data, Bytes{kResultBadLength});
    EXPECT_EQ(Ask(SocConfigReadPayload()).at(0).data, before);
}

TEST_F(SimSoc, LearningRunsThroughTheStagesToTheEnd)
{
    options.speed = 10;
    ASSERT_EQ(Ask(SocConfigWritePayload(Config(3, 6, 20))).at(0).data.at(0), 0);
    EXPECT_FALSE(Board().NextDueMs());
    std::int64_t started = clock.ms;
    std::vector<SimFrame> ack = Ask(SocStartPayload());
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack[0].code, 0x85);
    EXPECT_EQ(ack[0].data, Bytes{0x00});
    // Twenty seconds of pack time are two seconds at ten times the speed.
    ASSERT_TRUE(Board().NextDueMs());
    EXPECT_EQ(*Board().NextDueMs(), started + 2000);

    std::vector<SimFrame> records = Collect(0);
    ASSERT_EQ(records.size(), 4u * 3 + 1);
    std::vector<int> stages;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SimFrame &f = records[i];
        EXPECT_EQ(f.cls, 0x82);
        EXPECT_EQ(f.code, 0x85);
        EXPECT_EQ(f.data.size(), 14u);
        EXPECT_EQ(f.data[0], 0); // no learning error
        std::optional<SocRecord> r = DecodeSocRecord(f.Payload());
        ASSERT_TRUE(r);
        stages.push_back(r->stage);
        EXPECT_EQ(r->test, i == records.size() - 1 ? 0 : i % 3);
        EXPECT_EQ(r->capacityMah, Board().Main().pack.FullMah());
    }
    EXPECT_EQ(stages, (std::vector<int>{3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 9}));
    EXPECT_EQ(SocStageName(stages.back()), std::string("SOC学习完毕"));
    EXPECT_FALSE(Board().NextDueMs());
    // Charging in stage 5, discharging in stage 6, with the learning currents.
    std::optional<SocRecord> charging = DecodeSocRecord(records[7].Payload());
    std::optional<SocRecord> discharging = DecodeSocRecord(records[10].Payload());
    EXPECT_NEAR(charging->ma, 20000, 1000);
    EXPECT_NEAR(discharging->ma, -20000, 1000);
}

TEST_F(SimSoc, StopEndsTheRecords)
{
    Ask(SocStartPayload());
    clock.ms = *Board().NextDueMs();
    EXPECT_EQ(Board().Poll().size(), 1u);
    EXPECT_EQ(Ask(SocStopPayload()).at(0).data, Bytes{0x00});
    EXPECT_FALSE(Board().NextDueMs());
    clock.ms += 60000;
    EXPECT_TRUE(Board().Poll().empty());
    EXPECT_EQ(Ask({0x53, 0x02, 0x05, 0x01, 0x02}).at(0).data, Bytes{kResultBadValue});
}

TEST_F(SimSoc, FailureInTheChosenStage)
{
    options.socFailStage = 2;
    options.socFailCode = 0x51;
    Ask(SocStartPayload());
    std::vector<SimFrame> records = Collect(0);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records.back().data.at(0), 0x51);
    EXPECT_EQ(DecodeSocRecord(records.back().Payload())->stage, 2);
    EXPECT_EQ(SocErrorText(records.back().data.at(0)), "充满后SOC未到100");
    EXPECT_FALSE(Board().NextDueMs());
}

TEST_F(SimSoc, BothBoardsLearnAndSayWhoTheyAre)
{
    options.secondary = true;
    std::vector<SimFrame> acks = Ask(SocStartPayload());
    ASSERT_EQ(acks.size(), 2u);
    EXPECT_EQ(acks[1].link, kLinkSecondary);
    clock.ms = *Board().NextDueMs();
    std::vector<SimFrame> records = TakeApart(Board().Poll());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].link, kLinkMain);
    EXPECT_EQ(records[1].link, kLinkSecondary);
}
