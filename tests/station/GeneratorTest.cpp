// The generators. The rain node's sources are the reference for square,
// random and walk: the same draws from the same sequence give the same values.

#include "station/Generator.h"
#include "node/MemoryPanel.h"
#include "node/NodeState.h"
#include "node/ValueSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Kind = station::GeneratorSettings::Kind;

station::GeneratorSettings Settings(Kind kind)
{
    station::GeneratorSettings settings;
    settings.kind = kind;
    return settings;
}

// `count` steps of a generator at one second each.
std::vector<double> Steps(const station::GeneratorSettings& settings, int count,
                          node::RandomSequence random = {})
{
    auto generator = station::MakeGenerator(settings, 0);
    std::vector<double> values;
    for (int t = 0; t < count; ++t)
        values.push_back(generator->value(t, true, random));
    return values;
}

TEST(RainNodeSources, SquareIsThePeriodicSource)
{
    for (const int cycle : {1, 2, 5, 60}) {
        station::GeneratorSettings settings = Settings(Kind::Square);
        settings.cycle = cycle;
        settings.low = 0;
        settings.high = 100;
        MemoryPanel panel;
        panel.spins[node::Control::CSpinCycle] = cycle;
        node::NodeState state;
        const std::vector<double> values = Steps(settings, 150);
        for (int tick = 0; tick < 150; ++tick) {
            state.periodCounter = (state.periodCounter + 1) % cycle;
            ASSERT_EQ(values[tick], node::PeriodicValue(state, panel)) << "cycle " << cycle;
        }
    }
}

TEST(RainNodeSources, RandomIsTheRandomSourceOnTheSameSequence)
{
    station::GeneratorSettings settings = Settings(Kind::Random);
    settings.min = -5;
    settings.max = 250;
    MemoryPanel panel;
    panel.spins[node::Control::CSpinMin] = -5;
    panel.spins[node::Control::CSpinMax] = 250;
    node::NodeState state;
    const std::vector<double> values = Steps(settings, 500);
    for (const double value : values)
        ASSERT_EQ(value, node::RandomValue(state, panel));
}

// Beyond the window's 32768 numbers a random range is still covered to
// its ends.
TEST(SequenceSources, RandomCoversAWideRange)
{
    station::GeneratorSettings settings = Settings(Kind::Random);
    settings.min = -1000;
    settings.max = 999999;
    const std::vector<double> values = Steps(settings, 2000);
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    EXPECT_GE(*low, -1000);
    EXPECT_LT(*low, 50000);
    EXPECT_LE(*high, 999999);
    EXPECT_GT(*high, 950000);
    for (const double value : values)
        ASSERT_EQ(value, std::floor(value));
}

TEST(RainNodeSources, WalkIsTheRandom2SourceStartingAsTheWindowDoes)
{
    station::GeneratorSettings settings = Settings(Kind::Walk);
    settings.low = 0;
    settings.high = 100;
    node::NodeState state;
    // Choosing "乱数2" in the window sets the rain flag.
    state.rainFlag = true;
    const std::vector<double> values = Steps(settings, 20000);
    int switches = 0;
    for (const double value : values) {
        const std::int32_t expected = node::Random2Value(state);
        ASSERT_EQ(value, expected);
        switches += (expected > 50) != state.rainFlag;
        state.rainFlag = expected > 50;
    }
    EXPECT_GT(switches, 10);
}

TEST(SequenceSources, MoveOnlyOnASampleStep)
{
    station::GeneratorSettings settings = Settings(Kind::Random);
    settings.min = 0;
    settings.max = 1000;
    auto generator = station::MakeGenerator(settings, 0);
    node::RandomSequence random;
    const double first = generator->value(0, true, random);
    EXPECT_EQ(generator->value(1, false, random), first);
    EXPECT_EQ(generator->value(2, false, random), first);
    node::RandomSequence reference;
    reference.next();
    EXPECT_EQ(generator->value(3, true, random), reference.next() % 1001);
}

TEST(TimeSources, SineSpansMinToMaxOverItsPeriodFromItsPhase)
{
    station::GeneratorSettings settings = Settings(Kind::Sine);
    settings.min = 10;
    settings.max = 30;
    settings.period = 400;
    settings.phase = 100;
    auto generator = station::MakeGenerator(settings, 0);
    node::RandomSequence random;
    // A phase of a quarter period starts at the top.
    EXPECT_NEAR(generator->value(0, true, random), 30, 1e-9);
    EXPECT_NEAR(generator->value(100, true, random), 20, 1e-9);
    EXPECT_NEAR(generator->value(200, true, random), 10, 1e-9);
    EXPECT_NEAR(generator->value(400, true, random), 30, 1e-9);
}

TEST(TimeSources, RampHoldsOrRepeatsAndStartsFromTheCurrentValueWithoutFrom)
{
    station::GeneratorSettings settings = Settings(Kind::Ramp);
    settings.to = 12;
    settings.duration = 300;
    node::RandomSequence random;
    auto fromCurrent = station::MakeGenerator(settings, 2);
    EXPECT_DOUBLE_EQ(fromCurrent->value(0, true, random), 2);
    EXPECT_DOUBLE_EQ(fromCurrent->value(150, true, random), 7);
    EXPECT_DOUBLE_EQ(fromCurrent->value(300, true, random), 12);
    EXPECT_DOUBLE_EQ(fromCurrent->value(5000, true, random), 12);

    settings.from = 0;
    settings.repeat = true;
    auto repeating = station::MakeGenerator(settings, 2);
    EXPECT_DOUBLE_EQ(repeating->value(150, true, random), 6);
    EXPECT_DOUBLE_EQ(repeating->value(450, true, random), 6);
}

TEST(Playback, ValuesPlayOnePerStepThenHoldOrLoop)
{
    station::GeneratorSettings settings = Settings(Kind::Playback);
    settings.rows = {{0, 1}, {0, 0}, {0, 2.5}};
    EXPECT_EQ(Steps(settings, 5), (std::vector<double>{1, 0, 2.5, 2.5, 2.5}));
    settings.loop = true;
    EXPECT_EQ(Steps(settings, 7), (std::vector<double>{1, 0, 2.5, 1, 0, 2.5, 1}));
}

TEST(Playback, TimedRowsHoldFromTheirTime)
{
    station::GeneratorSettings settings = Settings(Kind::Playback);
    settings.timed = true;
    settings.rows = {{2, 5}, {2, 6}, {4.5, 7}};
    auto generator = station::MakeGenerator(settings, 0);
    node::RandomSequence random;
    std::vector<double> values;
    for (const double t : {0.0, 1.0, 2.0, 4.0, 4.5, 100.0})
        values.push_back(generator->value(t, false, random));
    EXPECT_EQ(values, (std::vector<double>{5, 5, 6, 6, 7, 7}));
}

} // namespace
