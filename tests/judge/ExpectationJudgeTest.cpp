// Verdicts from synthetic streams: the counting values and clock readings an
// expectation is handed, with the outcome, the moment and the evidence each
// mode must give.
#include "judge/ExpectationJudge.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using station::ExpectSettings;
using Mode = ExpectSettings::Mode;
using Test = ExpectSettings::Test;
using report::Outcome;

// A datagram with a value (counting or not), a clock reading, or the end.
struct Step {
    enum Kind { Value, NotCounting, Clock, End } kind;
    double seconds;
    double value = 0;
};

struct Row {
    const char* name;
    Mode mode;
    Test test;
    double low, high;
    std::optional<double> within;
    double holds;
    std::vector<Step> steps;
    Outcome outcome;
    double decided;
    // In the evidence's text or note.
    const char* evidence;
};

// Rows print as their names in test listings.
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

class ExpectationJudgeTest : public testing::TestWithParam<Row> {};

TEST_P(ExpectationJudgeTest, Verdict)
{
    const Row& row = GetParam();
    ExpectSettings expect;
    expect.name = row.name;
    expect.after = 10;
    expect.mode = row.mode;
    expect.test = row.test;
    expect.low = row.low;
    expect.high = row.high;
    expect.within = row.within;
    expect.holds = row.holds;
    judge::ExpectationJudge judge(expect);
    for (const Step& step : row.steps) {
        const std::string text = "datagram " + std::to_string(step.value);
        judge::Observation seen;
        seen.seconds = step.seconds;
        seen.source = "10.0.0.2:16520";
        seen.text = text;
        seen.value = step.value;
        seen.valueText = std::to_string(static_cast<int>(step.value));
        seen.counts = step.kind == Step::Value;
        if (step.kind == Step::Value || step.kind == Step::NotCounting)
            judge.observe(seen);
        else if (step.kind == Step::Clock)
            judge.advance(step.seconds);
        else
            judge.finish(step.seconds);
    }
    ASSERT_TRUE(judge.decided());
    const report::ExpectationResult& result = judge.result();
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_DOUBLE_EQ(result.decidedSeconds, row.decided);
    const std::string said = result.evidence.text + " | " + result.evidence.note;
    EXPECT_NE(said.find(row.evidence), std::string::npos) << said;
}

// `after` is 10 s in every row.
INSTANTIATE_TEST_SUITE_P(
    Modes, ExpectationJudgeTest,
    testing::Values(Row{"met in the window, no holds",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        5,
                        0,
                        {{Step::Value, 9, 0}, {Step::Value, 12, 100}, {Step::Value, 13, 0}},
                        Outcome::Pass,
                        13,
                        "datagram 0"},
                    Row{"a value before after does not count",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        5,
                        0,
                        {{Step::Value, 9, 0}, {Step::Clock, 15.5, 0}},
                        Outcome::Fail,
                        15,
                        "nothing matching arrived; last value seen 0 at 9 s"},
                    Row{"window closes on the clock",
                        Mode::Within,
                        Test::Below,
                        0,
                        5,
                        5,
                        0,
                        {{Step::Value, 11, 7}, {Step::Clock, 14, 0}, {Step::Clock, 15.1, 0}},
                        Outcome::Fail,
                        15,
                        "last value seen 7 at 11 s"},
                    Row{"met at the window's very end",
                        Mode::Within,
                        Test::Above,
                        30,
                        0,
                        5,
                        0,
                        {{Step::Value, 15, 31}},
                        Outcome::Pass,
                        15,
                        "value 31"},
                    Row{"first met after the window",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        5,
                        0,
                        {{Step::Value, 16, 0}},
                        Outcome::Fail,
                        15,
                        "nothing matching arrived"},
                    Row{"holds to its end",
                        Mode::Within,
                        Test::Between,
                        10,
                        20,
                        5,
                        3,
                        {{Step::Value, 12, 15}, {Step::Value, 14, 20}, {Step::Clock, 15.5, 0}},
                        Outcome::Pass,
                        15,
                        "datagram 15"},
                    Row{"broken while it holds",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        5,
                        3,
                        {{Step::Value, 12, 0}, {Step::Value, 13, 100}},
                        Outcome::Fail,
                        13,
                        "value 100 while it had to hold"},
                    Row{"a value that does not count breaks nothing",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        5,
                        3,
                        {{Step::Value, 12, 0}, {Step::NotCounting, 13, 100}, {Step::Clock, 15, 0}},
                        Outcome::Pass,
                        15,
                        "datagram 0"},
                    Row{"holds cut short by the end",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        5,
                        30,
                        {{Step::Value, 12, 0}, {Step::End, 20, 0}},
                        Outcome::Undecided,
                        20,
                        "the run ended before the condition held for 30 s"},
                    Row{"no window: until the end",
                        Mode::Within,
                        Test::Value,
                        0,
                        0,
                        std::nullopt,
                        0,
                        {{Step::Clock, 1000, 0}, {Step::End, 1200, 0}},
                        Outcome::Fail,
                        1200,
                        "no value seen"},
                    Row{"always broken",
                        Mode::Always,
                        Test::Below,
                        0,
                        5,
                        std::nullopt,
                        0,
                        {{Step::Value, 5, 9}, {Step::Value, 11, 1}, {Step::Value, 12, 5}},
                        Outcome::Fail,
                        12,
                        "value 5"},
                    Row{"always held to the end",
                        Mode::Always,
                        Test::Below,
                        0,
                        5,
                        std::nullopt,
                        0,
                        {{Step::Value, 11, 1}, {Step::End, 30, 0}},
                        Outcome::Pass,
                        30,
                        "held to the end"},
                    Row{"always with nothing heard",
                        Mode::Always,
                        Test::Below,
                        0,
                        5,
                        std::nullopt,
                        0,
                        {{Step::End, 30, 0}},
                        Outcome::Fail,
                        30,
                        "nothing matching arrived"},
                    Row{"never broken",
                        Mode::Never,
                        Test::Value,
                        0,
                        0,
                        std::nullopt,
                        0,
                        {{Step::Value, 5, 0}, {Step::Value, 11, 100}, {Step::Value, 12, 0}},
                        Outcome::Fail,
                        12,
                        "value 0"},
                    Row{"never held",
                        Mode::Never,
                        Test::Value,
                        0,
                        0,
                        std::nullopt,
                        0,
                        {{Step::Value, 11, 100}, {Step::End, 30, 0}},
                        Outcome::Pass,
                        30,
                        "last value seen 100"},
                    Row{"silence reached",
                        Mode::Within,
                        Test::Silent,
                        0,
                        0,
                        5,
                        4,
                        {{Step::NotCounting, 12, 1}, {Step::Clock, 15.9, 0}, {Step::Clock, 16, 0}},
                        Outcome::Pass,
                        16,
                        "nothing matching arrived from 12 s to 16 s"},
                    Row{"silence begun too late",
                        Mode::Within,
                        Test::Silent,
                        0,
                        0,
                        5,
                        4,
                        {{Step::Value, 12, 1}, {Step::Value, 14, 1}, {Step::Value, 16, 1}},
                        Outcome::Fail,
                        16,
                        "had to be silent"},
                    Row{"always silent broken",
                        Mode::Always,
                        Test::Silent,
                        0,
                        0,
                        std::nullopt,
                        0,
                        {{Step::Value, 9, 1}, {Step::NotCounting, 10.5, 1}},
                        Outcome::Fail,
                        10.5,
                        "had to be silent"}),
    [](const testing::TestParamInfo<Row>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

} // namespace
