// What the live status page hands its charts: the values it has just shown
// (decoded once, by the page), kept as time series since the port opened, a
// new set of series per board switch, and a break wherever values went stale.
// The store keeps within its memory budget, so a run of days does not grow
// without end: older points are thinned, the oldest sets dropped.
#pragma once

#include "files/packseries.h"
#include "protocol/live_status.h"

#include <QObject>

#include <cstdint>
#include <functional>

class PackChartFeed : public QObject {
    Q_OBJECT
public:
    explicit PackChartFeed(QObject *parent = nullptr);

    // ms since the epoch of a shown value (tests set their own).
    void SetClock(std::function<double()> clock) { m_clock = std::move(clock); }

    // The page showed an item's values: its part of the shown state is new.
    void OnShown(std::uint8_t code);
    // Shown values went stale (no fresh answers, port closed, link lost).
    void OnStale();
    // The port opened (label "HH:mm:ss") or the pages switched to the other board.
    void OnPortOpened();
    void OnBoardSwitched();
    // Another board answers on the port: a new set of series, named after its SN.
    void OnBoardReplaced(const QString &sn);

    LiveStatus &Shown() { return m_shown; }
    const LiveStatus &Shown() const { return m_shown; }
    const PackSeriesStore &Store() const { return m_store; }
    // The limits of the store (tests and benchmarks set small ones).
    PackSeriesStore &Store() { return m_store; }

signals:
    void Updated(std::uint8_t code);
    // A new set of series began (port opened, board switched).
    void SetsChanged();

private:
    void StartSet(const QString &label);

    LiveStatus m_shown;
    PackSeriesStore m_store;
    std::function<double()> m_clock;
};
