// The repeater in front of the simulated board: class 0x01 is its own,
// everything else goes on to the board.
#include "common/sim_requests.h"
#include "protocol/control_cmds.h"
#include "protocol/repeater_cmds.h"

using namespace simtest;

class SimRepeater : public SimBoardTest {};

TEST_F(SimRepeater, WithoutARepeaterClassOneIsUnknown)
{
    for (CommandId c : {kCmdRepeaterUpgrade, kCmdRepeaterLinks, kCmdRepeaterVersions})
        EXPECT_EQ(Read(Board(), c), Bytes{kResultUnknown}) << int(c.code);
}

TEST_F(SimRepeater, AnswersItsLinksAndVersions)
{
    options.repeater = true;
    Bytes links = Read(Board(), kCmdRepeaterLinks);
    ASSERT_EQ(links.size(), static_cast<std::size_t>(kNeedRepeaterLinks));
    EXPECT_EQ(RepeaterLinkText(links[1]), "串口，CAN，485");
    Bytes versions = Read(Board(), kCmdRepeaterVersions);
    ASSERT_EQ(versions.size(), static_cast<std::size_t>(kNeedRepeaterVersions));
    auto v = DecodeVersions(Body(versions));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->software, "V2.1.0");
    EXPECT_EQ(v->hardware, "V1.0.3");
    EXPECT_EQ(Send(Board(), {0x53, 0x01, 0x02, 0x00}).at(0), kResultBadLength);
}

TEST_F(SimRepeater, UpgradeRequestStartsTheRawLoader)
{
    options.repeater = true;
    SimBoard &b = Board();
    EXPECT_EQ(Read(b, kCmdRepeaterUpgrade), Bytes{kResultUnknown});
    std::vector<LoaderMode> started;
    b.SetLoaderStarter([&](LoaderMode mode) {
        started.push_back(mode);
        return true;
    });
    EXPECT_EQ(Read(b, kCmdRepeaterUpgrade), Bytes{0x00});
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], LoaderMode::Raw);
}

TEST_F(SimRepeater, EverythingElseReachesTheBoard)
{
    options.repeater = true;
    options.secondary = true;
    SimBoard &b = Board();
    // Class 0x01 is answered once, by the repeater.
    EXPECT_EQ(b.Handle(FrameOfPayload(PlainRequest(kCmdRepeaterLinks))).size(), 1u);
    // Status requests are answered by both boards behind it.
    std::vector<SimBytes> status = b.Handle(FrameOfPayload(PlainRequest(kCmdMosState)));
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(AnswerData(status[1], kCmdMosState, kLinkSecondary).at(0), 0x00);
    // The pass-through command with its typed bytes goes to the board, whose
    // answer comes back in class 0x83.
    auto passThrough = PassThroughPayload(HexTextBytes("0A 0B C"));
    ASSERT_TRUE(passThrough);
    Bytes answer = Send(b, *passThrough);
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer[0], kResultBadLength);
    // The same command as the plain history request.
    EXPECT_EQ(DecodeHistory(Read(b, kCmdDischargeHistory)).size(), 8u);
}
