#include "app/pages/livestatusfreshness.h"

#include <algorithm>

StatusFreshness::StatusFreshness(std::size_t items) : m_items(items) {}

bool StatusFreshness::MarkFresh(std::size_t item, qint64 nowMs, const QDateTime &wall)
{
    if (item >= m_items.size())
        return false;
    Item &it = m_items[item];
    it.freshAt = nowMs;
    it.wall = wall;
    const bool wasStale = it.stale;
    it.stale = false;
    return wasStale;
}

std::vector<std::size_t> StatusFreshness::Age(qint64 nowMs, qint64 periodMs,
                                              const std::function<bool(std::size_t)> &watched)
{
    std::vector<std::size_t> gone;
    const qint64 limit = static_cast<qint64>(kStalePeriods) * periodMs;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        Item &it = m_items[i];
        if (it.stale || it.freshAt < 0 || !watched(i) || nowMs - it.freshAt <= limit)
            continue;
        it.stale = true;
        gone.push_back(i);
    }
    return gone;
}

std::vector<std::size_t> StatusFreshness::AllShownStale()
{
    std::vector<std::size_t> gone;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].freshAt >= 0 && !m_items[i].stale) {
            m_items[i].stale = true;
            gone.push_back(i);
        }
    }
    return gone;
}

std::vector<std::size_t> StatusFreshness::Forget()
{
    std::vector<std::size_t> were;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].stale)
            were.push_back(i);
        m_items[i] = Item{};
    }
    return were;
}

int StatusFreshness::StaleCount() const
{
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(), [](const Item &i) { return i.stale; }));
}

QDateTime StatusFreshness::StaleSince() const
{
    QDateTime since;
    for (const Item &i : m_items)
        if (i.stale && (!since.isValid() || i.wall < since))
            since = i.wall;
    return since;
}

int LiveRefreshPeriodMs(bool batchMode, int saveIntervalMs, int tickedItems, int commandIntervalMs)
{
    if (batchMode)
        return std::clamp(saveIntervalMs, 3000, 10000);
    return std::max(1000, commandIntervalMs * (tickedItems + 1));
}
