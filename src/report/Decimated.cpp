#include "report/Decimated.h"

#include <algorithm>
#include <array>

namespace report {

namespace {

// The first, lowest, highest and last points of one bucket, by index.
struct Bucket {
    std::size_t first = 0;
    std::size_t low = 0;
    std::size_t high = 0;
    std::size_t last = 0;
    bool used = false;

    void Add(const std::vector<SeriesPoint>& points, std::size_t index)
    {
        if (!used) {
            first = low = high = index;
            used = true;
        }
        if (points[index].value < points[low].value)
            low = index;
        if (points[index].value > points[high].value)
            high = index;
        last = index;
    }
};

} // namespace

std::vector<SeriesPoint> Decimated(const std::vector<SeriesPoint>& points, double from, double to,
                                   std::size_t buckets)
{
    buckets = std::max<std::size_t>(buckets, 1);
    std::vector<SeriesPoint> kept;
    const bool fits = points.size() <= 4 * buckets;
    std::vector<Bucket> spans(fits ? 0 : buckets);
    const double width = to > from ? (to - from) / static_cast<double>(buckets) : 1;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double t = points[i].seconds;
        if (!(t >= from && t <= to))
            continue;
        if (fits) {
            kept.push_back(points[i]);
            continue;
        }
        const auto at = static_cast<std::size_t>((t - from) / width);
        spans[std::min(at, buckets - 1)].Add(points, i);
    }
    for (const Bucket& bucket : spans) {
        if (!bucket.used)
            continue;
        std::array<std::size_t, 4> order{bucket.first, bucket.low, bucket.high, bucket.last};
        std::sort(order.begin(), order.end());
        const std::size_t* end = std::unique(order.begin(), order.end());
        for (const std::size_t* index = order.begin(); index != end; ++index)
            kept.push_back(points[*index]);
    }
    return kept;
}

} // namespace report
