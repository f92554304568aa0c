#pragma once

#include "report/RunResult.h"

#include <cstddef>
#include <vector>

namespace report {

// A series cut down for a chart `buckets` wide: the time span from..to is
// split into equal buckets and each keeps its first, lowest, highest and last
// point, in time order. A step line through them shows every level change a
// bucket's width can show and every extreme, and the chart never holds more
// than 4 points per bucket however long the run. Points outside from..to are
// left out; a series that already fits is returned whole.
std::vector<SeriesPoint> Decimated(const std::vector<SeriesPoint>& points, double from, double to,
                                   std::size_t buckets);

} // namespace report
