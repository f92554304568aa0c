#include "report/Decimated.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using report::SeriesPoint;

std::vector<SeriesPoint> Sawtooth(std::size_t count)
{
    std::vector<SeriesPoint> points;
    for (std::size_t i = 0; i < count; ++i)
        points.push_back({static_cast<double>(i) / 100, static_cast<double>(i % 97)});
    return points;
}

TEST(Decimated, ShortSeriesAreKeptWhole)
{
    const std::vector<SeriesPoint> points = Sawtooth(40);
    const std::vector<SeriesPoint> kept = report::Decimated(points, 0, 1, 10);
    ASSERT_EQ(kept.size(), points.size());
    EXPECT_DOUBLE_EQ(kept.back().value, points.back().value);
}

TEST(Decimated, LongSeriesAreBoundedAndKeepTheirExtremesInOrder)
{
    const std::vector<SeriesPoint> points = Sawtooth(1000000);
    const std::vector<SeriesPoint> kept = report::Decimated(points, 0, 10000, 300);
    EXPECT_LE(kept.size(), 4u * 300);
    EXPECT_GE(kept.size(), 300u);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(),
                               [](const auto& a, const auto& b) { return a.seconds < b.seconds; }));
    // Every bucket holds a whole tooth, so every bucket keeps its top.
    std::vector<bool> topKept(300);
    for (const SeriesPoint& point : kept)
        if (point.value == 96)
            topKept[static_cast<std::size_t>(point.seconds / (10000.0 / 300))] = true;
    EXPECT_EQ(std::count(topKept.begin(), topKept.end(), true), 300);
    EXPECT_DOUBLE_EQ(kept.front().seconds, points.front().seconds);
    EXPECT_DOUBLE_EQ(kept.back().seconds, points.back().seconds);
}

TEST(Decimated, OneSpikeInAMillionPointsSurvives)
{
    std::vector<SeriesPoint> points(1000000);
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = {static_cast<double>(i), 20};
    points[654321].value = 95;
    const std::vector<SeriesPoint> kept = report::Decimated(points, 0, 1e6, 100);
    EXPECT_LE(kept.size(), 400u);
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(),
                            [](const auto& p) { return p.value == 95 && p.seconds == 654321; }));
}

TEST(Decimated, PointsOutsideTheSpanAreLeftOut)
{
    const std::vector<SeriesPoint> points{{-1, 5}, {0, 1}, {5, 2}, {10, 3}, {11, 9}};
    const std::vector<SeriesPoint> kept = report::Decimated(points, 0, 10, 10);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_DOUBLE_EQ(kept.front().value, 1);
    EXPECT_DOUBLE_EQ(kept.back().value, 3);
}

} // namespace
