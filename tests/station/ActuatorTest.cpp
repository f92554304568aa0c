// An actuator's travel: toward its command at its rate, within its range,
// and each fault event's effect, checked at chosen moments.

#include "station/Actuator.h"
#include "node/ScratchDir.h"
#include "ScenarioRefusal.h"
#include "station/ScenarioReader.h"
#include "station/Station.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Fault = station::EventSettings::Fault;

struct Step {
    double seconds;
    // A command's target, or a fault (with its rate for slow).
    std::optional<double> target;
    Fault fault = Fault::None;
    double rate = 0;
};

struct Row {
    const char* name;
    std::vector<Step> steps;
    // Where it is at these moments, after every step.
    std::vector<std::pair<double, double>> positions;
};

// Rows print as their names in test listings.
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

class ActuatorTest : public testing::TestWithParam<Row> {};

TEST_P(ActuatorTest, Travel)
{
    // 0..100 at 2 a second, from 50.
    station::ActuatorSettings settings;
    settings.min = 0;
    settings.max = 100;
    settings.rate = 2;
    settings.initial = 50;
    station::Actuator actuator(settings);
    for (const Step& step : GetParam().steps) {
        if (step.target)
            actuator.command(*step.target, step.seconds);
        else
            actuator.fault(step.fault, step.rate, step.seconds);
    }
    for (const auto& [seconds, position] : GetParam().positions)
        EXPECT_DOUBLE_EQ(actuator.position(seconds), position) << "at " << seconds;
}

INSTANTIATE_TEST_SUITE_P(
    Moves, ActuatorTest,
    testing::Values(
        Row{"StillWithoutCommand", {}, {{0, 50}, {100, 50}}},
        Row{"TravelsAtItsRate", {{10, 60}}, {{10, 50}, {12.5, 55}, {15, 60}, {99, 60}}},
        Row{"TravelsDown", {{0, 0}}, {{5, 40}, {25, 0}, {30, 0}}},
        Row{"ClampedToItsRange", {{0, 150}, {100, -20}}, {{25, 100}, {99, 100}, {150, 0}}},
        Row{"ANewCommandStartsFromWhereItIs", {{0, 100}, {5, 0}}, {{5, 60}, {10, 50}}},
        Row{"StuckStopsItRecoverMovesOn",
            {{0, 100}, {5, {}, Fault::Stuck}, {10, {}, Fault::Recover}},
            {{8, 60}, {10, 60}, {15, 70}}},
        Row{"SlowThenRecover",
            {{0, 100}, {5, {}, Fault::Slow, 0.5}, {15, {}, Fault::Recover}},
            {{15, 65}, {16, 67}}},
        Row{"IgnoreDropsCommandsUntilRecover",
            {{0, {}, Fault::Ignore}, {1, 0}, {5, {}, Fault::Recover}, {6, 100}},
            {{5, 50}, {8, 54}}},
        Row{"ANumberThatIsNoneIsNoCommand",
            {{0, std::numeric_limits<double>::quiet_NaN()}},
            {{10, 50}}}),
    [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST(ActuatorFault, SilentStopsReportsUntilRecover)
{
    station::ActuatorSettings settings;
    station::Actuator actuator(settings);
    EXPECT_FALSE(actuator.silent());
    actuator.fault(Fault::Silent, 0, 1);
    EXPECT_TRUE(actuator.silent());
    actuator.fault(Fault::Recover, 0, 2);
    EXPECT_FALSE(actuator.silent());
}

// A node with an actuator, lines 1 to 7, for the refused rows after it.
constexpr const char* kActuatorHead = R"([[node]]
[[node.ccm]]
type = "WRainfall"
generator = { kind = "constant", value = 0 }
[[node.actuator]]
command = { type = "VenRfWin.rcA" }
state = { type = "VenRfWin.opr" }
)";

struct BadActuator {
    const char* name;
    const char* text;
    const char* error;
};

class RefusedActuator : public testing::TestWithParam<BadActuator> {};

TEST_P(RefusedActuator, NamesLineColumnAndWhat)
{
    EXPECT_EQ(ScenarioRefusal(std::string(kActuatorHead) + GetParam().text), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RefusedActuator,
    testing::Values(
        BadActuator{"MaxBelowMin", "min = 10\nmax = 5\n", "9:7: max must not be below min"},
        BadActuator{"InitialOutOfRange", "initial = 101\n",
                    "8:11: initial must be 0..100, got 101"},
        BadActuator{"UnknownFault",
                    "[[event]]\nat = 1\nccm = \"VenRfWin.opr\"\nfault = \"broken\"\n",
                    "11:9: fault must be stuck, slow, ignore, silent or recover, got 'broken'"},
        BadActuator{
            "FaultOnNoActuator", "[[event]]\nat = 1\nccm = \"WRainfall\"\nfault = \"stuck\"\n",
            "10:7: no actuator whose state is 'WRainfall' with that room, region and order"},
        BadActuator{"SlowWithoutRate",
                    "[[event]]\nat = 1\nccm = \"VenRfWin.opr\"\nfault = \"slow\"\n",
                    "8:1: missing key 'rate'"},
        BadActuator{"FaultWithValue",
                    "[[event]]\nat = 1\nccm = \"VenRfWin.opr\"\nfault = \"stuck\"\nvalue = 1\n",
                    "8:1: a fault event sets no value or generator"},
        BadActuator{"RateOnStuck",
                    "[[event]]\nat = 1\nccm = \"VenRfWin.opr\"\nfault = \"stuck\"\nrate = 2\n",
                    "12:1: unknown key 'rate'"}),
    [](const testing::TestParamInfo<BadActuator>& info) { return std::string(info.param.name); });

// In a station: the state CCM is sent at its level with the position, the
// command of another key moves nothing, and a silent fault stops the sends.
TEST(ActuatorInStation, ReportsItsPositionUntilSilent)
{
    ScratchDir dir;
    station::Station station(station::ReadScenario(dir.write("a.toml", R"([[node]]
address = "10.0.0.1"
condition = false
[[node.actuator]]
command = { type = "VenRfWin.rcA", room = 1, region = 1, order = 1 }
state = { type = "VenRfWin.opr", level = "A-1S-0" }
rate = 10
[[event]]
at = 3
ccm = "VenRfWin.opr"
fault = "silent"
[[event]]
at = 5
ccm = "VenRfWin.opr"
fault = "recover"
)")),
                             "", 1);
    station.command("VenRfWin.rcA", 2, 1, 1, 50, 0);
    station.command("VenRfWin.rcA", 1, 1, 1, 100, 0);
    std::vector<std::pair<std::int64_t, std::string>> sent;
    for (std::int64_t tick = 0; tick <= 6; ++tick) {
        station.beginSecond(tick);
        station.runNode(0, [&](const station::Outgoing& outgoing) {
            EXPECT_EQ(outgoing.ccm.type, "VenRfWin.opr");
            sent.emplace_back(tick, outgoing.value);
        });
    }
    const std::vector<std::pair<std::int64_t, std::string>> expected{
        {0, "0"}, {1, "10"}, {2, "20"}, {5, "50"}, {6, "60"}};
    EXPECT_EQ(sent, expected);
}

} // namespace
