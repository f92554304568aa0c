#include "report/AxisScale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Row {
    double low;
    double high;
    int ticks;
    double expectLow;
    double expectHigh;
    double expectStep;
};

class AxisScaleRows : public testing::TestWithParam<Row> {};

TEST_P(AxisScaleRows, CoversTheRangeInRoundSteps)
{
    const Row& row = GetParam();
    const report::AxisScale scale = report::AxisScale::Over(row.low, row.high, row.ticks);
    EXPECT_DOUBLE_EQ(scale.low, row.expectLow);
    EXPECT_DOUBLE_EQ(scale.high, row.expectHigh);
    EXPECT_DOUBLE_EQ(scale.step, row.expectStep);
    const auto ticks = scale.Ticks();
    ASSERT_GE(ticks.size(), 2u);
    EXPECT_DOUBLE_EQ(ticks.front(), scale.low);
    EXPECT_NEAR(ticks.back(), scale.high, scale.step * 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, AxisScaleRows,
    testing::Values(Row{0, 100, 5, 0, 100, 20}, Row{0, 1, 2, 0, 1, 0.5},
                    Row{3.2, 27.9, 5, 0, 30, 5}, Row{-7.5, 12, 4, -10, 15, 5},
                    Row{0, 86400, 8, 0, 100000, 20000}, Row{0.001, 0.0042, 4, 0.001, 0.005, 0.001},
                    // A series that never changes still gets an axis around it.
                    Row{0, 0, 3, 0, 1, 0.5}, Row{20, 20, 3, 18, 22, 2},
                    // Reversed and not finite: never an empty or endless axis.
                    Row{10, 0, 5, 0, 10, 2}, Row{NAN, 5, 4, 0, 1, 0.5},
                    Row{-1.7e308, 1.7e308, 4, -1e300, 1e300, 5e299}));

TEST(AxisScale, DecimalsTellTheTicksApart)
{
    EXPECT_EQ(report::AxisScale::Over(0, 100, 5).decimals, 0);
    EXPECT_EQ(report::AxisScale::Over(0, 1, 4).decimals, 1);
    EXPECT_EQ(report::AxisScale::Over(0, 0.05, 5).decimals, 2);
}

} // namespace
