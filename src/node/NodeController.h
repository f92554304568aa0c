#pragma once

#include "node/GetLocalAddress.h"
#include "node/LogClock.h"
#include "node/NodePanel.h"
#include "node/NodeState.h"
#include "node/Sender.h"
#include "node/TTimer.h"
#include "node/TimerService.h"
#include "node/TransmissionTick.h"

#include <functional>
#include <string>

namespace node {

// The node panel's logic: the handlers behind its buttons, radio buttons and
// timer. It owns the node state, the tick and Timer1, and works only through
// the panel interface. Exceptions that escape a handler reach its caller.
class NodeController {
public:
    // Gives the text for EditIP at start-up.
    using LocalAddress = std::function<std::string()>;

    NodeController(
        NodePanel& panel, Sender& sender, TimerService& timers, LogClock& clock,
        LocalAddress localAddress = [] { return GetLocalAddress(); });
    NodeController(const NodeController&) = delete;
    NodeController& operator=(const NodeController&) = delete;

    void FormCreate();
    void ButtonStartClick();
    // Also the stop of the file source and of selecting file mode.
    void ButtonStopClick();
    // Runs when one of the five mode buttons becomes checked.
    void RadioClick();
    void RadioGroup1Click();
    void BtnCycleResetClick();
    void ButtonRainOnClick();
    void ButtonRainOffClick();
    void BtnOpenFileClick();
    void FormClose();
    void Timer1Timer();
    void FormPaint();

    const NodeState& State() const { return state_; }
    const TTimer& Timer1() const { return timer1_; }

private:
    // Enabled states of the start/stop buttons, the identity and the modes.
    void SetTransmittingControls(bool transmitting);

    NodePanel& panel_;
    LocalAddress localAddress_;
    NodeState state_;
    TransmissionTick tick_;
    // Last, so it is gone before the tick it calls.
    TTimer timer1_;
};

} // namespace node
