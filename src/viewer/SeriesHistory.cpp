#include "viewer/SeriesHistory.h"

#include <algorithm>
#include <cmath>

namespace viewer {

namespace {

bool EarlierX(const Point& a, const Point& b)
{
    return a.x < b.x;
}

// Appends the column's points in time order, each once.
void EmitColumn(std::vector<Point>& out, const Point& first, const Point& low, const Point& high,
                const Point& last, std::size_t count)
{
    if (count == 1) {
        out.push_back(first);
        return;
    }
    const Point& early = low.x <= high.x ? low : high;
    const Point& late = low.x <= high.x ? high : low;
    for (const Point* p : {&first, &early, &late, &last})
        if (out.empty() || !(out.back() == *p))
            out.push_back(*p);
}

} // namespace

void SeriesHistory::append(Point point)
{
    if (capacity_ == 0)
        return;
    if (points_.empty() || points_.back().x <= point.x)
        points_.push_back(point);
    else
        points_.insert(std::upper_bound(points_.begin(), points_.end(), point, EarlierX), point);
    if (points_.size() > capacity_)
        points_.pop_front();
}

void SeriesHistory::shrinkTo(std::size_t capacity)
{
    capacity_ = capacity;
    if (points_.size() > capacity_)
        points_.erase(points_.begin(), points_.begin() + (points_.size() - capacity_));
}

std::vector<Point> SeriesHistory::reduced(double from, double to, int columns) const
{
    std::vector<Point> out;
    if (points_.empty() || !(to > from) || columns <= 0)
        return out;
    auto begin = std::lower_bound(points_.begin(), points_.end(), Point{from, 0}, EarlierX);
    auto end = std::upper_bound(points_.begin(), points_.end(), Point{to, 0}, EarlierX);
    if (begin != points_.begin())
        --begin;
    if (end != points_.end())
        ++end;
    if (static_cast<std::size_t>(end - begin) <= static_cast<std::size_t>(columns) * 4u) {
        out.assign(begin, end);
        return out;
    }
    const double width = (to - from) / columns;
    const auto columnOf = [&](double x) { return std::floor((x - from) / width); };
    Point first = *begin, low = first, high = first, last = first;
    std::size_t count = 1;
    double column = columnOf(first.x);
    for (auto it = begin + 1; it != end; ++it) {
        const double c = columnOf(it->x);
        if (c != column) {
            EmitColumn(out, first, low, high, last, count);
            first = low = high = last = *it;
            count = 1;
            column = c;
            continue;
        }
        if (it->y < low.y)
            low = *it;
        if (it->y > high.y)
            high = *it;
        last = *it;
        ++count;
    }
    EmitColumn(out, first, low, high, last, count);
    return out;
}

} // namespace viewer
