#include "node/TransmissionTick.h"

#include "ScratchDir.h"
#include "TickFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using node::Control;

std::string messageWith(int data, const std::string& type = "WRainfall")
{
    return R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type=")" + type +
           R"(" room="1" region="1" order="1" priority="29">)" + std::to_string(data) +
           "</DATA><IP>192.168.1.1</IP></UECS>";
}

class TransmissionTick : public testing::Test, protected TickBench {};

TEST_F(TransmissionTick, FixedModeDefaultsLogShowAndSendZero)
{
    EXPECT_EQ(runTick(), "0");
    EXPECT_EQ(panel.log, std::deque<std::string>{"9:05:03\t0"});
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, messageWith(0));
    EXPECT_EQ(sender.sent[0].second, 16520);
    EXPECT_EQ(panel.labels.at(Control::Label7), "降雨OFF");
}

TEST_F(TransmissionTick, RainOnIsReportedOnTheNextTick)
{
    state.rainFlag = true;
    EXPECT_EQ(runTick(), "1");
    EXPECT_EQ(panel.log.back(), "9:05:03\t1");
    EXPECT_EQ(sender.sent.back().first, messageWith(1));
    EXPECT_EQ(panel.labels.at(Control::Label7), "降雨ON");
}

struct ThresholdCase {
    std::int32_t value;
    const char* indication;
    const char* label7;
};

class TickThreshold : public TransmissionTick, public testing::WithParamInterface<ThresholdCase> {};

// Above 50 counts as raining; the message carries the indication, never the
// value itself.
TEST_P(TickThreshold, IndicationAndFlagFollowTheValue)
{
    panel.checkMode(Control::RadioRnd);
    panel.spins[Control::CSpinMin] = panel.spins[Control::CSpinMax] = GetParam().value;
    EXPECT_EQ(runTick(), GetParam().indication);
    EXPECT_EQ(sender.sent.back().first, messageWith(std::stoi(GetParam().indication)));
    EXPECT_EQ(panel.labels.at(Control::Label7), GetParam().label7);
}

INSTANTIATE_TEST_SUITE_P(Rows, TickThreshold,
                         testing::Values(ThresholdCase{50, "0", "降雨OFF"},
                                         ThresholdCase{51, "1", "降雨ON"},
                                         ThresholdCase{-100, "0", "降雨OFF"},
                                         ThresholdCase{100, "1", "降雨ON"}));

// Every identity field distinct, so a field sent in another's place shows.
TEST_F(TransmissionTick, IdentityFieldsReachTheirOwnPlaces)
{
    panel.spins[Control::CSpinRm1] = 3;
    panel.spins[Control::CSpinRe1] = 5;
    panel.spins[Control::CSpinOr1] = 7;
    panel.spins[Control::CSpinPr1] = 29;
    panel.texts[Control::EditIP] = "10.20.30.40";
    state.rainFlag = true;
    runTick();
    EXPECT_EQ(sender.sent.back().first,
              R"(<?xml version="1.0"?><UECS ver="1.00-E10"><DATA type="WRainfall" room="3" )"
              R"(region="5" order="7" priority="29">1</DATA><IP>10.20.30.40</IP></UECS>)");
}

TEST_F(TransmissionTick, TypeTextIsSentInShiftJis)
{
    panel.texts[Control::EditCCM1] = "雨量";
    runTick();
    EXPECT_EQ(sender.sent.back().first, messageWith(0, "\x89\x4A\x97\xCA"));
}

TEST_F(TransmissionTick, LogKeepsTheNewestFifteenLines)
{
    panel.log = {"送信開始"};
    for (int i = 0; i < 16; ++i)
        runTick();
    ASSERT_EQ(panel.log.size(), 15u);
    EXPECT_EQ(panel.log.front(), "9:05:04\t0"); // the start line and tick 1 are gone
    EXPECT_EQ(panel.log.back(), "9:05:18\t0");
}

TEST_F(TransmissionTick, SendFailureIsLoggedAndTheTickCompletes)
{
    sender.fail = true;
    state.rainFlag = true;
    runTick();
    EXPECT_EQ(panel.log, (std::deque<std::string>{"9:05:03\t1", "送信失敗"}));
    EXPECT_EQ(panel.labels.at(Control::Label7), "降雨ON");
    for (int i = 0; i < 20; ++i) {
        runTick();
        ASSERT_LE(panel.log.size(), 15u);
    }
    EXPECT_EQ(panel.log.back(), "送信失敗");
}

TEST_F(TransmissionTick, PeriodicModeSquareWaveFromAFreshCounter)
{
    panel.checkMode(Control::RadioSin);
    std::string wave;
    for (int i = 0; i < 120; ++i)
        wave += runTick();
    EXPECT_EQ(wave, std::string(29, '1') + std::string(30, '0') + std::string(30, '1') +
                        std::string(30, '0') + "1");
}

TEST_F(TransmissionTick, ShortCycleGivesTwoRainingThenThreeDry)
{
    panel.checkMode(Control::RadioSin);
    panel.spins[Control::CSpinCycle] = 5;
    std::string wave;
    for (int i = 0; i < 11; ++i)
        wave += runTick();
    EXPECT_EQ(wave, "1000"
                    "11000"
                    "11");
}

// While the operator types, the cycle can read 0 or below: no division, the
// counter rests at 0 and the wave is dry.
TEST_F(TransmissionTick, CycleBelowOneNeitherDividesNorCounts)
{
    panel.checkMode(Control::RadioSin);
    state.periodCounter = 17;
    for (std::int32_t cycle : {0, -1, INT32_MIN}) {
        panel.spins[Control::CSpinCycle] = cycle;
        EXPECT_EQ(runTick(), "0");
        EXPECT_EQ(state.periodCounter, 0);
    }
    panel.spins[Control::CSpinCycle] = 60;
    EXPECT_EQ(runTick(), "1");
    EXPECT_EQ(state.periodCounter, 1);
}

TEST_F(TransmissionTick, PeriodCounterAdvancesInEveryMode)
{
    runTick();
    runTick();
    EXPECT_EQ(state.periodCounter, 2);
}

TEST_F(TransmissionTick, FileStopEndsTheTickBeforeAnythingIsLoggedOrSent)
{
    ScratchDir dir;
    panel.checkMode(Control::RadioFile);
    panel.texts[Control::EditFile] = dir.write("play.txt", "1\n");
    panel.labels[Control::LabelNow] = "開始";
    EXPECT_EQ(runTick(), "1");
    EXPECT_EQ(runTick(), "1"); // untouched by the stopping tick
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(panel.log, (std::deque<std::string>{"9:05:03\t1", "ファイル終了"}));
    EXPECT_TRUE(state.rainFlag);
}

} // namespace
