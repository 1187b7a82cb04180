// The simulated board answers the internal debug page statefully; answers
// are read with the page's decoders and the live status items.
#include "common/sim_requests.h"
#include "protocol/debug_cmds.h"

using namespace simtest;

class SimDebug : public SimBoardTest {};

TEST_F(SimDebug, ProductionDateWriteShowsInTheStatusItem)
{
    SimBoard &b = Board();
    EXPECT_EQ(Send(b, ProductionDatePayload(2021, 7, 15)), (Bytes{0x00, 0x15, 0x07, 0x0F}));
    auto date = DecodeProductionDateAnswer(Read(b, kCmdProductionDateRead));
    ASSERT_TRUE(date);
    EXPECT_EQ(std::vector<int>({date->year, date->month, date->day}), std::vector<int>({2021, 7, 15}));
    // An impossible date is refused and the stored one stays.
    EXPECT_EQ(Send(b, ProductionDatePayload(2021, 2, 30)).at(0), kResultBadValue);
    EXPECT_EQ(Send(b, ProductionDatePayload(2021, 13, 1)).at(0), kResultBadValue);
    EXPECT_EQ(DecodeProductionDateAnswer(Read(b, kCmdProductionDateRead))->month, 7);
}

TEST_F(SimDebug, Versions)
{
    Bytes d = Read(Board(), kCmdVersionsRead);
    EXPECT_EQ(d.size(), static_cast<std::size_t>(kNeedVersions));
    auto v = DecodeVersionsAnswer(d);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->software, "V1.4.2");
    EXPECT_EQ(v->hardware, "V2.1.0");
}

TEST_F(SimDebug, ArrangementWriteIsReadBack)
{
    SimBoard &b = Board();
    auto initial = DecodeArrangement(Read(b, kCmdArrangementRead));
    ASSERT_TRUE(initial);
    EXPECT_EQ(initial->series, 16);
    Bytes written = Send(b, ArrangementPayload({15, 2, 60000}));
    EXPECT_EQ(written.size(), static_cast<std::size_t>(kNeedArrangement));
    auto a = DecodeArrangement(Read(b, kCmdArrangementRead));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->series, 15);
    EXPECT_EQ(a->parallel, 2);
    EXPECT_EQ(a->capacity, 60000);
    EXPECT_EQ(Send(b, ArrangementPayload({0, 2, 60000})).at(0), kResultBadValue);
}

TEST_F(SimDebug, SerialNumberWriteReachesTheLiveStatus)
{
    SimBoard &b = Board();
    EXPECT_EQ(DecodeSnAnswer(Read(b, kCmdSnRead)), "PYLSIM16S50A0001");
    EXPECT_EQ(DecodeSnAnswer(Send(b, SnWritePayload("NEWSN2024X0000017"))), "NEWSN2024X0000017");
    EXPECT_EQ(DecodeSnAnswer(Read(b, kCmdSnRead)), "NEWSN2024X0000017");
    EXPECT_EQ(DecodeSnAnswer(Send(b, SnWritePayload("ABC"))), "ABC");
    EXPECT_EQ(Send(b, {0x53, 0x02, 0x5B, 0x02, 0x41, 0x42}).at(0), kResultBadLength);
}

TEST_F(SimDebug, MeasuredCapacity)
{
    SimBoard &b = Board();
    EXPECT_EQ(Read(b, kCmdMeasuredCapacityRead).size(), static_cast<std::size_t>(kNeedMeasuredCapacity));
    EXPECT_EQ(Send(b, {0x53, 0x02, 0x6C, 0x02, 0xFF, 0xFB}), (Bytes{0x00, 0xFF, 0xFB}));
    EXPECT_EQ(Read(b, kCmdMeasuredCapacityRead), (Bytes{0x00, 0xFF, 0xFB}));
}

TEST_F(SimDebug, OpenCircuitVoltages)
{
    SimBoard &b = Board();
    auto initial = DecodeOcv(Read(b, kCmdOcvRead));
    ASSERT_TRUE(initial);
    EXPECT_EQ((*initial)[0], 2800);
    FourteenValues v{};
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::uint16_t>(3000 + 10 * i);
    EXPECT_EQ(DecodeOcv(Send(b, OcvPayload(v))), v);
    EXPECT_EQ(DecodeOcv(Read(b, kCmdOcvRead)), v);
    EXPECT_EQ(ValuesText(*DecodeOcv(Read(b, kCmdOcvRead))).substr(0, 10), "3000 3010 ");
}

TEST_F(SimDebug, ResistanceTablesHoldTwoMeasurementsEach)
{
    SimBoard &b = Board();
    for (ResistanceTable t : {ResistanceTable::Charge, ResistanceTable::Discharge}) {
        for (std::uint8_t index : {0, 1}) {
            Bytes d = Send(b, ResistanceReadPayload(t, index));
            EXPECT_EQ(d.size(), 1 + kMeasurementBytes);
            auto a = DecodeResistance(d);
            ASSERT_TRUE(a);
            ASSERT_TRUE(a->current);
            EXPECT_EQ(a->index, index);
            EXPECT_EQ(*a->current > 0, t == ResistanceTable::Charge);
        }
    }
    Measurement m;
    m.values.fill(77);
    m.current = 12345;
    m.index = 1;
    auto written = DecodeResistance(Send(b, ResistanceWritePayload(ResistanceTable::Charge, m)));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->index, 1);
    auto back = DecodeResistance(Send(b, ResistanceReadPayload(ResistanceTable::Charge, 1)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->values, m.values);
    EXPECT_EQ(back->current, 12345);
    // The other measurement and the other table are untouched.
    EXPECT_NE(DecodeResistance(Send(b, ResistanceReadPayload(ResistanceTable::Charge, 0)))->values, m.values);
    EXPECT_NE(DecodeResistance(Send(b, ResistanceReadPayload(ResistanceTable::Discharge, 1)))->values, m.values);
    // Only indexes 0 and 1 exist.
    EXPECT_EQ(Send(b, ResistanceReadPayload(ResistanceTable::Charge, 2)).at(0), kResultBadValue);
    m.index = 2;
    EXPECT_EQ(Send(b, ResistanceWritePayload(ResistanceTable::Discharge, m)).at(0), kResultBadValue);
}

TEST_F(SimDebug, RegisterBlock)
{
    SimBoard &b = Board();
    Bytes read = Send(b, RegisterReadPayload());
    EXPECT_EQ(read.size(), 1 + kRegisterBytes);
    RegisterBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0xF0 - i);
    Bytes written = Send(b, RegisterWritePayload(block));
    RegisterBlock merged{};
    EXPECT_EQ(MergeRegisterAnswer(written, merged), kRegisterBytes);
    EXPECT_EQ(merged, block);
    RegisterBlock again{};
    MergeRegisterAnswer(Send(b, RegisterReadPayload()), again);
    EXPECT_EQ(again, block);
    EXPECT_EQ(RegisterHexText(Send(b, RegisterReadPayload())).substr(0, 9), "F0 EF EE ");
}

TEST_F(SimDebug, UpgradeRequestStartsTheWrappedLoader)
{
    SimBoard &b = Board();
    // Without a loader the board does not know the request.
    EXPECT_EQ(Read(b, kCmdBoardUpgrade), Bytes{kResultUnknown});
    std::vector<LoaderMode> started;
    b.SetLoaderStarter([&](LoaderMode mode) {
        started.push_back(mode);
        return true;
    });
    EXPECT_EQ(Read(b, kCmdBoardUpgrade), Bytes{0x00});
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], LoaderMode::Wrapped);
    b.SetLoaderStarter([](LoaderMode) { return false; });
    EXPECT_EQ(Read(b, kCmdBoardUpgrade), Bytes{kResultUnknown});
}
