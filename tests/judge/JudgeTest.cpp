// A scenario's expectations judged from real datagram bytes: which sender's
// value counts when several send one CCM, which datagrams a selector picks,
// lint findings as evidence, and the series a chart is drawn from.
#include "judge/Judge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using station::ExpectSettings;

std::string Data(const std::string& type, int room, int priority, const std::string& value)
{
    return "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA type=\"" + type + "\" room=\"" +
           std::to_string(room) + "\" region=\"1\" order=\"1\" priority=\"" +
           std::to_string(priority) + "\">" + value + "</DATA><IP>10.0.0.2</IP></UECS>";
}

ExpectSettings ValueZero(const std::string& name)
{
    ExpectSettings expect;
    expect.name = name;
    expect.selector.type = "VenRfWin.rcA";
    expect.selector.room = 1;
    expect.test = ExpectSettings::Test::Value;
    expect.low = 0;
    return expect;
}

struct Verdicts {
    std::vector<report::ExpectationResult> told;
    judge::Judge::Decided callback()
    {
        return [this](const report::ExpectationResult& result) { told.push_back(result); };
    }
};

TEST(JudgeTest, TheLowestPriorityNumberAmongCurrentSendersCounts)
{
    station::Scenario scenario;
    scenario.expectations.push_back(ValueZero("closed"));
    Verdicts verdicts;
    judge::Judge judge(scenario, verdicts.callback());
    // What an actuator obeying this CCM follows.
    std::vector<std::pair<double, double>> followed;
    judge.onCounted([&](const ccm::DataContent&, double value, double seconds) {
        followed.emplace_back(seconds, value);
    });
    // 10.0.0.3 (priority 10) says 100 each second until 4 s; 10.0.0.4
    // (priority 20) says 0 each second throughout. The second is taken only
    // once the first has been silent for three of its intervals (at 7 s).
    for (int second = 0; second <= 9; ++second) {
        if (second <= 4)
            judge.take(Data("VenRfWin.rcA", 1, 10, "100"), "10.0.0.3", 16520, second);
        if (second == 7) {
            ASSERT_TRUE(verdicts.told.empty());
        }
        judge.take(Data("VenRfWin.rcA", 1, 20, "0"), "10.0.0.4", 16520, second + 0.5);
    }
    ASSERT_EQ(verdicts.told.size(), 1u);
    EXPECT_EQ(verdicts.told[0].outcome, report::Outcome::Pass);
    EXPECT_DOUBLE_EQ(verdicts.told[0].decidedSeconds, 7.5);
    EXPECT_EQ(verdicts.told[0].evidence.source, "10.0.0.4:16520");
    const std::vector<std::pair<double, double>> expected{{0, 100}, {1, 100}, {2, 100}, {3, 100},
                                                          {4, 100}, {7.5, 0}, {8.5, 0}, {9.5, 0}};
    EXPECT_EQ(followed, expected);
}

TEST(JudgeTest, SelectorPicksRoomTypeAndSource)
{
    station::Scenario scenario;
    scenario.expectations.push_back(ValueZero("any source"));
    scenario.expectations.push_back(ValueZero("from the controller"));
    scenario.expectations.back().selector.from = "10.0.0.5";
    Verdicts verdicts;
    judge::Judge judge(scenario, verdicts.callback());
    judge.take(Data("VenRfWin.rcA", 2, 10, "0"), "10.0.0.5", 16520, 1);
    judge.take(Data("VenRfWin.rcB", 1, 10, "0"), "10.0.0.5", 16520, 2);
    EXPECT_TRUE(verdicts.told.empty());
    judge.take(Data("VenRfWin.rcA", 1, 10, "0"), "10.0.0.6", 16520, 3);
    ASSERT_EQ(verdicts.told.size(), 1u);
    EXPECT_EQ(verdicts.told[0].name, "any source");
    judge.take(Data("VenRfWin.rcA", 1, 10, "0"), "10.0.0.5", 16520, 4);
    ASSERT_EQ(verdicts.told.size(), 2u);
    EXPECT_EQ(verdicts.told[1].name, "from the controller");
    EXPECT_TRUE(judge.allDecided());
}

TEST(JudgeTest, LintFindingFailsWithTheDatagram)
{
    station::Scenario scenario;
    ExpectSettings expect;
    expect.name = "clean";
    expect.selector.from = "10.0.0.5";
    expect.mode = ExpectSettings::Mode::Always;
    expect.test = ExpectSettings::Test::LintClean;
    scenario.expectations.push_back(expect);
    Verdicts verdicts;
    judge::Judge judge(scenario, verdicts.callback());
    judge.take(Data("Heater.rcA", 1, 10, "1"), "10.0.0.5", 16520, 1);
    judge.take("<UECS>", "10.0.0.6", 16520, 2);
    EXPECT_TRUE(verdicts.told.empty());
    const std::string swapped = "<?xml version=\"1.0\"?><UECS ver=\"1.00-E10\"><DATA room=\"1\" "
                                "type=\"Heater.rcA\" region=\"1\" order=\"1\" priority=\"10\">1"
                                "</DATA><IP>10.0.0.5</IP></UECS>";
    judge.take(swapped, "10.0.0.5", 16520, 3);
    ASSERT_EQ(verdicts.told.size(), 1u);
    EXPECT_EQ(verdicts.told[0].outcome, report::Outcome::Fail);
    EXPECT_EQ(verdicts.told[0].evidence.text, swapped);
    EXPECT_EQ(verdicts.told[0].evidence.note.rfind("attribute-order: ", 0), 0u)
        << verdicts.told[0].evidence.note;
}

TEST(JudgeTest, SeriesHoldTheWatchedValuesThenTheStimuli)
{
    station::Scenario scenario;
    scenario.expectations.push_back(ValueZero("closed"));
    judge::Judge judge(scenario, nullptr);
    station::CcmSettings rain;
    rain.type = "WRainfall";
    judge.stimulus(rain, "0", 0);
    judge.stimulus(rain, "1", 2);
    station::CcmSettings condition;
    condition.type = "cnd";
    judge.stimulus(condition, "0", 0);
    judge.take(Data("VenRfWin.rcA", 1, 10, "100"), "10.0.0.5", 16520, 1);
    judge.take(Data("VenRfWin.rcA", 1, 10, "0"), "10.0.0.5", 16520, 3);
    judge.finish(4);
    const std::vector<report::ExpectationResult> results = judge.results();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_EQ(results[0].series.size(), 2u);
    EXPECT_FALSE(results[0].series[0].stimulus);
    ASSERT_EQ(results[0].series[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(results[0].series[0].points[1].value, 0);
    EXPECT_TRUE(results[0].series[1].stimulus);
    EXPECT_EQ(results[0].series[1].label, "WRainfall room 1 region 1 order 1");
    ASSERT_EQ(results[0].series[1].points.size(), 2u);
    EXPECT_DOUBLE_EQ(results[0].series[1].points[1].seconds, 2);
}

} // namespace
