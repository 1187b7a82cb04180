// Which values of the live status page are stale, without widgets: an item
// the page refreshes that has not come for three refresh periods, and every
// item shown before the port closed. The page greys what this says is stale
// and says since when.
#pragma once

#include <QDateTime>

#include <cstddef>
#include <functional>
#include <vector>

class StatusFreshness {
public:
    static constexpr int kStalePeriods = 3;

    explicit StatusFreshness(std::size_t items);

    // The item came now; true when it was stale until now.
    bool MarkFresh(std::size_t item, qint64 nowMs, const QDateTime &wall);
    // Items the page refreshes (watched) that have not come for kStalePeriods
    // periods go stale; the ones that went stale now, in item order.
    std::vector<std::size_t> Age(qint64 nowMs, qint64 periodMs, const std::function<bool(std::size_t)> &watched);
    // The port closed: every item shown so far goes stale; the ones that went stale now.
    std::vector<std::size_t> AllShownStale();
    // Nothing shown any more: nothing is stale; the ones that were.
    std::vector<std::size_t> Forget();

    bool IsStale(std::size_t item) const { return item < m_items.size() && m_items[item].stale; }
    int StaleCount() const;
    // When the oldest stale value came; invalid when nothing is stale.
    QDateTime StaleSince() const;

private:
    struct Item {
        qint64 freshAt = -1; // never shown
        QDateTime wall;
        bool stale = false;
    };
    std::vector<Item> m_items;
};

// How often the page expects an item while it refreshes: in batch mode the
// save period bounded to 3-10 s, else one command interval per ticked item and
// one more, at least a second.
int LiveRefreshPeriodMs(bool batchMode, int saveIntervalMs, int tickedItems, int commandIntervalMs);
