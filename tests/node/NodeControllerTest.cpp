#include "node/NodeController.h"

#include "ManualTimerService.h"
#include "MemoryPanel.h"
#include "runtime/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>

using node::Control;
using Ms = ManualTimerService::Ms;

namespace {

const std::string kTitle = "セタロメ Ver1.2(降雨)";

class CountingSender : public node::Sender {
public:
    int sent = 0;
    void Send(const std::string&, std::uint16_t) override { ++sent; }
};

// 9:05:03 on a 24-hour clock without leading zeros.
class FixedLogClock : public node::LogClock {
public:
    FixedLogClock() { format_.twentyFourHour = true; }
    node::TimeOfDay now() override { return {9, 5, 3}; }
    const node::LongTimeFormat& format() const override { return format_; }

private:
    node::LongTimeFormat format_;
};

class NodeControllerTest : public ::testing::Test {
protected:
    MemoryPanel panel;
    CountingSender sender;
    ManualTimerService timers;
    FixedLogClock clock;
    node::NodeController node{panel, sender, timers, clock, [] { return "10.1.2.3"; }};
    std::vector<std::filesystem::path> files;

    void SetUp() override { node.FormCreate(); }
    void TearDown() override
    {
        for (const auto& file : files)
            std::filesystem::remove(file);
    }

    void select(Control radio)
    {
        panel.checkMode(radio);
        node.RadioClick();
    }
    // Lets `count` ticks of the selected 10-second interval pass.
    void tick(int count = 1) { timers.advance(Ms(10000 * count)); }
    std::string lastLog() const { return panel.log.empty() ? "" : panel.log.back(); }
    std::string playbackFile(const std::string& lines)
    {
        const auto name =
            "nodecontrol-" + std::to_string(getpid()) + "-" + std::to_string(files.size()) + ".txt";
        files.push_back(std::filesystem::temp_directory_path() / name);
        std::ofstream(files.back()) << lines;
        return files.back().string();
    }
    void expectEnabled(const std::set<Control>& on, const std::set<Control>& off)
    {
        for (Control control : on)
            EXPECT_TRUE(panel.enabled.at(control)) << static_cast<int>(control);
        for (Control control : off)
            EXPECT_FALSE(panel.enabled.at(control)) << static_cast<int>(control);
    }
};

const std::set<Control> kIdentity{Control::EditCCM1, Control::CSpinRm1, Control::CSpinRe1,
                                  Control::CSpinOr1, Control::CSpinPr1};
const std::set<Control> kModes{Control::RadioFix, Control::RadioSin, Control::RadioFile};

TEST_F(NodeControllerTest, StartUpShowsTheIdlePanel)
{
    EXPECT_EQ(panel.texts[Control::EditIP], "10.1.2.3");
    EXPECT_EQ(node.Timer1().Interval(), 10000u);
    EXPECT_FALSE(node.Timer1().Enabled());
    EXPECT_EQ(panel.caption, kTitle);
    EXPECT_EQ(node.State().savedTitle, kTitle);
    EXPECT_EQ(panel.labels[Control::LabelNow], "停止");
    EXPECT_TRUE(panel.log.empty());
    expectEnabled({Control::ButtonStart}, {Control::ButtonStop});
    expectEnabled(kIdentity, {});
    expectEnabled(kModes, {});
}

TEST_F(NodeControllerTest, StartThenStop)
{
    node.ButtonStartClick();
    expectEnabled({Control::ButtonStop}, {Control::ButtonStart});
    expectEnabled(kModes, kIdentity);
    EXPECT_EQ(panel.log, std::deque<std::string>{"送信開始"});
    EXPECT_EQ(panel.labels[Control::LabelNow], "開始");
    EXPECT_EQ(panel.caption, kTitle + "  動作中");

    timers.advance(Ms(9999));
    EXPECT_EQ(sender.sent, 0);
    timers.advance(Ms(1));
    EXPECT_EQ(sender.sent, 1);
    EXPECT_EQ(lastLog(), "9:05:03\t0");
    EXPECT_EQ(panel.labels[Control::LabelNow], "0");

    node.ButtonStopClick();
    expectEnabled({Control::ButtonStart}, {Control::ButtonStop});
    expectEnabled(kIdentity, {});
    EXPECT_EQ(lastLog(), "送信停止");
    EXPECT_EQ(panel.labels[Control::LabelNow], "停止");
    EXPECT_EQ(panel.caption, kTitle + "  停止中");
    tick(6);
    EXPECT_EQ(sender.sent, 1);
}

struct ModeControls {
    Control radio;
    std::set<Control> enabled;
};

class ModeSelection : public NodeControllerTest,
                      public ::testing::WithParamInterface<ModeControls> {};

TEST_P(ModeSelection, EnablesOnlyTheModesControls)
{
    const std::set<Control> sourceControls{
        Control::CSpinMax,      Control::CSpinMin,      Control::CSpinCycle,
        Control::EditFile,      Control::BtnOpenFile,   Control::CheckLoop,
        Control::BtnCycleReset, Control::ButtonRainOff, Control::ButtonRainOn};
    select(GetParam().radio);
    EXPECT_TRUE(panel.log.empty());
    for (Control control : sourceControls)
        EXPECT_EQ(panel.enabled.at(control), GetParam().enabled.count(control) == 1)
            << static_cast<int>(control);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ModeSelection,
    ::testing::Values(ModeControls{Control::RadioFix,
                                   {Control::CSpinMax, Control::ButtonRainOff,
                                    Control::ButtonRainOn}},
                      ModeControls{Control::RadioSin,
                                   {Control::CSpinMax, Control::CSpinMin, Control::CSpinCycle,
                                    Control::BtnCycleReset}},
                      ModeControls{Control::RadioRnd, {Control::CSpinMax, Control::CSpinMin}},
                      ModeControls{Control::RadioRnd2, {Control::CSpinMax, Control::CSpinMin}},
                      ModeControls{Control::RadioFile,
                                   {Control::EditFile, Control::BtnOpenFile, Control::CheckLoop}}));

TEST_F(NodeControllerTest, ModeChangeAndCycleResetRestartThePeriod)
{
    select(Control::RadioSin);
    node.ButtonStartClick();
    tick(3);
    EXPECT_EQ(node.State().periodCounter, 3);
    node.BtnCycleResetClick();
    EXPECT_EQ(node.State().periodCounter, 0);
    tick(2);
    select(Control::RadioRnd);
    EXPECT_EQ(node.State().periodCounter, 0);
    EXPECT_TRUE(node.Timer1().Enabled());
}

TEST_F(NodeControllerTest, FileModeWhileTransmittingStopsAtOnceAndStartPlaysFromTheTop)
{
    panel.texts[Control::EditFile] = playbackFile("1\n0\n");
    node.ButtonStartClick();
    tick();
    select(Control::RadioFile);
    EXPECT_EQ(lastLog(), "送信停止");
    EXPECT_FALSE(node.Timer1().Enabled());
    expectEnabled({Control::ButtonStart}, {Control::ButtonStop});

    node.ButtonStartClick();
    tick(2);
    EXPECT_EQ(panel.log[panel.log.size() - 2], "9:05:03\t1");
    EXPECT_EQ(lastLog(), "9:05:03\t0");
}

TEST_F(NodeControllerTest, UnopenableFileStopsLikeTheStopButton)
{
    select(Control::RadioFile);
    panel.texts[Control::EditFile] = "/nonexistent/rain.txt";
    node.ButtonStartClick();
    tick(3);
    EXPECT_EQ(panel.log, (std::deque<std::string>{"送信開始", "ファイルが開けません", "送信停止"}));
    EXPECT_FALSE(node.Timer1().Enabled());
    EXPECT_EQ(panel.caption, kTitle + "  停止中");
    EXPECT_EQ(sender.sent, 0);
}

// Every line counts against the log's 15, not only a completed tick's: a
// start pressed again and again on a missing file would grow it for ever.
TEST_F(NodeControllerTest, StopLinesAloneNeverGrowTheLogPastFifteen)
{
    select(Control::RadioFile);
    panel.texts[Control::EditFile] = "/nonexistent/rain.txt";
    for (int attempt = 0; attempt < 10; ++attempt) {
        node.ButtonStartClick();
        tick(1);
        ASSERT_LE(panel.log.size(), 15u) << "after attempt " << attempt;
    }
    EXPECT_EQ(panel.log.size(), 15u);
    // The last five attempts, three lines each.
    EXPECT_EQ(panel.log.front(), "送信開始");
    EXPECT_EQ(panel.log.back(), "送信停止");
}

TEST_F(NodeControllerTest, ChoosingAFileWhilePlayingRestartsFromTheNewFilesFirstLine)
{
    select(Control::RadioFile);
    panel.texts[Control::EditFile] = playbackFile("1\n1\n1\n");
    node.ButtonStartClick();
    tick(2);

    panel.nextChosenFile = playbackFile("0\n1\n");
    node.BtnOpenFileClick();
    EXPECT_EQ(panel.texts[Control::EditFile], files.back().string());
    EXPECT_FALSE(node.State().playbackFile.isOpen());
    tick();
    EXPECT_EQ(lastLog(), "9:05:03\t0");

    // Cancelling the dialog keeps the file playing where it is.
    node.BtnOpenFileClick();
    EXPECT_EQ(panel.fileDialogCount, 2);
    EXPECT_EQ(panel.texts[Control::EditFile], files.back().string());
    tick();
    EXPECT_EQ(lastLog(), "9:05:03\t1");
}

TEST_F(NodeControllerTest, RandomTwoSetsTheFlagButLabel7WaitsForThePaint)
{
    select(Control::RadioRnd2);
    EXPECT_TRUE(node.State().rainFlag);
    EXPECT_EQ(panel.labels[Control::Label7], "降雨OFF");
    node.FormPaint();
    EXPECT_EQ(panel.labels[Control::Label7], "降雨ON");
}

TEST_F(NodeControllerTest, RainButtonsSetTheFlagShownAndSent)
{
    node.ButtonRainOnClick();
    EXPECT_EQ(panel.labels[Control::Label7], "降雨ON");
    node.ButtonStartClick();
    tick();
    EXPECT_EQ(lastLog(), "9:05:03\t1");
    node.ButtonRainOffClick();
    EXPECT_FALSE(node.State().rainFlag);
    EXPECT_EQ(panel.labels[Control::Label7], "降雨OFF");
    tick();
    EXPECT_EQ(lastLog(), "9:05:03\t0");
}

TEST_F(NodeControllerTest, StartResetsTheSwitchCounter)
{
    select(Control::RadioRnd2);
    node.ButtonStartClick();
    tick(3);
    ASSERT_NE(node.State().switchCounter, 0);
    node.ButtonStopClick();
    node.ButtonStartClick();
    EXPECT_EQ(node.State().switchCounter, 0);
}

TEST_F(NodeControllerTest, IntervalChangeWhileTransmittingRestartsFromTheClick)
{
    panel.interval = 2;
    node.RadioGroup1Click();
    node.ButtonStartClick();
    timers.advance(Ms(30000));
    panel.interval = 0;
    node.RadioGroup1Click();
    timers.advance(Ms(999));
    EXPECT_EQ(sender.sent, 0);
    timers.advance(Ms(1));
    EXPECT_EQ(sender.sent, 1);

    panel.interval = -1;
    node.RadioGroup1Click();
    EXPECT_EQ(node.Timer1().Interval(), 1000u);
}

TEST_F(NodeControllerTest, CloseWhileTransmittingLogsNoStop)
{
    node.ButtonStartClick();
    node.FormClose();
    EXPECT_EQ(panel.log, (std::deque<std::string>{"送信開始", "終了します"}));
}

TEST_F(NodeControllerTest, StartWithoutATimerStopsAfterSwitchingTheButtons)
{
    timers.refuse = true;
    EXPECT_THROW(node.ButtonStartClick(), runtime::EOutOfResources);
    expectEnabled({Control::ButtonStop}, {Control::ButtonStart});
    EXPECT_TRUE(node.Timer1().Enabled());
    EXPECT_TRUE(panel.log.empty());
    EXPECT_EQ(panel.caption, kTitle);

    timers.refuse = false;
    node.ButtonStopClick();
    node.ButtonStartClick();
    tick();
    EXPECT_EQ(sender.sent, 1);
}

// Random and random 2 draw from one sequence for the whole run: neither a
// start nor a mode change reseeds it or gives a source its own. With bounds 0
// and 100 the draws after start-up rain as 0110001000001001.
TEST_F(NodeControllerTest, RandomSourcesShareOneSequenceAcrossStarts)
{
    std::string rained;
    const auto run = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            tick();
            rained += lastLog().back();
        }
    };
    select(Control::RadioRnd);
    node.ButtonStartClick();
    run(3);
    node.ButtonStopClick();
    node.ButtonStartClick();
    run(3);
    select(Control::RadioRnd2);
    tick(2); // draws 6 and 7; too early in its walk to switch
    select(Control::RadioRnd);
    run(6);
    EXPECT_EQ(rained, "011"
                      "000"
                      "000010");
    node::RandomSequence next = node.State().random;
    EXPECT_EQ(next.next(), 1360); // the fifteenth draw
}

std::size_t openDescriptors()
{
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Leaving file mode closes the file, also while transmission goes on.
TEST_F(NodeControllerTest, LeavingFileModeClosesTheFile)
{
    panel.texts[Control::EditFile] = playbackFile("1\n1\n");
    for (Control mode :
         {Control::RadioFix, Control::RadioSin, Control::RadioRnd, Control::RadioRnd2}) {
        select(Control::RadioFile);
        node.ButtonStartClick();
        tick();
        ASSERT_TRUE(node.State().playbackFile.isOpen());
        const std::size_t open = openDescriptors();
        select(mode);
        EXPECT_FALSE(node.State().playbackFile.isOpen()) << static_cast<int>(mode);
        EXPECT_EQ(openDescriptors(), open - 1) << static_cast<int>(mode);
        EXPECT_TRUE(node.Timer1().Enabled());
    }
}

TEST_F(NodeControllerTest, UnreadableFileStopsLikeTheStopButton)
{
    select(Control::RadioFile);
    panel.texts[Control::EditFile] = "/proc/self/mem"; // reading at offset 0 fails with EIO
    panel.checked.insert(Control::CheckLoop);
    node.ButtonStartClick();
    tick(3);
    EXPECT_EQ(panel.log, (std::deque<std::string>{"送信開始", "ファイルが読めません", "送信停止"}));
    EXPECT_FALSE(node.Timer1().Enabled());
    EXPECT_FALSE(node.State().playbackFile.isOpen());
    EXPECT_EQ(panel.caption, kTitle + "  停止中");
    EXPECT_EQ(sender.sent, 0);
}

} // namespace
