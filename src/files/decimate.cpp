#include "files/decimate.h"

#include <algorithm>

void DecimateMinMax(const SeriesPoint *begin, const SeriesPoint *end, int buckets, std::vector<SeriesPoint> &out)
{
    const std::ptrdiff_t n = end - begin;
    if (n <= 0)
        return;
    if (buckets < 1 || n <= 2 * static_cast<std::ptrdiff_t>(buckets)) {
        out.insert(out.end(), begin, end);
        return;
    }
    const double t0 = begin->t;
    const double span = (end - 1)->t - t0;
    if (span <= 0) {
        // All at one time: its extremes only.
        auto [lo, hi] =
            std::minmax_element(begin, end, [](const SeriesPoint &a, const SeriesPoint &b) { return a.v < b.v; });
        out.push_back(lo < hi ? *lo : *hi);
        if (lo != hi)
            out.push_back(lo < hi ? *hi : *lo);
        return;
    }
    const std::size_t first = out.size();
    const SeriesPoint *p = begin;
    for (int b = 0; b < buckets && p < end; ++b) {
        // The bucket holds the points whose time maps to b; the last takes the end point too.
        const double limit = b + 1 == buckets ? (end - 1)->t : t0 + span * (b + 1) / buckets;
        const SeriesPoint *lo = p;
        const SeriesPoint *hi = p;
        const SeriesPoint *q = p;
        for (; q < end && (q->t < limit || (b + 1 == buckets)); ++q) {
            if (q->v < lo->v)
                lo = q;
            if (q->v > hi->v)
                hi = q;
        }
        if (q == p)
            continue;
        const SeriesPoint *a = std::min(lo, hi);
        const SeriesPoint *z = std::max(lo, hi);
        out.push_back(*a);
        if (z != a)
            out.push_back(*z);
        p = q;
    }
    // Keep the ends so the line spans the whole range.
    if (out[first].t != begin->t)
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(first), *begin);
    if (out.back().t != (end - 1)->t)
        out.push_back(*(end - 1));
}

std::vector<SeriesPoint> DecimateMinMax(const std::vector<SeriesPoint> &points, int buckets)
{
    std::vector<SeriesPoint> out;
    out.reserve(std::min<std::size_t>(points.size(), static_cast<std::size_t>(std::max(buckets, 0)) * 2 + 2));
    DecimateMinMax(points.data(), points.data() + points.size(), buckets, out);
    return out;
}
