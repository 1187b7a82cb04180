// Stale values of the live status page, without its widgets: an item the page
// refreshes goes stale after three refresh periods without it, a single read
// never ages, a closed port makes everything shown stale, and the page says
// since when the oldest stale value came.
#include "app/pages/livestatusfreshness.h"

#include <gtest/gtest.h>

namespace {
const QDateTime kT0(QDate(2026, 12, 11), QTime(9, 0, 0));
auto All = [](std::size_t) { return true; };
} // namespace

TEST(LiveFreshness, AnItemGoesStaleAfterThreePeriodsWithoutIt)
{
    StatusFreshness f(3);
    f.MarkFresh(0, 0, kT0);
    f.MarkFresh(1, 500, kT0.addMSecs(500));
    struct Case {
        qint64 now;
        std::vector<std::size_t> goneNow;
    } cases[] = {
        {3000, {}},  // exactly three periods: still fresh
        {3001, {0}}, // item 0 is older than three periods
        {3400, {}},  // already stale, not reported again
        {3501, {1}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(f.Age(c.now, 1000, All), c.goneNow) << c.now;
    EXPECT_FALSE(f.IsStale(2)); // never shown: never stale
    EXPECT_EQ(f.StaleCount(), 2);
    EXPECT_EQ(f.StaleSince(), kT0);
    EXPECT_TRUE(f.MarkFresh(0, 4000, kT0.addSecs(4)));
    EXPECT_EQ(f.StaleSince(), kT0.addMSecs(500));
}

TEST(LiveFreshness, OnlyWatchedItemsAge)
{
    StatusFreshness f(2);
    f.MarkFresh(0, 0, kT0);
    f.MarkFresh(1, 0, kT0);
    EXPECT_EQ(f.Age(10000, 1000, [](std::size_t i) { return i == 1; }), std::vector<std::size_t>{1});
    EXPECT_FALSE(f.IsStale(0));
}

TEST(LiveFreshness, AClosedPortMakesEverythingShownStaleAndForgettingClearsIt)
{
    StatusFreshness f(3);
    f.MarkFresh(0, 0, kT0);
    f.MarkFresh(2, 0, kT0.addSecs(1));
    EXPECT_EQ(f.AllShownStale(), (std::vector<std::size_t>{0, 2}));
    EXPECT_TRUE(f.AllShownStale().empty());
    EXPECT_EQ(f.StaleCount(), 2);
    EXPECT_EQ(f.Forget(), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(f.StaleCount(), 0);
    EXPECT_FALSE(f.StaleSince().isValid());
    EXPECT_TRUE(f.Age(100000, 1000, All).empty()); // nothing shown since
}

TEST(LiveFreshness, RefreshPeriodFollowsTheModeAndTheInterval)
{
    struct Case {
        bool batch;
        int save, ticked, interval, period;
    } cases[] = {
        {true, 1000, 15, 400, 3000},  {true, 5000, 15, 400, 5000}, {true, 60000, 15, 400, 10000},
        {false, 1000, 15, 400, 6400}, {false, 1000, 0, 400, 1000}, {false, 1000, 2, 100, 1000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LiveRefreshPeriodMs(c.batch, c.save, c.ticked, c.interval), c.period);
}
