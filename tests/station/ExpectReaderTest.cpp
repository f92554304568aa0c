// Expectations in a scenario: what a good [[expect]] gives, and each fault
// refused at its file, line and column before anything could be sent.

#include "node/ScratchDir.h"
#include "ScenarioRefusal.h"
#include "station/ScenarioReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A node, a named event and the start of an expectation's table.
constexpr const char* kHead = R"([[node]]
[[node.ccm]]
type = "WRainfall"
generator = { kind = "constant", value = 0 }
[[event]]
name = "rain"
at = 30
ccm = "WRainfall"
value = 1
[[expect]]
)";

struct BadExpect {
    const char* name;
    // After kHead (line 11 on).
    const char* text;
    const char* error;
};

class RefusedExpect : public testing::TestWithParam<BadExpect> {};

TEST_P(RefusedExpect, NamesLineColumnAndWhat)
{
    EXPECT_EQ(ScenarioRefusal(std::string(kHead) + GetParam().text), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RefusedExpect,
    testing::Values(
        BadExpect{"UnknownEvent", "ccm = { type = \"V\" }\nafter = \"storm\"\nvalue = 0\n",
                  "12:9: no event named 'storm'"},
        BadExpect{"NoCondition", "ccm = { type = \"V\" }\nwithin = 5\n",
                  "10:1: an expectation needs a condition: value, below, above, between, "
                  "silent or lint"},
        BadExpect{"TwoConditions", "ccm = { type = \"V\" }\nvalue = 0\nbelow = 5\n",
                  "13:9: an expectation has one condition: value, below, above, between, "
                  "silent or lint"},
        BadExpect{"LintAndValue", "ccm = { type = \"V\" }\nlint = \"clean\"\nvalue = 0\n",
                  "13:9: an expectation has one condition: value, below, above, between, "
                  "silent or lint"},
        BadExpect{"NegativeWithin", "ccm = { type = \"V\" }\nvalue = 0\nwithin = -1\n",
                  "13:10: within must be 0..31622400, got -1"},
        BadExpect{"NegativeAfter", "ccm = { type = \"V\" }\nvalue = 0\nafter = -3\n",
                  "13:9: after must be 0..31622400, got -3"},
        BadExpect{"RoomNoDatagramHas", "ccm = { type = \"V\", room = 200 }\nvalue = 0\n",
                  "11:28: room must be 0..127, got 200"},
        BadExpect{"TypeTooLong", "ccm = { type = \"ABCDEFGHIJKLMNOPQRST\" }\nvalue = 0\n",
                  "11:16: type must be at most 19 characters, got 20"},
        BadExpect{"FromNotAnAddress", "ccm = { type = \"V\", from = \"10.0.0\" }\nvalue = 0\n",
                  "11:28: from must be an IPv4 address, got '10.0.0'"},
        BadExpect{"NoType", "ccm = { room = 1 }\nvalue = 0\n", "11:7: missing key 'type'"},
        BadExpect{"NoSelector", "value = 0\n", "10:1: missing key 'ccm'"},
        BadExpect{"TwoModes", "ccm = { type = \"V\" }\nvalue = 0\nalways = true\nnever = true\n",
                  "10:1: an expectation has one mode: within (with holds), always or never"},
        BadExpect{"BetweenBackwards", "ccm = { type = \"V\" }\nbetween = [20, 10]\n",
                  "12:11: between's high must not be below its low"},
        BadExpect{"SilentWithoutSpan", "ccm = { type = \"V\" }\nsilent = true\nwithin = 5\n",
                  "10:1: silent with within needs holds > 0: how long the silence must last"},
        BadExpect{"UnknownKey", "ccm = { type = \"V\" }\nvalue = 0\nwithn = 5\n",
                  "13:1: unknown key 'withn'"}),
    [](const testing::TestParamInfo<BadExpect>& info) { return std::string(info.param.name); });

TEST(RefusedEvent, TwoEventsOfOneName)
{
    EXPECT_EQ(ScenarioRefusal(std::string(kHead, std::string(kHead).find("[[expect]]")) +
                              "[[event]]\nname = \"rain\"\nat = 40\nccm = \"WRainfall\"\n"
                              "value = 0\n"),
              "11:8: another event is named 'rain'");
}

TEST(GoodExpect, GivesEveryField)
{
    ScratchDir dir;
    const station::Scenario scenario = station::ReadScenario(dir.write(
        "t.toml", std::string("name = \"n\"\nduration = 90\n") + kHead +
                      "name = \"vents close\"\nccm = { type = \"VenRfWin.rcA\", room = 1, "
                      "region = 2, order = 3, from = \"10.0.0.5\" }\nafter = \"rain\"\n"
                      "within = 20\nbetween = [1.5, 2]\nholds = 60\n"
                      "[[expect]]\nccm = { from = \"10.0.0.5\" }\nlint = \"clean\"\n"));
    EXPECT_EQ(scenario.name, "n");
    EXPECT_EQ(scenario.duration, 90);
    ASSERT_EQ(scenario.expectations.size(), 2u);
    const station::ExpectSettings& vents = scenario.expectations[0];
    EXPECT_EQ(vents.name, "vents close");
    EXPECT_EQ(vents.line, 12u);
    EXPECT_EQ(vents.selector.type, "VenRfWin.rcA");
    EXPECT_EQ(vents.selector.room, 1);
    EXPECT_EQ(vents.selector.region, 2);
    EXPECT_EQ(vents.selector.order, 3);
    EXPECT_EQ(vents.selector.from, "10.0.0.5");
    EXPECT_EQ(vents.after, 30);
    EXPECT_EQ(vents.afterEvent, "rain");
    EXPECT_EQ(vents.mode, station::ExpectSettings::Mode::Within);
    EXPECT_EQ(vents.within, 20);
    EXPECT_EQ(vents.holds, 60);
    EXPECT_EQ(vents.test, station::ExpectSettings::Test::Between);
    EXPECT_EQ(vents.low, 1.5);
    EXPECT_EQ(vents.high, 2);
    const station::ExpectSettings& lint = scenario.expectations[1];
    EXPECT_EQ(lint.test, station::ExpectSettings::Test::LintClean);
    EXPECT_EQ(lint.mode, station::ExpectSettings::Mode::Always);
    EXPECT_TRUE(lint.selector.type.empty());
}

TEST(GoodExpect, TheShippedTestScenariosRead)
{
    for (const char* name : {"vents-close-on-rain.toml", "heating-on-a-cold-night.toml",
                             "wind-closes-windward-vents.toml"}) {
        const station::Scenario scenario =
            station::ReadScenario(std::string(SCENARIO_DIR) + "/tests/" + name);
        EXPECT_GE(scenario.expectations.size(), 2u) << name;
    }
}

} // namespace
