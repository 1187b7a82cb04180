// Time series of the pack for the charts: total voltage, current, SOC, the
// cell extremes and their difference, and one series per temperature probe.
// Each series is a list of (time, value) points split into segments: a
// segment ends where the values stopped being fresh, so a chart draws a gap
// there instead of a straight line. A board switch starts a new set of series.
#pragma once

#include "files/compactcolumn.h"
#include "protocol/live_status.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

struct SeriesPoint {
    double t = 0; // ms since the epoch
    double v = 0;
};

// The fixed series of a set; the temperatures follow as kSeriesFirstTemp + probe - 1.
enum PackSeriesKind {
    kSeriesVoltage,
    kSeriesCurrent,
    kSeriesSoc,
    kSeriesHighCell,
    kSeriesLowCell,
    kSeriesCellDiff,
    kSeriesFirstTemp
};

// Name (the Chinese source text, translated where it is shown) and unit of a series.
QString PackSeriesName(int index);
QString PackSeriesUnit(int index);

// One sample of every value known at one time; a missing value adds no point.
struct PackSample {
    double t = 0;                   // ms since the epoch
    std::optional<double> voltage;  // V
    std::optional<double> current;  // A
    std::optional<double> soc;      // %
    std::optional<double> highCell; // mV
    std::optional<double> lowCell;  // mV
    std::optional<double> cellDiff; // mV
    std::vector<double> temps;      // degrees C, per probe
};

// The values of a live state as the live page shows them (voltage and
// current from millivolts and milliamps, temperatures from tenths).
PackSample SampleFromLiveStatus(const LiveStatus &status, double t);

// Steps per unit of a series' values as the board sends them (volts and amps
// to the millivolt and milliamp, SOC and cell voltages whole, temperatures to
// a tenth): its values are kept in the narrowest integers that hold those steps.
double PackSeriesSteps(int index);

class PackSeries {
public:
    explicit PackSeries(double stepsPerUnit = 1);

    std::size_t Size() const { return m_old.t.Size() + m_new.t.Size(); }
    bool Empty() const { return Size() == 0; }
    double T(std::size_t i) const { return i < m_old.t.Size() ? m_old.t[i] : m_new.t[i - m_old.t.Size()]; }
    double V(std::size_t i) const { return i < m_old.t.Size() ? m_old.v[i] : m_new.v[i - m_old.t.Size()]; }
    SeriesPoint At(std::size_t i) const { return {T(i), V(i)}; }
    // A copy of every point (small series and checks; charts read At()).
    std::vector<SeriesPoint> Points() const;
    // Index of the first point of every segment (the first is 0 when not empty).
    const std::vector<std::size_t> &SegmentStarts() const { return m_starts; }
    std::size_t SegmentCount() const { return m_starts.size(); }
    // Points [begin, end) of segment k.
    std::size_t SegmentBegin(std::size_t k) const { return m_starts[k]; }
    std::size_t SegmentEnd(std::size_t k) const { return k + 1 < m_starts.size() ? m_starts[k + 1] : Size(); }
    // First point at or after t, first point after t.
    std::size_t LowerBound(double t) const;
    std::size_t UpperBound(double t) const;
    // The last point at or before t within its segment (for a cursor); none
    // in a gap or before the first point.
    std::optional<double> ValueAt(double t) const;

    // Starts a new segment when asked, after a break, when time went back or
    // when the point is more than gapMs (> 0) after the last one.
    void Append(double t, double v, bool newSegment, double gapMs = 0);
    void Break() { m_broken = true; }
    // Starts a new segment wherever two points are more than gapMs apart.
    void SplitGaps(double gapMs);

    // The points before `before` are thinned to the lowest and highest point
    // of each of at most `buckets` equal time buckets over their span (per
    // segment, so gaps stay gaps); the points from `before` on are untouched.
    void ThinBefore(double before, int buckets);
    // Points [0, n) are the thinned ones.
    std::size_t ThinnedCount() const { return m_old.t.Size(); }
    // Drops every point before t.
    void DropBefore(double t);
    std::size_t Bytes() const;

private:
    // Times (ms since the epoch) and values of a run of points.
    struct Columns {
        explicit Columns(double steps) : v(steps) {}
        CompactColumn t{1, true};
        CompactColumn v;
    };
    // The first `count` points, thinned, become the thinned part.
    void ReplaceFront(std::size_t count, const std::vector<SeriesPoint> &thinned,
                      const std::vector<std::size_t> &thinnedStarts);

    double m_steps;
    Columns m_old; // thinned points, oldest first
    Columns m_new; // every point since
    std::vector<std::size_t> m_starts;
    bool m_broken = false;
};

// The series of one board (or of one recorded run).
struct PackSeriesSet {
    QString label;                  // "主电", "副电", a file name ...
    std::vector<PackSeries> series; // by PackSeriesKind, then temperatures
    double lastT = -1;              // time of the last sample added
    std::uint64_t id = 0;           // unique within its store, never reused

    std::size_t TempCount() const { return series.size() - kSeriesFirstTemp; }
    double FirstT() const;
    std::size_t Bytes() const;
    // Creates the series up to `count` with the steps of their kinds.
    void Grow(std::size_t count);
};

// The sets of a run, kept within a budget of memory: the newest FullSpanMs()
// of every set at full resolution, older points thinned to per-pixel extremes
// of a wide chart, and when that is still too much the oldest sets go first,
// then the oldest part of the set being filled. References to sets stay valid
// while sets are added and dropped (only the dropped ones go).
class PackSeriesStore {
public:
    static constexpr double kDefaultFullSpanMs = 24 * 3600 * 1000.0;
    static constexpr std::size_t kDefaultBudget = std::size_t(96) << 20;
    // Buckets the thinned part of a series is kept in (min and max each).
    static constexpr int kThinBuckets = 4096;

    // Samples further apart than this start a new segment too (ms, 0 = never).
    void SetGapMs(double ms) { m_gapMs = ms; }
    double GapMs() const { return m_gapMs; }
    // Limits (0 = no limit); applied as samples come.
    void SetBudget(std::size_t bytes) { m_budget = bytes; }
    std::size_t Budget() const { return m_budget; }
    void SetFullSpanMs(double ms) { m_fullSpanMs = ms; }
    double FullSpanMs() const { return m_fullSpanMs; }

    // Starts a new set (a board switch, a newly opened port or file).
    PackSeriesSet &StartSet(const QString &label);
    // Takes a set filled elsewhere as the newest (it gets an id of this store).
    PackSeriesSet &AdoptSet(PackSeriesSet &&set);
    // Appends a sample to the current set (starting one when there is none).
    void Add(const PackSample &sample);
    // The values are no longer fresh: the next sample starts new segments.
    void Break();
    void Clear() { m_sets.clear(); }
    // Thins and drops now as the budget asks (Add does it on its own).
    void Trim(double now);

    const std::deque<PackSeriesSet> &Sets() const { return m_sets; }
    PackSeriesSet *Current() { return m_sets.empty() ? nullptr : &m_sets.back(); }
    const PackSeriesSet *Current() const { return m_sets.empty() ? nullptr : &m_sets.back(); }
    const PackSeriesSet *FindSet(std::uint64_t id) const;

    // Memory held by the points, spare room included.
    std::size_t Bytes() const;
    // What the store holds: the first time still held (-1: nothing), the time
    // from which every point is kept (-1: all of them are), sets dropped so far.
    double HeldSince() const;
    double FullSince() const { return m_fullSince; }
    std::size_t DroppedSets() const { return m_dropped; }
    // Changes whenever sets are added or dropped.
    std::uint64_t Generation() const { return m_nextId + m_dropped; }

private:
    void ThinAll(double before);

    std::deque<PackSeriesSet> m_sets;
    double m_gapMs = 0;
    std::size_t m_budget = kDefaultBudget;
    double m_fullSpanMs = kDefaultFullSpanMs;
    double m_fullSince = -1;
    double m_nextTrimT = -1;
    std::size_t m_dropped = 0;
    std::uint64_t m_nextId = 0;
};
