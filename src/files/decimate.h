// Thinning a long series to the width of a chart: the time range is cut into
// equal buckets (one or two per pixel) and each bucket keeps its lowest and
// its highest point, in time order, so a spike of a single sample stays visible.
#pragma once

#include "files/packseries.h"

#include <cstddef>
#include <vector>

// Points [begin, end) of a series sorted by time, cut into `buckets` equal
// time buckets from the first to the last point. A bucket with one point keeps
// it; a bucket with more keeps its minimum and its maximum (the first of equal
// values), in time order. The first and last points are always kept. Fewer
// points than twice the buckets are returned as they are.
void DecimateMinMax(const SeriesPoint *begin, const SeriesPoint *end, int buckets, std::vector<SeriesPoint> &out);
std::vector<SeriesPoint> DecimateMinMax(const std::vector<SeriesPoint> &points, int buckets);
// The same over points [begin, end) of a stored series.
void DecimateMinMax(const PackSeries &series, std::size_t begin, std::size_t end, int buckets,
                    std::vector<SeriesPoint> &out);
