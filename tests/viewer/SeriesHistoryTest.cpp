#include "viewer/SeriesHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using viewer::Point;
using viewer::SeriesHistory;

namespace {

SeriesHistory Ramp(std::size_t count, std::size_t capacity)
{
    SeriesHistory history(capacity);
    for (std::size_t i = 0; i < count; ++i)
        history.append({double(i), double(i % 7)});
    return history;
}

} // namespace

TEST(SeriesHistoryTest, KeepsTheNewestPointsUpToItsCapacity)
{
    SeriesHistory history = Ramp(10, 4);
    ASSERT_EQ(history.size(), 4u);
    EXPECT_EQ(history.points().front().x, 6);
    EXPECT_EQ(history.points().back().x, 9);
    history.shrinkTo(2);
    EXPECT_EQ(history.points().front().x, 8);
    history.append({10, 0});
    EXPECT_EQ(history.size(), 2u);
}

TEST(SeriesHistoryTest, APointFromAClockThatSteppedBackIsPlacedByItsTime)
{
    SeriesHistory history(10);
    for (double x : {1.0, 5.0, 3.0, 5.0, 0.5})
        history.append({x, x});
    std::vector<double> xs;
    for (const Point& p : history.points())
        xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<double>{0.5, 1, 3, 5, 5}));
}

TEST(SeriesHistoryTest, FewPointsAreGivenAsTheyAreWithOneNeighbourOutsideEachEdge)
{
    const SeriesHistory history = Ramp(100, 100);
    const std::vector<Point> shown = history.reduced(10.5, 20.5, 1000);
    ASSERT_EQ(shown.size(), 12u);
    EXPECT_EQ(shown.front().x, 10);
    EXPECT_EQ(shown.back().x, 21);
}

struct Reduction {
    std::size_t points;
    int columns;
};

class SeriesHistoryReduction : public testing::TestWithParam<Reduction> {};

// A day at 1 s drawn on a few hundred pixels: at most four points a column,
// in time order, and every column keeps its lowest and highest value, so the
// line covers what the full one covers.
TEST_P(SeriesHistoryReduction, KeepsEachColumnsExtremesInTimeOrder)
{
    const auto [count, columns] = GetParam();
    SeriesHistory history(count);
    for (std::size_t i = 0; i < count; ++i)
        history.append({double(i) * 1000.0, std::sin(double(i) / 50.0) * 10 + double(i % 3)});
    const double from = 0, to = double(count - 1) * 1000.0;
    const std::vector<Point> shown = history.reduced(from, to, columns);
    EXPECT_LE(shown.size(), std::size_t(columns + 1) * 4);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(),
                               [](const Point& a, const Point& b) { return a.x < b.x; }));
    const double width = (to - from) / columns;
    for (int column = 0; column < columns; ++column) {
        double low = 1e9, high = -1e9, shownLow = 1e9, shownHigh = -1e9;
        const auto in = [&](const Point& p) { return std::floor((p.x - from) / width) == column; };
        for (const Point& p : history.points())
            if (in(p)) {
                low = std::min(low, p.y);
                high = std::max(high, p.y);
            }
        for (const Point& p : shown)
            if (in(p)) {
                shownLow = std::min(shownLow, p.y);
                shownHigh = std::max(shownHigh, p.y);
            }
        ASSERT_EQ(shownLow, low) << "column " << column;
        ASSERT_EQ(shownHigh, high) << "column " << column;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SeriesHistoryReduction,
                         testing::Values(Reduction{86'400, 300}, Reduction{10'000, 977},
                                         Reduction{5'000, 1'249}),
                         [](const testing::TestParamInfo<Reduction>& info) {
                             return std::to_string(info.param.points) + "PointsOn" +
                                    std::to_string(info.param.columns) + "Columns";
                         });
