#include "node/ValueSources.h"

#include "MemoryPanel.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <vector>

namespace {

using node::Control;

TEST(FixedSource, FollowsTheRainFlag)
{
    node::NodeState state;
    EXPECT_EQ(node::FixedValue(state), 0);
    state.rainFlag = true;
    EXPECT_EQ(node::FixedValue(state), 100);
}

std::vector<std::int32_t> randomValues(std::int32_t min, std::int32_t max, int count)
{
    MemoryPanel panel;
    panel.spins[Control::CSpinMin] = min;
    panel.spins[Control::CSpinMax] = max;
    node::NodeState state;
    std::vector<std::int32_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(node::RandomValue(state, panel));
    return values;
}

TEST(RandomSource, StartUpSequenceGivesTheKnownValues)
{
    EXPECT_EQ(randomValues(0, 100, 3), (std::vector<std::int32_t>{29, 74, 80}));
}

TEST(RandomSource, EqualBoundsGiveTheBound)
{
    for (std::int32_t v : randomValues(37, 37, 50))
        EXPECT_EQ(v, 37);
}

TEST(RandomSource, SwappedBoundsGiveTheSameValues)
{
    EXPECT_EQ(randomValues(100, 0, 200), randomValues(0, 100, 200));
    EXPECT_EQ(randomValues(-20, 10, 200), randomValues(10, -20, 200));
}

// CSpinMin has no limits: bounds as far apart as 32 bits allow neither crash
// nor leave the range.
TEST(RandomSource, ExtremeBoundsStayInRange)
{
    for (auto [min, max] : {std::pair{INT_MIN, INT_MAX}, std::pair{INT_MIN, 100},
                            std::pair{INT_MAX, INT_MIN}, std::pair{INT_MIN, INT_MIN}}) {
        for (std::int32_t v : randomValues(min, max, 100)) {
            EXPECT_GE(v, std::min(min, max));
            EXPECT_LE(v, std::max(min, max));
        }
    }
}

struct WalkCase {
    int skipped; // draws taken before the walk's own
    bool rainFlag;
    std::int32_t switchCounter;
    std::int32_t value;
    std::int32_t counterAfter;
};

void PrintTo(const WalkCase& c, std::ostream* os)
{
    *os << "after " << c.skipped << " draws, flag " << c.rainFlag << ", counter "
        << c.switchCounter;
}

class Random2SourceRows : public testing::TestWithParam<WalkCase> {};

// The walk's draw r is the next number mod 3000: a counter above r switches,
// one at r keeps the state and counts on. The draws after start-up are 130,
// 10982, 1090, 11656, 7117 and 17595; the rows at 1982, 2656 and 2595 leave
// 3000 as the only modulus that fits them all.
TEST_P(Random2SourceRows, SwitchesWhenTheDrawIsBelowTheCounter)
{
    node::NodeState state;
    for (int i = 0; i < GetParam().skipped; ++i)
        state.random.next();
    state.rainFlag = GetParam().rainFlag;
    state.switchCounter = GetParam().switchCounter;
    EXPECT_EQ(node::Random2Value(state), GetParam().value);
    EXPECT_EQ(state.switchCounter, GetParam().counterAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Random2SourceRows,
    testing::Values(WalkCase{0, true, 0, 100, 1}, WalkCase{0, false, 0, 0, 1},
                    WalkCase{0, true, 130, 100, 131}, WalkCase{0, true, 131, 0, 0},
                    WalkCase{0, false, 131, 100, 0}, WalkCase{0, true, 3000, 0, 0},
                    WalkCase{0, false, -5, 0, 0}, WalkCase{1, true, 1982, 100, 1983},
                    WalkCase{1, true, 1983, 0, 0}, WalkCase{3, false, 2656, 0, 2657},
                    WalkCase{3, false, 2657, 100, 0}, WalkCase{5, true, 2595, 100, 2596},
                    WalkCase{5, true, 2596, 0, 0}));

// Over a long run the walk keeps switching, never twice in a row.
TEST(Random2Source, WalkSwitchesButNeverOnTheTickAfterASwitch)
{
    node::NodeState state;
    state.rainFlag = true;
    int switches = 0;
    bool switchedLastTick = false;
    for (int tick = 0; tick < 100000; ++tick) {
        const bool raining = node::Random2Value(state) > 50;
        const bool switched = raining != state.rainFlag;
        ASSERT_FALSE(switched && switchedLastTick) << "tick " << tick;
        switches += switched ? 1 : 0;
        switchedLastTick = switched;
        state.rainFlag = raining;
    }
    EXPECT_GT(switches, 100);
}

} // namespace
