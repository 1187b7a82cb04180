#include "files/decimate.h"

#include <algorithm>

namespace {
// The thinning over n points read through at(i).
template <typename At> void Thin(std::size_t n, const At &at, int buckets, std::vector<SeriesPoint> &out)
{
    if (n == 0)
        return;
    if (buckets < 1 || n <= 2 * static_cast<std::size_t>(buckets)) {
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(at(i));
        return;
    }
    const SeriesPoint first = at(0);
    const SeriesPoint last = at(n - 1);
    const double t0 = first.t;
    const double span = last.t - t0;
    if (span <= 0) {
        // All at one time: its extremes only.
        std::size_t lo = 0, hi = 0;
        for (std::size_t i = 1; i < n; ++i) {
            const double v = at(i).v;
            if (v < at(lo).v)
                lo = i;
            if (v >= at(hi).v)
                hi = i;
        }
        out.push_back(at(std::min(lo, hi)));
        if (lo != hi)
            out.push_back(at(std::max(lo, hi)));
        return;
    }
    const std::size_t kept = out.size();
    std::size_t p = 0;
    for (int b = 0; b < buckets && p < n; ++b) {
        // The bucket holds the points whose time maps to b; the last takes the end point too.
        const bool lastBucket = b + 1 == buckets;
        const double limit = lastBucket ? last.t : t0 + span * (b + 1) / buckets;
        std::size_t lo = p, hi = p;
        double loV = at(p).v, hiV = loV;
        std::size_t q = p;
        for (; q < n; ++q) {
            const SeriesPoint x = at(q);
            if (!(x.t < limit || lastBucket))
                break;
            if (x.v < loV) {
                lo = q;
                loV = x.v;
            }
            if (x.v > hiV) {
                hi = q;
                hiV = x.v;
            }
        }
        if (q == p)
            continue;
        out.push_back(at(std::min(lo, hi)));
        if (lo != hi)
            out.push_back(at(std::max(lo, hi)));
        p = q;
    }
    // Keep the ends so the line spans the whole range.
    if (out[kept].t != first.t)
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(kept), first);
    if (out.back().t != last.t)
        out.push_back(last);
}
} // namespace

void DecimateMinMax(const SeriesPoint *begin, const SeriesPoint *end, int buckets, std::vector<SeriesPoint> &out)
{
    if (end <= begin)
        return;
    Thin(
        static_cast<std::size_t>(end - begin), [begin](std::size_t i) { return begin[i]; }, buckets, out);
}

std::vector<SeriesPoint> DecimateMinMax(const std::vector<SeriesPoint> &points, int buckets)
{
    std::vector<SeriesPoint> out;
    out.reserve(std::min<std::size_t>(points.size(), static_cast<std::size_t>(std::max(buckets, 0)) * 2 + 2));
    DecimateMinMax(points.data(), points.data() + points.size(), buckets, out);
    return out;
}

void DecimateMinMax(const PackSeries &series, std::size_t begin, std::size_t end, int buckets,
                    std::vector<SeriesPoint> &out)
{
    end = std::min(end, series.Size());
    if (end <= begin)
        return;
    Thin(
        end - begin, [&series, begin](std::size_t i) { return series.At(begin + i); }, buckets, out);
}
