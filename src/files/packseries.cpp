#include "files/packseries.h"

#include "files/decimate.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace {
struct FixedSeries {
    const char *name;
    const char *unit;
};
constexpr std::array<FixedSeries, kSeriesFirstTemp> kFixedSeries{{
    {QT_TRANSLATE_NOOP("PackSeries", "总电压"), "V"},
    {QT_TRANSLATE_NOOP("PackSeries", "总电流"), "A"},
    {QT_TRANSLATE_NOOP("PackSeries", "SOC"), "%"},
    {QT_TRANSLATE_NOOP("PackSeries", "最高电压"), "mV"},
    {QT_TRANSLATE_NOOP("PackSeries", "最低电压"), "mV"},
    {QT_TRANSLATE_NOOP("PackSeries", "最大压差"), "mV"},
}};
} // namespace

QString PackSeriesName(int index)
{
    if (index >= 0 && index < kSeriesFirstTemp)
        return QString::fromUtf8(kFixedSeries[static_cast<std::size_t>(index)].name);
    return QStringLiteral("温度%1").arg(index - kSeriesFirstTemp + 1);
}

QString PackSeriesUnit(int index)
{
    if (index >= 0 && index < kSeriesFirstTemp)
        return QString::fromUtf8(kFixedSeries[static_cast<std::size_t>(index)].unit);
    return QStringLiteral("°C");
}

PackSample SampleFromLiveStatus(const LiveStatus &status, double t)
{
    PackSample s;
    s.t = t;
    if (status.power) {
        if (status.power->voltageMv)
            s.voltage = *status.power->voltageMv / 1000.0;
        if (status.power->currentMa)
            s.current = *status.power->currentMa / 1000.0;
        for (std::int16_t temp : status.power->temps)
            s.temps.push_back(temp / 10.0);
    }
    if (status.soc)
        s.soc = status.soc->soc;
    if (status.cells && !status.cells->cells.empty()) {
        s.highCell = status.cells->highest;
        s.lowCell = status.cells->lowest;
        s.cellDiff = status.cells->difference;
    }
    return s;
}

double PackSeriesSteps(int index)
{
    switch (index) {
    case kSeriesVoltage:
    case kSeriesCurrent: return 1000;
    case kSeriesSoc:
    case kSeriesHighCell:
    case kSeriesLowCell:
    case kSeriesCellDiff: return 1;
    default: break;
    }
    return 10;
}

PackSeries::PackSeries(double stepsPerUnit) : m_steps(stepsPerUnit), m_old(stepsPerUnit), m_new(stepsPerUnit) {}

std::vector<SeriesPoint> PackSeries::Points() const
{
    std::vector<SeriesPoint> out(Size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = At(i);
    return out;
}

std::size_t PackSeries::LowerBound(double t) const
{
    std::size_t lo = 0, hi = Size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (T(mid) < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::size_t PackSeries::UpperBound(double t) const
{
    std::size_t lo = 0, hi = Size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (!(t < T(mid)))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::optional<double> PackSeries::ValueAt(double t) const
{
    const std::size_t after = UpperBound(t);
    if (after == 0)
        return std::nullopt;
    const std::size_t at = after - 1;
    // A gap: t lies after the last point of a segment and before the next one.
    auto next = std::upper_bound(m_starts.begin(), m_starts.end(), at);
    if (T(at) < t && after != Size() && next != m_starts.end() && *next == at + 1)
        return std::nullopt;
    return V(at);
}

void PackSeries::Append(double t, double v, bool newSegment, double gapMs)
{
    const double last = Empty() ? 0 : T(Size() - 1);
    if (newSegment || m_broken || Empty() || t < last || (gapMs > 0 && t - last > gapMs))
        m_starts.push_back(Size());
    m_broken = false;
    m_new.t.Push(t);
    m_new.v.Push(v);
}

void PackSeries::SplitGaps(double gapMs)
{
    if (gapMs <= 0)
        return;
    std::vector<std::size_t> starts;
    std::size_t k = 0;
    for (std::size_t i = 0; i < Size(); ++i) {
        if (k < m_starts.size() && m_starts[k] == i) {
            starts.push_back(i);
            ++k;
        } else if (i > 0 && T(i) - T(i - 1) > gapMs) {
            starts.push_back(i);
        }
    }
    m_starts = std::move(starts);
}

void PackSeries::ReplaceFront(std::size_t count, const std::vector<SeriesPoint> &thinned,
                              const std::vector<std::size_t> &thinnedStarts)
{
    // Segment starts: the thinned ones, then the later ones moved to their new places.
    std::vector<std::size_t> starts = thinnedStarts;
    for (std::size_t s : m_starts)
        if (s >= count)
            starts.push_back(s - count + thinned.size());
    if (starts.empty() || starts.front() != 0)
        starts.insert(starts.begin(), 0);
    const std::size_t oldCount = m_old.t.Size();
    Columns old(m_steps);
    for (const SeriesPoint &p : thinned) {
        old.t.Push(p.t);
        old.v.Push(p.v);
    }
    if (count > oldCount) {
        m_new.t.DropFront(count - oldCount);
        m_new.v.DropFront(count - oldCount);
    } else {
        // Some thinned points stay as they were: they follow the new ones.
        for (std::size_t i = count; i < oldCount; ++i) {
            old.t.Push(m_old.t[i]);
            old.v.Push(m_old.v[i]);
        }
    }
    m_old = std::move(old);
    m_starts = std::move(starts);
    if (Empty())
        m_starts.clear();
}

void PackSeries::ThinBefore(double before, int buckets)
{
    const std::size_t count = LowerBound(before);
    if (count <= m_old.t.Size() || count < 2)
        return;
    const double span = std::max(1.0, T(count - 1) - T(0));
    std::vector<SeriesPoint> thinned;
    std::vector<std::size_t> starts;
    for (std::size_t g = 0; g < SegmentCount() && SegmentBegin(g) < count; ++g) {
        const std::size_t b = SegmentBegin(g);
        const std::size_t e = std::min(SegmentEnd(g), count);
        // Buckets in proportion to the part of the span the segment covers.
        const int n = std::max(1, static_cast<int>(buckets * std::min(1.0, (T(e - 1) - T(b)) / span)));
        starts.push_back(thinned.size());
        DecimateMinMax(*this, b, e, n, thinned);
    }
    if (thinned.size() >= count)
        return; // nothing to gain
    ReplaceFront(count, thinned, starts);
}

void PackSeries::DropBefore(double t)
{
    const std::size_t count = LowerBound(t);
    if (count == 0)
        return;
    ReplaceFront(count, {}, {});
}

std::size_t PackSeries::Bytes() const
{
    return m_old.t.Bytes() + m_old.v.Bytes() + m_new.t.Bytes() + m_new.v.Bytes() +
           m_starts.capacity() * sizeof(std::size_t);
}

double PackSeriesSet::FirstT() const
{
    double first = -1;
    for (const PackSeries &s : series)
        if (!s.Empty() && (first < 0 || s.T(0) < first))
            first = s.T(0);
    return first;
}

std::size_t PackSeriesSet::Bytes() const
{
    std::size_t bytes = sizeof(PackSeriesSet) + series.capacity() * sizeof(PackSeries);
    for (const PackSeries &s : series)
        bytes += s.Bytes();
    return bytes;
}

void PackSeriesSet::Grow(std::size_t count)
{
    while (series.size() < count)
        series.emplace_back(PackSeriesSteps(static_cast<int>(series.size())));
}

PackSeriesSet &PackSeriesStore::StartSet(const QString &label)
{
    PackSeriesSet set;
    set.label = label;
    set.id = m_nextId++;
    set.Grow(kSeriesFirstTemp);
    m_sets.push_back(std::move(set));
    return m_sets.back();
}

PackSeriesSet &PackSeriesStore::AdoptSet(PackSeriesSet &&set)
{
    set.id = m_nextId++;
    m_sets.push_back(std::move(set));
    return m_sets.back();
}

const PackSeriesSet *PackSeriesStore::FindSet(std::uint64_t id) const
{
    for (const PackSeriesSet &set : m_sets)
        if (set.id == id)
            return &set;
    return nullptr;
}

void PackSeriesStore::Break()
{
    if (!m_sets.empty())
        for (PackSeries &s : m_sets.back().series)
            s.Break();
}

void PackSeriesStore::Add(const PackSample &sample)
{
    if (m_sets.empty())
        StartSet(QString());
    PackSeriesSet &set = m_sets.back();
    const std::array<const std::optional<double> *, kSeriesFirstTemp> fixed{
        &sample.voltage, &sample.current, &sample.soc, &sample.highCell, &sample.lowCell, &sample.cellDiff};
    for (std::size_t k = 0; k < fixed.size(); ++k)
        if (*fixed[k])
            set.series[k].Append(sample.t, **fixed[k], false, m_gapMs);
    set.Grow(kSeriesFirstTemp + sample.temps.size());
    for (std::size_t p = 0; p < sample.temps.size(); ++p)
        set.series[kSeriesFirstTemp + p].Append(sample.t, sample.temps[p], false, m_gapMs);
    set.lastT = std::max(set.lastT, sample.t);

    // The span is looked at every 1/24 of it (hourly for a day), the bytes at every sample.
    if (m_nextTrimT < 0)
        m_nextTrimT = sample.t + std::max(60000.0, m_fullSpanMs / 24);
    if ((m_fullSpanMs > 0 && sample.t >= m_nextTrimT) || (m_budget > 0 && Bytes() > m_budget))
        Trim(sample.t);
}

void PackSeriesStore::ThinAll(double before)
{
    bool thinned = false;
    for (PackSeriesSet &set : m_sets)
        for (PackSeries &s : set.series) {
            const std::size_t was = s.Size();
            s.ThinBefore(before, kThinBuckets);
            thinned = thinned || s.Size() != was;
        }
    if (thinned)
        m_fullSince = std::max(m_fullSince, before);
}

void PackSeriesStore::Trim(double now)
{
    m_nextTrimT = now + std::max(60000.0, m_fullSpanMs / 24);
    if (m_fullSpanMs > 0)
        ThinAll(now - m_fullSpanMs);
    if (m_budget == 0)
        return;
    // The oldest sets go first.
    while (Bytes() > m_budget && m_sets.size() > 1) {
        m_sets.pop_front();
        ++m_dropped;
    }
    // The set being filled alone is too much: less of it at full resolution,
    // and then its oldest part goes.
    const double since = HeldSince();
    double span = m_fullSpanMs > 0 ? m_fullSpanMs : now - since;
    for (int i = 0; i < 12 && Bytes() > m_budget && span > 1000; ++i) {
        span /= 2;
        ThinAll(now - span);
    }
    for (int i = 0; i < 12 && Bytes() > m_budget; ++i) {
        const double from = HeldSince();
        const double cut = from + (now - from) / 2;
        for (PackSeries &s : m_sets.back().series)
            s.DropBefore(cut);
    }
}

std::size_t PackSeriesStore::Bytes() const
{
    std::size_t bytes = 0;
    for (const PackSeriesSet &set : m_sets)
        bytes += set.Bytes();
    return bytes;
}

double PackSeriesStore::HeldSince() const
{
    double first = -1;
    for (const PackSeriesSet &set : m_sets) {
        const double t = set.FirstT();
        if (t >= 0 && (first < 0 || t < first))
            first = t;
    }
    return first;
}
