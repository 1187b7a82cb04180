// Time series of the pack for the charts: total voltage, current, SOC, the
// cell extremes and their difference, and one series per temperature probe.
// Each series is a list of (time, value) points split into segments: a
// segment ends where the values stopped being fresh, so a chart draws a gap
// there instead of a straight line. A board switch starts a new set of series.
#pragma once

#include "protocol/live_status.h"

#include <QString>

#include <cstddef>
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

class PackSeries {
public:
    const std::vector<SeriesPoint> &Points() const { return m_points; }
    // Index of the first point of every segment (the first is 0 when not empty).
    const std::vector<std::size_t> &SegmentStarts() const { return m_starts; }
    std::size_t SegmentCount() const { return m_starts.size(); }
    // Points [begin, end) of segment k.
    std::size_t SegmentBegin(std::size_t k) const { return m_starts[k]; }
    std::size_t SegmentEnd(std::size_t k) const { return k + 1 < m_starts.size() ? m_starts[k + 1] : m_points.size(); }
    bool Empty() const { return m_points.empty(); }
    // The last point at or before t within its segment (for a cursor); none
    // in a gap or before the first point.
    std::optional<double> ValueAt(double t) const;

    // Starts a new segment when asked, after a break, when time went back or
    // when the point is more than gapMs (> 0) after the last one.
    void Append(double t, double v, bool newSegment, double gapMs = 0);
    void Break() { m_broken = true; }
    void Reserve(std::size_t n) { m_points.reserve(n); }

private:
    std::vector<SeriesPoint> m_points;
    std::vector<std::size_t> m_starts;
    bool m_broken = false;
};

// The series of one board (or of one recorded run).
struct PackSeriesSet {
    QString label;                  // "主电", "副电", a file name ...
    std::vector<PackSeries> series; // by PackSeriesKind, then temperatures
    double lastT = -1;              // time of the last sample added

    std::size_t TempCount() const { return series.size() - kSeriesFirstTemp; }
    double FirstT() const;
};

class PackSeriesStore {
public:
    // Samples further apart than this start a new segment too (ms, 0 = never).
    void SetGapMs(double ms) { m_gapMs = ms; }
    double GapMs() const { return m_gapMs; }

    // Starts a new set (a board switch, a newly opened port or file).
    PackSeriesSet &StartSet(const QString &label);
    // Appends a sample to the current set (starting one when there is none).
    void Add(const PackSample &sample);
    // The values are no longer fresh: the next sample starts new segments.
    void Break();
    void Clear() { m_sets.clear(); }

    const std::vector<PackSeriesSet> &Sets() const { return m_sets; }
    PackSeriesSet *Current() { return m_sets.empty() ? nullptr : &m_sets.back(); }
    const PackSeriesSet *Current() const { return m_sets.empty() ? nullptr : &m_sets.back(); }

private:
    std::vector<PackSeriesSet> m_sets;
    double m_gapMs = 0;
};
