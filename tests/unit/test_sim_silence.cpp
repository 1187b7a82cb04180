// The simulated board that falls silent and comes back: the switches on the
// command line, the board's silence on its clock, and its pseudo-terminal
// behind a fixed link that a restart points at the new device.
#include "protocol/frame.h"
#include "sim/sim_link.h"
#include "sim/sim_options_parse.h"
#include "sim/simhost.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

SimCommandLine Parse(QStringList args)
{
    args.prepend(QStringLiteral("pylvex-sim"));
    return ParseSimCommandLine(args);
}
} // namespace

TEST(SimSilence, Switches)
{
    SimCommandLine cmd = Parse({"--silent-after", "5", "--silent-for", "20", "--link", "/tmp/board"});
    ASSERT_TRUE(cmd.error.isEmpty()) << cmd.error.toStdString();
    EXPECT_EQ(cmd.options.silentAfterSec, 5);
    EXPECT_EQ(cmd.options.silentForSec, 20);
    EXPECT_EQ(cmd.link, QStringLiteral("/tmp/board"));
    SimCommandLine plain = Parse({});
    EXPECT_EQ(plain.options.silentAfterSec, 0);
    EXPECT_EQ(plain.options.silentForSec, 0);
    EXPECT_TRUE(plain.link.isEmpty());
    for (QStringList bad : {QStringList{"--silent-after", "-1"}, QStringList{"--silent-for", "x"},
                            QStringList{"--link", "/tmp/board", "/dev/ttyUSB0"}})
        EXPECT_FALSE(Parse(bad).error.isEmpty()) << bad.join(' ').toStdString();
}

TEST(SimSilence, BoardIsSilentForItsWindowOnly)
{
    struct Case {
        const char *name;
        int after;
        int forSec;
        std::vector<std::pair<int, bool>> answersAt; // seconds since the start, answered
    };
    const Case cases[] = {
        {"never silent", 0, 0, {{0, true}, {100, true}}},
        {"silent after 2 s for good", 2, 0, {{1, true}, {2, false}, {1000, false}}},
        {"silent after 2 s for 3 s", 2, 3, {{1, true}, {2, false}, {4, false}, {5, true}, {9, true}}},
        {"silent from the start for 3 s", 0, 3, {{0, false}, {2, false}, {3, true}}},
    };
    for (const Case &c : cases) {
        std::int64_t now = 1700000000000;
        SimOptions options;
        options.silentAfterSec = c.after;
        options.silentForSec = c.forSec;
        SimLink link(options, [&now] { return now; });
        const std::int64_t start = now;
        for (auto [at, answered] : c.answersAt) {
            now = start + at * 1000LL;
            Bytes request = MakeFrame(kLinkMain, 0x03, 0x19, Bytes{0x00});
            std::vector<SimBytes> out = link.Feed(request);
            EXPECT_EQ(!out.empty(), answered) << c.name << " at " << at << " s";
            EXPECT_EQ(link.Silent(), !answered) << c.name << " at " << at << " s";
        }
    }
}

TEST(SimSilence, RestartedBoardComesBackBehindTheSameLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("board"));
    SimHost board;
    QString first;
    ASSERT_TRUE(board.StartPtyAt(link, &first, SimOptions{})) << board.ErrorString().toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), first);
    EXPECT_TRUE(QFileInfo::exists(link));
    board.Stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink()) << "a stopped board leaves no name behind";
    QString second;
    ASSERT_TRUE(board.StartPtyAt(link, &second, SimOptions{}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), second);
    board.Stop();
    // A link the board did not make (or one pointed elsewhere since) is left alone.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    board.Stop();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    // A path the link cannot be made at is an error, and no board runs.
    EXPECT_FALSE(board.StartPtyAt(dir.filePath(QStringLiteral("missing/board")), nullptr, SimOptions{}));
    EXPECT_FALSE(board.IsRunning());
    EXPECT_FALSE(board.ErrorString().isEmpty());
}
