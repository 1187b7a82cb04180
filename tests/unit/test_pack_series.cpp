// Series of the pack for the charts: segments split where values stopped being
// fresh, a new set per board, and thinning that keeps every bucket's extremes.
#include "files/decimate.h"
#include "files/packseries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
PackSample Sample(double t, double volts)
{
    PackSample s;
    s.t = t;
    s.voltage = volts;
    s.current = -1.5;
    s.soc = 80;
    s.highCell = 3310;
    s.lowCell = 3290;
    s.cellDiff = 20;
    s.temps = {25.0, 24.5};
    return s;
}

std::vector<SeriesPoint> Points(const std::vector<double> &values, double step = 1000)
{
    std::vector<SeriesPoint> out;
    for (std::size_t i = 0; i < values.size(); ++i)
        out.push_back({static_cast<double>(i) * step, values[i]});
    return out;
}
} // namespace

TEST(PackSeriesStore, SamplesFillEverySeriesInOneSegment)
{
    PackSeriesStore store;
    store.StartSet("主电");
    for (int i = 0; i < 5; ++i)
        store.Add(Sample(i * 1000.0, 52.0 + i));
    const PackSeriesSet &set = *store.Current();
    ASSERT_EQ(set.series.size(), std::size_t(kSeriesFirstTemp + 2));
    EXPECT_EQ(set.TempCount(), 2u);
    for (const PackSeries &s : set.series) {
        EXPECT_EQ(s.Points().size(), 5u);
        EXPECT_EQ(s.SegmentCount(), 1u);
    }
    EXPECT_DOUBLE_EQ(set.series[kSeriesVoltage].Points()[3].v, 55.0);
    EXPECT_DOUBLE_EQ(set.series[kSeriesFirstTemp + 1].Points()[0].v, 24.5);
    EXPECT_EQ(PackSeriesName(kSeriesFirstTemp + 1), "温度2");
    EXPECT_EQ(PackSeriesName(kSeriesCellDiff), "最大压差");
}

TEST(PackSeriesStore, BreakAndLongSilenceStartSegmentsNewSetStartsOver)
{
    PackSeriesStore store;
    store.SetGapMs(5000);
    store.Add(Sample(0, 50));
    store.Add(Sample(1000, 50));
    store.Break();                             // values went stale
    store.Add(Sample(9000 - 8000 + 1500, 51)); // close in time, still a new segment
    store.Add(Sample(20000, 52));              // 17.5 s later: beyond the gap
    store.Add(Sample(10000, 53));              // clock set back
    const PackSeries &v = store.Current()->series[kSeriesVoltage];
    ASSERT_EQ(v.SegmentStarts(), (std::vector<std::size_t>{0, 2, 3, 4}));
    EXPECT_EQ(v.SegmentEnd(0), 2u);
    EXPECT_EQ(v.SegmentEnd(3), 5u);

    // Cursor: values inside segments, none in a gap.
    EXPECT_EQ(v.ValueAt(500), std::optional<double>(50));
    EXPECT_EQ(v.ValueAt(1000), std::optional<double>(50));
    EXPECT_EQ(v.ValueAt(1200), std::nullopt);
    EXPECT_EQ(v.ValueAt(-1), std::nullopt);

    store.StartSet("副电");
    store.Add(Sample(30000, 40));
    ASSERT_EQ(store.Sets().size(), 2u);
    EXPECT_EQ(store.Sets()[0].series[kSeriesVoltage].Points().size(), 5u);
    EXPECT_EQ(store.Current()->series[kSeriesVoltage].Points().size(), 1u);
    EXPECT_EQ(store.Current()->label, "副电");
}

TEST(PackSeriesStore, ABreakSplitsEverySeriesEvenWhenItsValuesComeLater)
{
    // Items arrive one by one: SOC first after the break, the voltage later
    // still starts its own new segment.
    PackSeriesStore store;
    store.Add(Sample(0, 50));
    store.Break();
    PackSample soc;
    soc.t = 5000;
    soc.soc = 70;
    store.Add(soc);
    store.Add(Sample(6000, 51));
    EXPECT_EQ(store.Current()->series[kSeriesSoc].SegmentStarts(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(store.Current()->series[kSeriesVoltage].SegmentStarts(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(store.Current()->series[kSeriesSoc].SegmentEnd(1), 3u);
}

TEST(PackSeriesStore, MissingValuesAddNoPoints)
{
    PackSeriesStore store;
    PackSample s;
    s.t = 1;
    s.soc = 50;
    store.Add(s);
    EXPECT_EQ(store.Current()->series[kSeriesSoc].Points().size(), 1u);
    EXPECT_TRUE(store.Current()->series[kSeriesVoltage].Empty());
    EXPECT_EQ(store.Current()->TempCount(), 0u);
}

struct DecimateCase {
    const char *name;
    std::vector<double> values;
    int buckets;
};

class Decimate : public ::testing::TestWithParam<DecimateCase> {};

TEST_P(Decimate, KeepsTheExtremesOfEveryBucketInTimeOrder)
{
    const DecimateCase &c = GetParam();
    const std::vector<SeriesPoint> in = Points(c.values);
    const std::vector<SeriesPoint> out = DecimateMinMax(in, c.buckets);
    ASSERT_FALSE(out.empty());
    // Never more than two per bucket plus the ends; in time order; only input points.
    if (in.size() > 2 * static_cast<std::size_t>(c.buckets))
        EXPECT_LE(out.size(), 2 * static_cast<std::size_t>(c.buckets) + 2);
    else
        EXPECT_EQ(out.size(), in.size());
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end(), [](auto &a, auto &b) { return a.t < b.t; }));
    for (const SeriesPoint &p : out) {
        const auto i = static_cast<std::size_t>(p.t / 1000);
        ASSERT_LT(i, in.size());
        EXPECT_EQ(in[i].v, p.v);
    }
    EXPECT_EQ(out.front().t, in.front().t);
    EXPECT_EQ(out.back().t, in.back().t);
    // Every bucket's minimum and maximum value is among the kept points of that bucket.
    const double t0 = in.front().t, span = in.back().t - in.front().t;
    for (int b = 0; b < c.buckets; ++b) {
        const double lo = t0 + span * b / c.buckets, hi = t0 + span * (b + 1) / c.buckets;
        auto inBucket = [&](const SeriesPoint &p) { return p.t >= lo && (p.t < hi || (b + 1 == c.buckets)); };
        double mn = INFINITY, mx = -INFINITY, keptMn = INFINITY, keptMx = -INFINITY;
        for (auto &p : in)
            if (inBucket(p))
                mn = std::min(mn, p.v), mx = std::max(mx, p.v);
        for (auto &p : out)
            if (inBucket(p))
                keptMn = std::min(keptMn, p.v), keptMx = std::max(keptMx, p.v);
        EXPECT_EQ(mn, keptMn) << "bucket " << b;
        EXPECT_EQ(mx, keptMx) << "bucket " << b;
    }
    // The global extremes survive.
    auto [gmn, gmx] = std::minmax_element(c.values.begin(), c.values.end());
    auto [omn, omx] = std::minmax_element(out.begin(), out.end(), [](auto &a, auto &b) { return a.v < b.v; });
    EXPECT_EQ(*gmn, omn->v);
    EXPECT_EQ(*gmx, omx->v);
}

std::vector<double> Ramp(int n)
{
    std::vector<double> v;
    for (int i = 0; i < n; ++i)
        v.push_back(i);
    return v;
}

std::vector<double> FlatWithSpikes(int n)
{
    std::vector<double> v(static_cast<std::size_t>(n), 3300);
    v[static_cast<std::size_t>(n / 3)] = 4200;     // one sample up
    v[static_cast<std::size_t>(n / 3 + 1)] = 2500; // and down next to it
    v[static_cast<std::size_t>(n - 2)] = 0;
    return v;
}

std::vector<double> Sine(int n)
{
    std::vector<double> v;
    for (int i = 0; i < n; ++i)
        v.push_back(std::round(1000 * std::sin(i * 0.37)));
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decimate,
    ::testing::Values(DecimateCase{"fewer_than_buckets", {1, 5, 2}, 10}, DecimateCase{"exactly_twice", Ramp(20), 10},
                      DecimateCase{"ramp", Ramp(1000), 7}, DecimateCase{"spikes", FlatWithSpikes(86400), 800},
                      DecimateCase{"sine", Sine(5000), 333}, DecimateCase{"one_bucket", Sine(100), 1},
                      DecimateCase{"constant", std::vector<double>(500, 7.5), 20}),
    [](const ::testing::TestParamInfo<DecimateCase> &p) { return std::string(p.param.name); });

TEST(Decimate, AllAtOneTimeKeepsMinAndMax)
{
    std::vector<SeriesPoint> in{{5, 3}, {5, 9}, {5, 1}, {5, 4}, {5, 2}};
    std::vector<SeriesPoint> out = DecimateMinMax(in, 1);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].v, 9);
    EXPECT_EQ(out[1].v, 1);
    EXPECT_TRUE(DecimateMinMax({}, 10).empty());
}
