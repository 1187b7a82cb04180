// The simulated board's command line: --version, the clock offset kept to
// what the clock answer can carry (a year from 2000 to 2255), and --sn.
#include "sim/sim_board.h"
#include "sim/sim_options_parse.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {
SimCommandLine Parse(QStringList args)
{
    args.prepend(QStringLiteral("pylvex-sim"));
    return ParseSimCommandLine(args);
}

// Seconds from now to a local date and time.
qint64 SecondsTo(const QDate &day, const QTime &time)
{
    return QDateTime(day, time).toSecsSinceEpoch() - QDateTime::currentSecsSinceEpoch();
}
} // namespace

TEST(SimOptions, VersionIsPrintedLikeThePrograms)
{
    for (const char *flag : {"--version", "-v"}) {
        SimCommandLine cmd = Parse({QLatin1String(flag)});
        EXPECT_TRUE(cmd.version) << flag;
        EXPECT_TRUE(cmd.error.isEmpty());
        EXPECT_EQ(cmd.versionText, QStringLiteral("pylvex-sim 1.0.1.0\n"));
    }
}

TEST(SimOptions, ClockOffsetStaysInTheYearsTheClockAnswerCarries)
{
    struct Case {
        QDate day;
        bool accepted;
    };
    const Case cases[] = {
        {QDate(1999, 12, 30), false},
        {QDate(2000, 1, 3), true},
        {QDate::currentDate().addDays(-1), true},
        {QDate::currentDate().addYears(40), true},
    };
    for (const Case &c : cases) {
        qint64 offset = SecondsTo(c.day, QTime(12, 0));
        if (offset < -50LL * 365 * 86400 || offset > 50LL * 365 * 86400)
            continue; // outside the switch's own range on this date
        SimCommandLine cmd = Parse({QStringLiteral("--clock-offset"), QString::number(offset)});
        EXPECT_EQ(cmd.error.isEmpty(), c.accepted)
            << c.day.toString(Qt::ISODate).toStdString() << " " << cmd.error.toStdString();
        if (c.accepted)
            EXPECT_EQ(cmd.options.clockOffsetSec, offset);
        else
            EXPECT_TRUE(cmd.error.contains(QStringLiteral("2000 年至 2255 年"))) << cmd.error.toStdString();
    }
    // The range itself, seen from a fixed moment: 2024-06-01 12:00 local.
    const qint64 nowMs = QDateTime(QDate(2024, 6, 1), QTime(12, 0)).toMSecsSinceEpoch();
    SimClockOffsetRange range = ClockOffsetRange(nowMs);
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(nowMs / 1000 + range.min).date(), QDate(2000, 1, 2));
    EXPECT_EQ(range.max, std::numeric_limits<int>::max()); // 2255 lies beyond what an int of seconds reaches
}

TEST(SimOptions, SnNamesTheMainBoardInItsStatusAnswer)
{
    struct Case {
        QString value;
        bool accepted;
    };
    const Case cases[] = {
        {QStringLiteral("RACK-A/07"), true}, {QString(32, u'S'), true},
        {QString(33, u'S'), false},          {QString(), false},
        {QStringLiteral("板卡"), false},     {QStringLiteral("A\tB"), false},
        {QStringLiteral("A B"), false}, // the status answer shows a space as '0'
    };
    for (const Case &c : cases) {
        SimCommandLine cmd = Parse({QStringLiteral("--sn"), c.value});
        EXPECT_EQ(cmd.error.isEmpty(), c.accepted) << c.value.toStdString();
        if (!c.accepted)
            continue;
        SimOptions options = cmd.options;
        options.secondary = true;
        SimBoard board(options, [] { return std::int64_t{1700000000000}; });
        EXPECT_EQ(board.Main().identity.sn, c.value.toStdString());
        ASSERT_NE(board.Secondary(), nullptr);
        EXPECT_EQ(board.Secondary()->identity.sn, "PYLSIM16S50A0002"); // the secondary board keeps its own
    }
}
