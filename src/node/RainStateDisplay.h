#pragma once

#include "node/NodePanel.h"
#include "node/NodeState.h"

namespace node {

// Shows the rain flag in Label7: "降雨ON" or "降雨OFF". Called at the end of
// every tick, by the rain ON/OFF buttons and whenever the panel repaints.
void FormPaint(const NodeState& state, NodePanel& panel);

} // namespace node
