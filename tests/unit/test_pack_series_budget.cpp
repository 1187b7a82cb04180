// The live chart store within its memory budget: compact columns that keep
// every value exactly, the newest span at full resolution, older points
// thinned to their extremes, the oldest sets dropped first.
#include "files/compactcolumn.h"
#include "files/decimate.h"
#include "files/packseries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
struct ColumnCase {
    const char *name;
    double per;
    bool baseFromFirst;
    std::vector<double> values;
    int width; // bytes per value after all were pushed
};

class Column : public ::testing::TestWithParam<ColumnCase> {};

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

TEST_P(Column, KeepsEveryValueExactlyInTheNarrowestWidth)
{
    const ColumnCase &c = GetParam();
    CompactColumn column(c.per, c.baseFromFirst);
    for (double v : c.values)
        column.Push(v);
    ASSERT_EQ(column.Size(), c.values.size());
    EXPECT_EQ(column.Width(), c.width);
    for (std::size_t i = 0; i < c.values.size(); ++i)
        EXPECT_TRUE(SameBits(column[i], c.values[i])) << i << ": " << column[i] << " for " << c.values[i];
    // The oldest go, the rest stay as they were.
    column.DropFront(1);
    ASSERT_EQ(column.Size(), c.values.size() - 1);
    for (std::size_t i = 1; i < c.values.size(); ++i)
        EXPECT_TRUE(SameBits(column[i - 1], c.values[i]));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Column,
    ::testing::Values(
        ColumnCase{"cell_millivolts", 1, false, {3300, 3310, 2800, 0}, 2},
        ColumnCase{"pack_volts_from_millivolts", 1000, false, {52000 / 1000.0, 52123 / 1000.0, 0.001}, 4},
        ColumnCase{"current_amps_from_milliamps", 1000, false, {-1500 / 1000.0, 250000 / 1000.0, -0.001}, 4},
        ColumnCase{"temperature_tenths", 10, false, {250 / 10.0, -125 / 10.0, 25.3, 3276.7}, 2},
        ColumnCase{"finer_than_a_step_widens_to_doubles", 10, false, {25.0, 25.37, 26.0}, 8},
        ColumnCase{"too_large_for_32_bits", 1, false, {1, 3e9, -5}, 8},
        ColumnCase{"infinity_kept", 1, false, {1, INFINITY, 2}, 8},
        ColumnCase{"times_as_offsets_from_the_first", 1, true, {1.75e12, 1.75e12 + 1000, 1.75e12 + 86400000.0}, 4},
        ColumnCase{"times_before_the_first", 1, true, {1.75e12, 1.75e12 - 5000, 1.75e12 + 30000}, 2}),
    [](const ::testing::TestParamInfo<ColumnCase> &p) { return std::string(p.param.name); });

namespace {
constexpr double kStart = 1.75e12;
constexpr double kSecond = 1000;
constexpr double kHour = 3600 * kSecond;
constexpr int kTemps = 4;

double Volts(double t)
{
    // Whole millivolts, as the board sends them.
    return std::round(52000 + 800 * std::sin(t / 600000.0)) / 1000.0;
}

PackSample Round(double t)
{
    PackSample s;
    s.t = t;
    s.voltage = Volts(t);
    s.current = std::round(20000 * std::sin(t / 70000.0)) / 1000.0;
    s.soc = 50;
    s.highCell = 3310;
    s.lowCell = 3290;
    s.cellDiff = 20;
    for (int p = 0; p < kTemps; ++p)
        s.temps.push_back(250 / 10.0 + p);
    return s;
}

// Three sets of six hours of rounds a second each, filled once for the
// suite; in the last one a spike at hour 3 and a silence of ten minutes at hour 2.
class BudgetedStore : public ::testing::Test {
protected:
    static constexpr std::size_t kBudget = std::size_t(1) << 20;
    static constexpr double kSpike = 99.0;

    static void SetUpTestSuite()
    {
        store = new PackSeriesStore;
        store->SetBudget(kBudget);
        store->SetFullSpanMs(kHour);
        store->SetGapMs(5 * kSecond);
        double t = kStart;
        for (int set = 0; set < 3; ++set) {
            store->StartSet(QStringLiteral("set %1").arg(set));
            lastSetStart = t;
            for (double end = t + 6 * kHour; t < end; t += kSecond) {
                if (set == 2 && t >= lastSetStart + 2 * kHour && t < lastSetStart + 2 * kHour + 10 * 60 * kSecond)
                    continue;
                PackSample s = Round(t);
                if (set == 2 && t == lastSetStart + 3 * kHour)
                    s.voltage = kSpike;
                store->Add(s);
                largest = std::max(largest, store->Bytes());
            }
        }
        now = t - kSecond;
    }
    static void TearDownTestSuite()
    {
        delete store;
        store = nullptr;
    }

    static inline PackSeriesStore *store = nullptr;
    static inline double lastSetStart = 0;
    static inline double now = 0;
    static inline std::size_t largest = 0;
};
} // namespace

TEST_F(BudgetedStore, StaysWithinItsBudgetDroppingTheOldestSetsFirst)
{
    EXPECT_LE(largest, kBudget);
    EXPECT_GT(store->DroppedSets(), 0u);
    ASSERT_FALSE(store->Sets().empty());
    EXPECT_EQ(store->Current()->label, "set 2");
    // What is left is the newest sets, in order.
    for (std::size_t i = 1; i < store->Sets().size(); ++i)
        EXPECT_LT(store->Sets()[i - 1].id, store->Sets()[i].id);
    EXPECT_EQ(store->Sets().front().id, store->DroppedSets());
    EXPECT_EQ(store->Sets().size() + store->DroppedSets(), 3u);
    EXPECT_EQ(store->HeldSince(), store->Sets().front().FirstT());
}

TEST_F(BudgetedStore, KeepsTheNewestSpanAtFullResolution)
{
    const PackSeries &v = store->Current()->series[kSeriesVoltage];
    // Every second of the last hour is there, with its value.
    const std::size_t from = v.LowerBound(now - kHour);
    EXPECT_EQ(v.Size() - from, std::size_t(3601));
    for (std::size_t i = from; i < v.Size(); i += 97) {
        EXPECT_EQ(v.T(i), now - kHour + static_cast<double>(i - from) * kSecond);
        EXPECT_EQ(v.V(i), Volts(v.T(i)));
    }
    EXPECT_GT(store->FullSince(), lastSetStart);
    EXPECT_LE(store->FullSince(), now - kHour);
    // Older points are thinned to at most two per bucket of each segment.
    EXPECT_GT(v.ThinnedCount(), 0u);
    EXPECT_LE(v.ThinnedCount(), 2 * std::size_t(PackSeriesStore::kThinBuckets) + 4 * v.SegmentCount());
    EXPECT_TRUE(std::is_sorted(v.SegmentStarts().begin(), v.SegmentStarts().end()));
}

TEST_F(BudgetedStore, StillAnswersTheCursorAndTheWholeSpan)
{
    const PackSeries &v = store->Current()->series[kSeriesVoltage];
    // Cursor: the exact value in the full part, a value of the data in the
    // thinned part, nothing in the silence or before the set.
    EXPECT_EQ(v.ValueAt(now - 600 * kSecond), std::optional<double>(Volts(now - 600 * kSecond)));
    const std::optional<double> old = v.ValueAt(lastSetStart + 1 * kHour + 1234);
    ASSERT_TRUE(old.has_value());
    EXPECT_GE(*old, 51.2);
    EXPECT_LE(*old, 52.8);
    EXPECT_EQ(v.ValueAt(lastSetStart + 2 * kHour + 5 * 60 * kSecond), std::nullopt);
    EXPECT_EQ(v.ValueAt(lastSetStart - kSecond), std::nullopt);

    // The whole span drawn 800 px wide, as the chart does (buckets for each
    // segment by its share of the span): from the first to the last point, the
    // spike of a single round in the thinned hours still shows.
    std::vector<SeriesPoint> drawn;
    const double span = now - lastSetStart;
    for (std::size_t g = 0; g < v.SegmentCount(); ++g) {
        const std::size_t b = v.SegmentBegin(g), e = v.SegmentEnd(g);
        DecimateMinMax(v, b, e, std::max(1, static_cast<int>(800 * (v.T(e - 1) - v.T(b)) / span)), drawn);
    }
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front().t, lastSetStart);
    EXPECT_EQ(drawn.back().t, now);
    const auto top = std::max_element(drawn.begin(), drawn.end(), [](auto &a, auto &b) { return a.v < b.v; });
    EXPECT_EQ(top->v, kSpike);
    EXPECT_EQ(top->t, lastSetStart + 3 * kHour);
    EXPECT_LE(drawn.size(), std::size_t(2 * 800 + 4 * v.SegmentCount()));
}

TEST(PackSeriesStoreLimits, ASetTooLargeForTheBudgetLosesItsOldestPartNotItsNewest)
{
    PackSeriesStore store;
    store.SetBudget(64 << 10);
    store.SetFullSpanMs(24 * kHour);
    double t = kStart;
    std::size_t largest = 0;
    for (int i = 0; i < 6 * 3600; ++i, t += kSecond) {
        store.Add(Round(t));
        largest = std::max(largest, store.Bytes());
    }
    EXPECT_LE(largest, store.Budget());
    const PackSeries &v = store.Current()->series[kSeriesVoltage];
    ASSERT_FALSE(v.Empty());
    EXPECT_EQ(v.T(v.Size() - 1), t - kSecond);
    EXPECT_EQ(v.ValueAt(t - kSecond), std::optional<double>(Volts(t - kSecond)));
    // The oldest hours went.
    EXPECT_GT(store.HeldSince(), kStart + kHour);
    EXPECT_EQ(store.Sets().size(), 1u);
}
