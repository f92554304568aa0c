#include "node/NodeController.h"

#include "node/NodeLog.h"
#include "node/RainStateDisplay.h"

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <utility>

namespace node {

namespace {

constexpr const char* kIdleSuffix = "  停止中";
constexpr const char* kRunningSuffix = "  動作中";

// Sending interval of each item of RadioGroup1, in milliseconds.
constexpr std::uint32_t kIntervals[] = {1000, 10000, 60000};

constexpr Control kIdentity[] = {Control::EditCCM1, Control::CSpinRm1, Control::CSpinRe1,
                                 Control::CSpinOr1, Control::CSpinPr1};

// Disabled by every mode change, then enabled again for the checked mode.
constexpr Control kSourceControls[] = {
    Control::CSpinMax,      Control::CSpinMin,      Control::CSpinCycle,
    Control::EditFile,      Control::BtnOpenFile,   Control::CheckLoop,
    Control::BtnCycleReset, Control::ButtonRainOff, Control::ButtonRainOn};

} // namespace

NodeController::NodeController(NodePanel& panel, Sender& sender, TimerService& timers,
                               LogClock& clock, LocalAddress localAddress)
    : panel_(panel), localAddress_(std::move(localAddress)),
      tick_(state_, panel, sender, clock, [this] { ButtonStopClick(); }), timer1_(timers)
{
    timer1_.SetOnTimer([this] { Timer1Timer(); });
}

void NodeController::FormCreate()
{
    panel_.setText(Control::EditIP, localAddress_());
    RadioGroup1Click();
    state_.savedTitle = panel_.windowCaption();
    SetTransmittingControls(false);
    panel_.setLabelCaption(Control::LabelNow, "停止");
    RadioClick();
}

void NodeController::ButtonStartClick()
{
    SetTransmittingControls(true);
    // May throw for want of a timer; the controls above stay switched.
    timer1_.SetEnabled(true);
    AppendLog(panel_, "送信開始");
    state_.playbackFile.close();
    panel_.setLabelCaption(Control::LabelNow, "開始");
    panel_.setWindowCaption(state_.savedTitle + kRunningSuffix);
    state_.switchCounter = 0;
}

void NodeController::ButtonStopClick()
{
    SetTransmittingControls(false);
    timer1_.SetEnabled(false);
    state_.playbackFile.close();
    AppendLog(panel_, "送信停止");
    panel_.setLabelCaption(Control::LabelNow, "停止");
    panel_.setWindowCaption(state_.savedTitle + kIdleSuffix);
}

void NodeController::RadioClick()
{
    for (Control control : kSourceControls)
        panel_.setEnabled(control, false);
    const auto enable = [this](std::initializer_list<Control> controls) {
        for (Control control : controls)
            panel_.setEnabled(control, true);
    };
    if (panel_.isChecked(Control::RadioFix))
        enable({Control::CSpinMax, Control::ButtonRainOff, Control::ButtonRainOn});
    if (panel_.isChecked(Control::RadioSin))
        enable({Control::CSpinMax, Control::CSpinMin, Control::CSpinCycle, Control::BtnCycleReset});
    if (panel_.isChecked(Control::RadioRnd))
        enable({Control::CSpinMax, Control::CSpinMin});
    if (panel_.isChecked(Control::RadioRnd2)) {
        enable({Control::CSpinMax, Control::CSpinMin});
        state_.rainFlag = true;
    }
    if (panel_.isChecked(Control::RadioFile)) {
        enable({Control::EditFile, Control::BtnOpenFile, Control::CheckLoop});
        // Selecting file mode while sending stops; the next start plays the
        // file from its first line.
        if (!state_.playbackFile.isOpen() && timer1_.Enabled())
            ButtonStopClick();
    }
    state_.periodCounter = 0;
    state_.playbackFile.close();
}

void NodeController::RadioGroup1Click()
{
    const int index = panel_.intervalIndex();
    if (index >= 0 && index < static_cast<int>(std::size(kIntervals)))
        timer1_.SetInterval(kIntervals[index]);
}

void NodeController::BtnCycleResetClick()
{
    state_.periodCounter = 0;
}

void NodeController::ButtonRainOnClick()
{
    state_.rainFlag = true;
    FormPaint();
}

void NodeController::ButtonRainOffClick()
{
    state_.rainFlag = false;
    FormPaint();
}

void NodeController::BtnOpenFileClick()
{
    const std::optional<std::string> chosen = panel_.chooseFile();
    if (!chosen)
        return;
    state_.playbackFile.close();
    panel_.setText(Control::EditFile, *chosen);
}

// The program ends after this; a running transmission is not stopped, so
// the log gets no stop line.
void NodeController::FormClose()
{
    AppendLog(panel_, "終了します");
}

void NodeController::Timer1Timer()
{
    tick_.run();
}

void NodeController::FormPaint()
{
    node::FormPaint(state_, panel_);
}

void NodeController::SetTransmittingControls(bool transmitting)
{
    panel_.setEnabled(Control::ButtonStart, !transmitting);
    panel_.setEnabled(Control::ButtonStop, transmitting);
    for (Control control : kIdentity)
        panel_.setEnabled(control, !transmitting);
    for (Control control : {Control::RadioFix, Control::RadioSin, Control::RadioFile})
        panel_.setEnabled(control, true);
}

} // namespace node
