#include "files/packseries.h"

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

std::optional<double> PackSeries::ValueAt(double t) const
{
    auto after =
        std::upper_bound(m_points.begin(), m_points.end(), t, [](double x, const SeriesPoint &p) { return x < p.t; });
    if (after == m_points.begin())
        return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(after - m_points.begin()) - 1;
    // A gap: t lies after the last point of a segment and before the next one.
    auto next = std::upper_bound(m_starts.begin(), m_starts.end(), at);
    if (m_points[at].t < t && after != m_points.end() && next != m_starts.end() && *next == at + 1)
        return std::nullopt;
    return m_points[at].v;
}

void PackSeries::Append(double t, double v, bool newSegment, double gapMs)
{
    if (newSegment || m_broken || m_points.empty() || t < m_points.back().t ||
        (gapMs > 0 && t - m_points.back().t > gapMs))
        m_starts.push_back(m_points.size());
    m_broken = false;
    m_points.push_back({t, v});
}

double PackSeriesSet::FirstT() const
{
    double first = -1;
    for (const PackSeries &s : series)
        if (!s.Empty() && (first < 0 || s.Points().front().t < first))
            first = s.Points().front().t;
    return first;
}

PackSeriesSet &PackSeriesStore::StartSet(const QString &label)
{
    PackSeriesSet set;
    set.label = label;
    set.series.resize(kSeriesFirstTemp);
    m_sets.push_back(std::move(set));
    return m_sets.back();
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
    if (set.series.size() < kSeriesFirstTemp + sample.temps.size())
        set.series.resize(kSeriesFirstTemp + sample.temps.size());
    for (std::size_t p = 0; p < sample.temps.size(); ++p)
        set.series[kSeriesFirstTemp + p].Append(sample.t, sample.temps[p], false, m_gapMs);
    set.lastT = std::max(set.lastT, sample.t);
}
