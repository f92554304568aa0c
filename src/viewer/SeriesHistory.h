#pragma once

#include <cstddef>
#include <deque>
#include <vector>

namespace viewer {

// One value against time: x in milliseconds since the epoch, y the value.
struct Point {
    double x = 0;
    double y = 0;

    bool operator==(const Point&) const = default;
};

// The values of one CCM in arrival order, at most `capacity` of them: the
// oldest goes first. Drawing a day of a 1 s CCM means 86 400 points for a
// few hundred pixels, so `reduced` gives at most four points per pixel
// column (the first, the lowest, the highest and the last, in time order),
// which draws the same line.
class SeriesHistory {
public:
    explicit SeriesHistory(std::size_t capacity) : capacity_(capacity) {}

    // A point older than the last is kept in order too (a capture's clock
    // may step back): it is placed by its time.
    void append(Point point);
    // Drops the oldest points beyond `capacity`; the new capacity holds.
    void shrinkTo(std::size_t capacity);

    std::size_t size() const { return points_.size(); }
    std::size_t capacity() const { return capacity_; }
    const std::deque<Point>& points() const { return points_; }

    // The points with from <= x <= to, plus the nearest one outside on each
    // side so the line reaches the edges; at most 4 per column.
    std::vector<Point> reduced(double from, double to, int columns) const;

private:
    std::size_t capacity_;
    std::deque<Point> points_;
};

} // namespace viewer
