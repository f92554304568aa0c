#include "node/TransmissionTick.h"

#include "ccm/CcmMessage.h"
#include "node/FileSource.h"
#include "node/NodeLog.h"
#include "node/RainStateDisplay.h"
#include "node/ValueSources.h"

#include <utility>

namespace node {

namespace {
// Above this rain value it counts as raining.
constexpr std::int32_t kRainThreshold = 50;
} // namespace

TransmissionTick::TransmissionTick(NodeState& state, NodePanel& panel, Sender& sender,
                                   LogClock& clock, std::function<void()> stopTransmission)
    : state_(state), panel_(panel), sender_(sender), clock_(clock),
      stopTransmission_(std::move(stopTransmission))
{
}

void TransmissionTick::run()
{
    state_.periodCounter = advancedPeriodCounter();
    std::int32_t value = 0;
    if (!obtainRainValue(value))
        return; // the file source stopped transmission
    const int indication = value > kRainThreshold ? 1 : 0;
    logIndication(indication);
    panel_.setLabelCaption(Control::LabelNow, indication == 1 ? "1" : "0");
    broadcast(indication);
    state_.rainFlag = value > kRainThreshold;
    FormPaint(state_, panel_);
}

// The advanced period counter. A cycle below 1 (only seen while the operator
// is typing in the field) has no period: the counter stays at 0.
std::int32_t TransmissionTick::advancedPeriodCounter()
{
    const std::int32_t cycle = panel_.spinValue(Control::CSpinCycle);
    if (cycle < 1)
        return 0;
    return static_cast<std::int32_t>((std::int64_t{state_.periodCounter} + 1) % cycle);
}

// Asks the checked sources in the panel's order; the last checked one wins.
bool TransmissionTick::obtainRainValue(std::int32_t& value)
{
    if (panel_.isChecked(Control::RadioFix))
        value = FixedValue(state_);
    if (panel_.isChecked(Control::RadioSin))
        value = PeriodicValue(state_, panel_);
    if (panel_.isChecked(Control::RadioRnd))
        value = RandomValue(state_, panel_);
    if (panel_.isChecked(Control::RadioRnd2))
        value = Random2Value(state_);
    if (panel_.isChecked(Control::RadioFile)) {
        const std::optional<std::int32_t> played = FileValue(state_, panel_, stopTransmission_);
        if (!played)
            return false;
        value = *played;
    }
    return true;
}

void TransmissionTick::logIndication(int indication)
{
    line_.clear();
    clock_.format().appendText(clock_.now(), line_);
    line_ += '\t';
    line_ += static_cast<char>('0' + indication);
    AppendLog(panel_, line_);
}

void TransmissionTick::broadcast(int indication)
{
    // Read in the message's field order.
    const std::string type = panel_.text(Control::EditCCM1);
    ccm::CcmFields fields;
    fields.type = type;
    fields.room = panel_.spinValue(Control::CSpinRm1);
    fields.region = panel_.spinValue(Control::CSpinRe1);
    fields.order = panel_.spinValue(Control::CSpinOr1);
    fields.priority = panel_.spinValue(Control::CSpinPr1);
    fields.data = indication;
    const std::string ip = panel_.text(Control::EditIP);
    fields.ip = ip;
    ccm::FormatCcmMessage(fields, text_);
    encoder_.encode(text_, wire_);
    try {
        sender_.Send(wire_, ccm::kCcmPort);
    } catch (...) {
        // Any failure of the send, whatever its kind, is only logged; the
        // next tick simply tries again.
        AppendLog(panel_, "送信失敗");
    }
}

} // namespace node
