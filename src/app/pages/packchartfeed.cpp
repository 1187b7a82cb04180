#include "app/pages/packchartfeed.h"

#include <QDateTime>

PackChartFeed::PackChartFeed(QObject *parent)
    : QObject(parent), m_clock([] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()); })
{
}

void PackChartFeed::OnShown(std::uint8_t code)
{
    PackSample full = SampleFromLiveStatus(m_shown, m_clock());
    // Only the values of the item just shown become points.
    PackSample s;
    s.t = full.t;
    switch (code) {
    case kStatusPower:
        s.voltage = full.voltage;
        s.current = full.current;
        s.temps = full.temps;
        break;
    case kStatusCells:
        s.highCell = full.highCell;
        s.lowCell = full.lowCell;
        s.cellDiff = full.cellDiff;
        break;
    case kStatusSoc: s.soc = full.soc; break;
    default: break;
    }
    if (s.voltage || s.current || !s.temps.empty() || s.highCell || s.soc) {
        if (m_store.Sets().empty())
            StartSet(tr("连接 %1").arg(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(s.t)).toString("HH:mm:ss")));
        const std::uint64_t sets = m_store.Generation();
        m_store.Add(s);
        // Keeping within the memory budget dropped the oldest sets.
        if (m_store.Generation() != sets)
            emit SetsChanged();
    }
    emit Updated(code);
}

void PackChartFeed::OnStale()
{
    m_store.Break();
}

void PackChartFeed::StartSet(const QString &label)
{
    m_store.StartSet(label);
    emit SetsChanged();
}

void PackChartFeed::OnPortOpened()
{
    m_store.Break();
    // A set still empty is used on; otherwise the new connection starts its own.
    if (m_store.Current() && m_store.Current()->lastT < 0)
        return;
    StartSet(tr("连接 %1").arg(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(m_clock())).toString("HH:mm:ss")));
}

void PackChartFeed::OnBoardReplaced(const QString &sn)
{
    m_shown = LiveStatus{};
    StartSet(tr("板卡 %1").arg(sn));
}

void PackChartFeed::OnBoardSwitched()
{
    m_shown = LiveStatus{};
    StartSet(tr("切换 %1").arg(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(m_clock())).toString("HH:mm:ss")));
}
