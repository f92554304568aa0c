#pragma once

#include "ccm/Cp932Encoder.h"
#include "node/LogClock.h"
#include "node/NodePanel.h"
#include "node/NodeState.h"
#include "node/Sender.h"

#include <functional>
#include <string>

namespace node {

// The transmission tick (Timer1Timer): one rain value from the checked
// source, the log line, LabelNow, the CCM message broadcast to port 16520,
// the rain flag and its display; the log keeps its last 15 lines.
class TransmissionTick {
public:
    // `stopTransmission` stops exactly as the stop button does; the file
    // source calls it when the file cannot be opened or has ended.
    TransmissionTick(NodeState& state, NodePanel& panel, Sender& sender, LogClock& clock,
                     std::function<void()> stopTransmission);

    // One whole tick. Exceptions from the sender become the log line
    // "送信失敗"; any other exception (from the panel) escapes.
    void run();

private:
    std::int32_t advancedPeriodCounter();
    bool obtainRainValue(std::int32_t& value);
    void logIndication(int indication);
    void broadcast(int indication);

    NodeState& state_;
    NodePanel& panel_;
    Sender& sender_;
    LogClock& clock_;
    std::function<void()> stopTransmission_;
    ccm::Cp932Encoder encoder_;
    // Kept between ticks so a tick reuses their storage.
    std::string line_;
    std::string text_;
    std::string wire_;
};

} // namespace node
